#include "QtDesktop.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include "Failure.h"

namespace platform {

namespace {

// Printer resolution: at 300 dots per inch the default font is about 50 units high, so lines
// drawn 100 units apart neither overlap nor crowd each other.
constexpr int kPrintResolution = 300;

class QtPrintJob final : public PrintJob {
public:
    explicit QtPrintJob(std::unique_ptr<QPrinter> printer) : printer_(std::move(printer)) {
        printer_->setResolution(kPrintResolution);
        printer_->setFullPage(true);
        if (!painter_.begin(printer_.get()))
            throw Failure(QStringLiteral("Не удалось начать печать на принтере «%1»").arg(printer_->printerName()));
    }
    ~QtPrintJob() override {
        if (painter_.isActive()) {
            printer_->abort();
            painter_.end();
        }
    }
    void drawText(int x, int y, const QString& text) override {
        // The point is the top of the text, not its baseline.
        painter_.drawText(QRect(x, y, 1 << 20, 1 << 20), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
    }
    void end() override {
        if (!painter_.end()) throw Failure(QStringLiteral("Не удалось завершить печать"));
    }

private:
    std::unique_ptr<QPrinter> printer_;
    QPainter painter_;
};

// Follows the mouse until the button is released, where the window manager offers no move of its own.
class ManualMove final : public QObject {
public:
    ManualMove(QWidget* window, QPoint grabOffset) : window_(window), offset_(grabOffset) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (!window_) {
            deleteLater();
            return false;
        }
        if (event->type() == QEvent::MouseMove) {
            window_->move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - offset_);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            qApp->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QWidget> window_;
    QPoint offset_;
};

}  // namespace

void QtDesktop::showError(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    box.exec();
}

bool QtDesktop::askYesNo(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No);
    box.setWindowModality(Qt::ApplicationModal);
    return box.exec() == QMessageBox::Yes;
}

bool QtDesktop::confirm(const QString& text) {
    QMessageBox box(QMessageBox::Question, applicationTitle(), text, QMessageBox::Ok | QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

void QtDesktop::openWithDesktop(const QUrl& url) {
    const QString what = url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString();
    // The desktop's opener fails on a missing file without a word on most desktops; a shell says so.
    if (url.isLocalFile() && !QFileInfo(url.toLocalFile()).isFile()) {
        showError(applicationTitle(), QStringLiteral("Не удалось открыть «%1»: файл не найден.").arg(what));
        return;
    }
    if (!QDesktopServices::openUrl(url)) {
        showError(applicationTitle(),
                  QStringLiteral("Не удалось открыть «%1»: на этом компьютере нет программы для него.").arg(what));
    }
}

QRect QtDesktop::workArea() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QRect QtDesktop::screenGeometry() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

QString QtDesktop::currentDirectory() { return QDir::currentPath(); }

std::unique_ptr<PrintJob> QtDesktop::beginPrint(const QString& documentName) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) throw Failure(QStringLiteral("Принтер по умолчанию не установлен"));
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    printer->setDocName(documentName);
    return std::make_unique<QtPrintJob>(std::move(printer));
}

std::unique_ptr<PrintJob> beginPdfPrint(const QString& fileName, const QString& documentName) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(fileName);
    printer->setDocName(documentName);
    return std::make_unique<QtPrintJob>(std::move(printer));
}

void QtDesktop::startSystemMove(QWidget* window) {
    if (!window) return;
    QWindow* handle = window->windowHandle();
    if (handle && handle->startSystemMove()) return;
    new ManualMove(window, QCursor::pos() - window->frameGeometry().topLeft());
}

}  // namespace platform
