#include "RecordingDesktop.h"

#include "WaitCursor.h"
#include "platform/failure/Failure.h"

namespace platform {

namespace {

class RecordingPrintJob final : public PrintJob {
public:
    RecordingPrintJob(RecordingDesktop& desktop, qsizetype index) : desktop_(desktop), index_(index) {}
    void drawText(int x, int y, const QString& text) override { desktop_.documents[index_].lines.append({x, y, text}); }
    void end() override { desktop_.documents[index_].ended = true; }

private:
    RecordingDesktop& desktop_;
    qsizetype index_;
};

}  // namespace

RecordingDesktop::RecordingDesktop() : previous_(setDesktop(this)) {}

RecordingDesktop::~RecordingDesktop() { setDesktop(previous_); }

void RecordingDesktop::showError(const QString& caption, const QString& text) {
    errors.append({caption, text, Waiting()});
}

bool RecordingDesktop::askYesNo(const QString& caption, const QString& text) {
    questions.append({caption, text, Waiting()});
    return answers.isEmpty() ? false : answers.takeFirst();
}

bool RecordingDesktop::confirm(const QString& text) {
    questions.append({applicationTitle(), text, Waiting()});
    return answers.isEmpty() ? false : answers.takeFirst();
}

void RecordingDesktop::openWithDesktop(const QUrl& url) { opened.append(url); }

std::unique_ptr<PrintJob> RecordingDesktop::beginPrint(const QString& documentName) {
    if (!hasPrinter) throw Failure(noDefaultPrinterMessage());
    documents.append({documentName, {}, false});
    return std::make_unique<RecordingPrintJob>(*this, documents.size() - 1);
}

void RecordingDesktop::startSystemMove(QWidget* window) { moves.append(window); }

}  // namespace platform
