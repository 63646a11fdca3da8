#include "Unit7.h"

#include <QTextBlock>

#include "Unit4.h"
#include "app/WindowSet.h"
#include "platform/Desktop.h"
#include "platform/Handler.h"
#include "platform/Keyboard.h"

using platform::handler;

namespace {
// Printed lines: a fixed step in the printer's device units, whatever the font.
constexpr int kPrintLeft = 100;
constexpr int kPrintLineStep = 100;
}  // namespace

QUrl ResultsMailUrl() {
    return QUrl(QStringLiteral("mailto:support@textbook.example?subject=This is the subject") +
                QStringLiteral("Textbook") +
                QStringLiteral(" Error Report&body=This is line 1%0D%0AThis is line 2%0D%0AThis is line 3"
                               "&Attach=c:\\file1.txt"));
}

TForm7::TForm7() {
    setupUi(this);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setPlacement(Placement::CentreOverAnchor);

    connect(BitBtn1, &QPushButton::clicked, this, handler(this, &TForm7::BitBtn1Click));
    connect(Button1, &QPushButton::clicked, this, handler(this, &TForm7::Button1Click));
    connect(Button2, &QPushButton::clicked, this, handler(this, &TForm7::Button2Click));
    for (QPushButton* button : {BitBtn1, Button1, Button2}) platform::PressableByKeyboard(button);
    TranslateTexts();
}

void TForm7::TranslateTexts() {
    // The captions stay as they are in both languages; what a screen reader says follows the student's.
    platform::SetAccessibleTexts(Memo1, tr("Test results"), QString());
    platform::SetAccessibleTexts(BitBtn1, tr("Ok"), tr("Close the results and the testing window"));
    platform::SetAccessibleTexts(Button1, tr("Send"), tr("Start a letter to the course's authors"));
    platform::SetAccessibleTexts(Button2, tr("Print"), tr("Print the results on the default printer"));
}

void TForm7::ShowResults(const QString& caption, const QStringList& lines) {
    Memo1->clear();
    for (const QString& line : lines) Memo1->appendPlainText(line);
    setWindowTitle(caption);
    show();
}

void TForm7::BitBtn1Click() {
    Memo1->clear();
    close();
    // Closing the testing window wipes the test and brings back the window it was started from.
    Form4->close();
}

void TForm7::Button1Click() { platform::desktop().openWithDesktop(ResultsMailUrl()); }

void TForm7::Button2Click() {
    // Without a default printer beginPrint fails and the error box says so; the window stays.
    const std::unique_ptr<platform::PrintJob> job = platform::desktop().beginPrint(windowTitle());
    // An empty memo has no lines, although its document holds one empty block.
    if (!Memo1->document()->isEmpty()) {
        int y = 0;
        for (QTextBlock line = Memo1->document()->firstBlock(); line.isValid(); line = line.next(), y += kPrintLineStep)
            job->drawText(kPrintLeft, y, line.text());
    }
    job->end();
}
