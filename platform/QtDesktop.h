#pragma once

#include "Desktop.h"

namespace platform {

class QtDesktop final : public Desktop {
public:
    void showError(const QString& caption, const QString& text) override;
    bool askYesNo(const QString& caption, const QString& text) override;
    bool confirm(const QString& text) override;
    void openWithDesktop(const QUrl& url) override;
    QRect workArea() override;
    QRect screenGeometry() override;
    QString currentDirectory() override;
    std::unique_ptr<PrintJob> beginPrint(const QString& documentName) override;
    void startSystemMove(QWidget* window) override;
};

// A document printed into a PDF file by the same code that prints on paper.
std::unique_ptr<PrintJob> beginPdfPrint(const QString& fileName, const QString& documentName);

}  // namespace platform
