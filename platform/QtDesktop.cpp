#include "QtDesktop.h"

#include <QApplication>
#include <QCoreApplication>
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

#include "platform/failure/Failure.h"

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
            throw Failure(QCoreApplication::translate("Desktop", "Cannot start printing on the printer %1")
                              .arg(printer_->printerName()));
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
        if (!painter_.end()) throw Failure(QCoreApplication::translate("Desktop", "Cannot finish printing"));
    }

private:
    std::unique_ptr<QPrinter> printer_;
    QPainter painter_;
};

// Follows the pointer until the button is released, where the window manager offers no move of its
// own. The window moves by as much as the pointer has moved since the button went down (each move
// carries that point), so a move that came before the program saw the press is not lost.
class ManualMove final : public QObject {
public:
    explicit ManualMove(QWidget* window) : window_(window), start_(window->pos()) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (!window_) {
            deleteLater();
            return false;
        }
        if (event->type() == QEvent::MouseMove) {
            const QEventPoint& pointer = static_cast<QMouseEvent*>(event)->points().constFirst();
            window_->move(start_ + (pointer.globalPosition() - pointer.globalPressPosition()).toPoint());
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
    QPoint start_;
};

// A message box whose text is shown as it is: a message may carry a name the user typed or a
// path, which the box would otherwise read as formatting (or as a picture to load) when it looks
// like HTML.
// A box also shows the ordinary pointer where it comes up while the program shows the wait cursor:
// the user is asked, not kept waiting.
class PlainBox final : public QMessageBox {
public:
    PlainBox(Icon icon, const QString& caption, const QString& text, StandardButtons buttons)
        : QMessageBox(icon, caption, QString(), buttons), overWait_(QGuiApplication::overrideCursor() != nullptr) {
        setTextFormat(Qt::PlainText);
        setText(text);
        if (overWait_) QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~PlainBox() override {
        if (overWait_) QGuiApplication::restoreOverrideCursor();
    }

private:
    bool overWait_;
};

}  // namespace

void QtDesktop::showError(const QString& caption, const QString& text) {
    PlainBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    box.exec();
}

bool QtDesktop::askYesNo(const QString& caption, const QString& text) {
    PlainBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No);
    box.setWindowModality(Qt::ApplicationModal);
    return box.exec() == QMessageBox::Yes;
}

bool QtDesktop::confirm(const QString& text) {
    PlainBox box(QMessageBox::Question, applicationTitle(), text, QMessageBox::Ok | QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

void QtDesktop::openWithDesktop(const QUrl& url) {
    const QString what = url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString();
    // The desktop's opener fails on a missing file without a word on most desktops; a shell says so.
    if (url.isLocalFile() && !QFileInfo(url.toLocalFile()).isFile()) {
        showError(applicationTitle(),
                  QCoreApplication::translate("Desktop", "Cannot open %1: the file was not found.").arg(what));
        return;
    }
    if (!QDesktopServices::openUrl(url)) {
        showError(applicationTitle(),
                  QCoreApplication::translate("Desktop", "Cannot open %1: there is no program for it on this computer.")
                      .arg(what));
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
    if (info.isNull()) throw Failure(noDefaultPrinterMessage());
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
    new ManualMove(window);
}

}  // namespace platform
