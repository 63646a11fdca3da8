#pragma once

#include <QList>
#include <QStringList>

#include "Desktop.h"

namespace platform {

// The desktop as tests see it: every box, question, opened address and printed line is recorded,
// questions are answered from a queue, and nothing is shown or started. Installs itself while it lives.
class RecordingDesktop final : public Desktop {
public:
    struct Box {
        QString caption;
        QString text;
        bool waitCursor = false;  // the wait cursor showed when the box came up
    };
    struct PrintedLine {
        int x;
        int y;
        QString text;
    };
    struct Document {
        QString name;
        QList<PrintedLine> lines;
        bool ended = false;
    };

    RecordingDesktop();
    ~RecordingDesktop() override;
    RecordingDesktop(const RecordingDesktop&) = delete;
    RecordingDesktop& operator=(const RecordingDesktop&) = delete;

    void showError(const QString& caption, const QString& text) override;
    bool askYesNo(const QString& caption, const QString& text) override;
    bool confirm(const QString& text) override;
    void openWithDesktop(const QUrl& url) override;
    QRect workArea() override { return workArea_; }
    QRect screenGeometry() override { return screen_; }
    QString currentDirectory() override { return currentDirectory_; }
    std::unique_ptr<PrintJob> beginPrint(const QString& documentName) override;
    void startSystemMove(QWidget* window) override;

    // Set-up
    QRect workArea_{0, 0, 1366, 728};
    QRect screen_{0, 0, 1366, 768};
    QString currentDirectory_;
    bool hasPrinter = true;
    QList<bool> answers;  // next answers to questions and confirmations; an empty queue answers No / Cancel

    // Records
    QList<Box> errors;
    QList<Box> questions;  // Yes/No questions and confirmations, in order
    QList<QUrl> opened;
    QList<Document> documents;
    QList<QWidget*> moves;

private:
    Desktop* previous_;
};

}  // namespace platform
