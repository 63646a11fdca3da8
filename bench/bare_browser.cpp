// The bare baseline of the pages: a first window like the language window; once it is on screen
// a browser view is created and warmed with an empty page (hidden, in a window of the viewer's
// size). A double-click on the first window opens the first page in the view and shows the view's
// window in its place; a click on the strip above the view (where the viewer has its menu) opens
// the second page.
//   bare_browser FIRST-PAGE-URL SECOND-PAGE-URL [--menu]
// With --menu the strip is a menu bar with one menu, "2 Неделя", whose one item opens the second
// page: what choosing from a menu adds to a bare load, for the reader of the next-page figure.
// Marks in the textbook's trace file (TEXTBOOK_TRACE): window-painted, page-loaded <url>,
// page-failed <url>, and viewer-painted at the view's first paint after a page loaded.

#include <QApplication>
#include <QEvent>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <QWidget>
#include <memory>

#include "BareWindow.h"
#include "app/trace/Trace.h"

namespace {

// The window of the view: as large as the desktop's work area, the view placed as the viewer
// places its pane.
class ViewWindow : public QWidget {
public:
    ViewWindow(const QUrl& second, bool menu) : second_(second) {
        setWindowTitle(QStringLiteral("bare browser view"));
        if (menu) {
            // As the viewer lays itself out: the menu bar on top, the view at the client's corner.
            auto* layout = new QVBoxLayout(this);
            layout->setContentsMargins(0, 0, 0, 0);
            auto* bar = new QMenuBar(this);
            layout->setMenuBar(bar);
            auto* client = new QWidget(this);
            layout->addWidget(client);
            QAction* item =
                bar->addMenu(QStringLiteral("2 Неделя"))->addAction(QStringLiteral("Практическая работа №2"));
            connect(item, &QAction::triggered, this, [this] { view_->setUrl(second_); });
            view_ = new QWebEngineView(client);
            view_->move(0, 0);
        } else {
            view_ = new QWebEngineView(this);
            view_->move(0, kStrip);
        }
        connect(view_, &QWebEngineView::loadFinished, this, [this](bool ok) {
            TraceEvent(ok ? "page-loaded" : "page-failed", view_->url().toString());
            // The page is on screen at the pane's next paint. The pane is the view's render widget,
            // which the engine may replace when a page moves to another process.
            paintPending_ = true;
            if (QWidget* pane = view_->focusProxy()) pane->installEventFilter(this);
        });
    }

    QWebEngineView* view() const { return view_; }

    void open(const QUrl& url) {
        view_->setUrl(url);
        const QRect area = screen()->availableGeometry();
        setGeometry(area);
        view_->resize(area.width() - 10, area.height() - 80);
        show();
    }

protected:
    void mousePressEvent(QMouseEvent*) override { view_->setUrl(second_); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (paintPending_ && event->type() == QEvent::Paint && watched == view_->focusProxy()) {
            paintPending_ = false;
            TraceEvent("viewer-painted");
        }
        return false;
    }

private:
    static constexpr int kStrip = 24;
    QWebEngineView* view_;
    QUrl second_;
    bool paintPending_ = false;
};

class FirstWindow : public BareWindow {
public:
    FirstWindow(const QUrl& first, const QUrl& second, bool menu)
        : BareWindow(QStringLiteral("bare browser")), first_(first), second_(second), menu_(menu) {}

protected:
    // The first frame is on screen: now the view may be created and its engine started.
    void firstFrame() override {
        QTimer::singleShot(0, this, [this] {
            views_ = std::make_unique<ViewWindow>(second_, menu_);
            views_->view()->setUrl(QUrl(QStringLiteral("about:blank")));
        });
    }

    void mouseDoubleClickEvent(QMouseEvent*) override {
        if (!views_) return;
        views_->open(first_);
        hide();
    }

private:
    QUrl first_;
    QUrl second_;
    bool menu_;
    std::unique_ptr<ViewWindow> views_;
};

}  // namespace

int main(int argc, char* argv[]) {
    prepareLikeTheTextbook();
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    const QStringList args = application.arguments();
    if (args.size() < 3 || args.size() > 4 || (args.size() == 4 && args[3] != u"--menu")) {
        qWarning("usage: bare_browser FIRST-PAGE-URL SECOND-PAGE-URL [--menu]");
        return 2;
    }
    FirstWindow window{QUrl(args[1]), QUrl(args[2]), args.size() == 4};
    window.show();
    return application.exec();
}
