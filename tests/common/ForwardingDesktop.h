#pragma once

#include <memory>

#include "platform/Desktop.h"
#include "platform/RecordingDesktop.h"

// Stands in front of a recording desktop while it lives, passing every request on to it: a test
// overrides only the requests it does otherwise.
class ForwardingDesktop : public platform::Desktop {
public:
    explicit ForwardingDesktop(platform::RecordingDesktop& recording)
        : recording_(recording), previous_(platform::setDesktop(this)) {}
    ~ForwardingDesktop() override { platform::setDesktop(previous_); }
    ForwardingDesktop(const ForwardingDesktop&) = delete;
    ForwardingDesktop& operator=(const ForwardingDesktop&) = delete;

    void showError(const QString& caption, const QString& text) override { recording_.showError(caption, text); }
    bool askYesNo(const QString& caption, const QString& text) override { return recording_.askYesNo(caption, text); }
    bool confirm(const QString& text) override { return recording_.confirm(text); }
    void openWithDesktop(const QUrl& url) override { recording_.openWithDesktop(url); }
    QRect workArea() override { return recording_.workArea(); }
    QRect screenGeometry() override { return recording_.screenGeometry(); }
    QString currentDirectory() override { return recording_.currentDirectory(); }
    std::unique_ptr<platform::PrintJob> beginPrint(const QString& documentName) override {
        return recording_.beginPrint(documentName);
    }
    void startSystemMove(QWidget* window) override { recording_.startSystemMove(window); }

private:
    platform::RecordingDesktop& recording_;
    platform::Desktop* previous_;
};
