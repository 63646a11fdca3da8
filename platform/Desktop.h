#pragma once

#include <QRect>
#include <QString>
#include <QUrl>
#include <memory>

class QWidget;

namespace platform {

// The caption of every error box, and the program's name in the task list (the menu entry
// textbook.desktop gives it there).
QString applicationTitle();

// One printed document: text drawn at device coordinates, the top-left of the text at the point.
class PrintJob {
public:
    virtual ~PrintJob() = default;
    virtual void drawText(int x, int y, const QString& text) = 0;
    // Sends the document to the printer. A job destroyed without end() is abandoned.
    virtual void end() = 0;
};

// What the program needs of the desktop it runs on. The real one talks to Qt; tests install a
// recording double so that no dialog ever blocks and no real program is started.
class Desktop {
public:
    virtual ~Desktop() = default;

    virtual void showError(const QString& caption, const QString& text) = 0;
    // Yes/No question without an icon; true for Yes.
    virtual bool askYesNo(const QString& caption, const QString& text) = 0;
    // OK/Cancel confirmation; true for OK.
    virtual bool confirm(const QString& text) = 0;
    virtual void openWithDesktop(const QUrl& url) = 0;
    virtual QRect workArea() = 0;
    virtual QRect screenGeometry() = 0;
    virtual QString currentDirectory() = 0;
    // Begins a document on the default printer; throws Failure when there is none.
    virtual std::unique_ptr<PrintJob> beginPrint(const QString& documentName) = 0;
    // Lets the user move the window with the mouse until the button is released.
    virtual void startSystemMove(QWidget* window) = 0;
};

// The desktop in use: the real one unless a test installed another.
Desktop& desktop();
// Installs a desktop (not owned); nullptr restores the real one. Returns the one it replaces.
Desktop* setDesktop(Desktop* replacement);

// The error box's text: the message, with a full stop added when its last character has a
// higher code than the full stop.
QString errorBoxText(const QString& message);
// Shows the error box for a message.
void showErrorBox(const QString& message);

// The message of a print begun where no default printer is set up.
QString noDefaultPrinterMessage();

}  // namespace platform
