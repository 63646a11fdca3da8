#include "ViewerPane.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QStyle>
#include <QTimer>
#include <QWebEngineView>
#include <QWindow>

#include "app/trace/Trace.h"

namespace {

// Waits for the pane's next paint once a page has loaded. The pane is the view's render widget,
// which the engine may replace when a page moves to another process, so it is looked up anew at
// every load.
class PaintMark final : public QObject {
public:
    explicit PaintMark(QWebEngineView* view) : QObject(view), view_(view) {
        connect(view, &QWebEngineView::loadStarted, this, [] { TraceEvent("viewer-load-started"); });
        connect(view, &QWebEngineView::loadFinished, this, [this] {
            pending_ = true;
            if (QWidget* pane = view_->focusProxy()) pane->installEventFilter(this);
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (pending_ && event->type() == QEvent::Paint && watched == view_->focusProxy()) {
            pending_ = false;
            TraceEvent("viewer-painted");
        }
        return false;
    }

private:
    QWebEngineView* view_;
    bool pending_ = false;
};

}  // namespace

void TracePaneMoments(QWebEngineView* view) {
    if (!qEnvironmentVariableIsEmpty("TEXTBOOK_TRACE")) new PaintMark(view);
}

FrameHold::FrameHold(QWidget* window, QWebEngineView* pane, std::function<bool(const QAction*)> opensPage)
    : QObject(window), window_(window), opensPage_(std::move(opensPage)), deadline_(new QTimer(this)) {
    deadline_->setSingleShot(true);
    deadline_->setInterval(kMaxMs);
    connect(deadline_, &QTimer::timeout, this, &FrameHold::release);
    connect(pane, &QWebEngineView::loadFinished, this, [this] {
        loading_ = false;
        release();
    });
}

void FrameHold::watch(QMenu* menu) { menu->installEventFilter(this); }

void FrameHold::loadStarted() {
    TraceEvent("viewer-page-handed");
    loading_ = true;
    handed_ = true;
}

void FrameHold::showing() {
    if (!loading_ || state_ != State::Free) return;
    state_ = State::FirstFrame;
    watchWindow(true);
    deadline_->start();
}

bool FrameHold::eventFilter(QObject* watched, QEvent* event) {
    if (auto* menu = qobject_cast<QMenu*>(watched)) {
        menuEvent(menu, event);
        return false;
    }
    switch (event->type()) {
        case QEvent::Expose:
            // The first exposure paints the first frame; later ones find the window held.
            if (state_ == State::FirstFrame && window_->windowHandle()->isExposed())
                state_ = State::FirstFrameOut;
            else if (state_ == State::FirstFrameOut)
                start();
            return false;
        case QEvent::UpdateRequest:
            // One may have been asked for before the hold began; it is answered at its end.
            if (state_ == State::FirstFrameOut) start();
            if (state_ != State::Holding) return false;
            requestHeld_ = true;
            return true;
        // Whatever the student does next, and any change of the window's size or visibility, is
        // shown at once.
        case QEvent::Resize:
            // The window's own size, told again when its platform window is placed, changes nothing.
            if (static_cast<QResizeEvent*>(event)->size() != size_) release();
            return false;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::Wheel:
        case QEvent::Hide:
        case QEvent::WindowStateChange:
            release();
            return false;
        default:
            return false;
    }
}

void FrameHold::menuEvent(QMenu* menu, QEvent* event) {
    if (event->type() == QEvent::Hide) TraceEvent("viewer-menu-hidden");
    // The menu takes its active item on these, closes and only then triggers the item: the hold
    // must begin before the closing asks for the repaints.
    QAction* chosen = nullptr;
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter ||
            (key == Qt::Key_Space && menu->style()->styleHint(QStyle::SH_Menu_SpaceActivatesItem, nullptr, menu)))
            chosen = menu->activeAction();
    } else if (event->type() == QEvent::MouseButtonRelease) {
        QAction* under = menu->actionAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        if (under && under == menu->activeAction()) chosen = under;
    }
    if (!chosen || !chosen->isEnabled() || chosen->menu() || !opensPage_(chosen) || !window_->isVisible()) return;
    TraceEvent("viewer-page-chosen");
    if (state_ == State::Free) {
        watchWindow(true);
        deadline_->start();
    }
    start();
    handed_ = false;
    // The item is triggered within this same event. When that handed the pane no page, there is
    // nothing to wait for.
    QTimer::singleShot(0, this, [this] {
        if (state_ == State::Holding && !handed_) release();
    });
}

void FrameHold::start() {
    if (state_ == State::Holding) return;
    state_ = State::Holding;
    requestHeld_ = false;
    window_->setUpdatesEnabled(false);
}

void FrameHold::release() {
    if (state_ == State::Free) return;
    const bool held = state_ == State::Holding;
    state_ = State::Free;
    deadline_->stop();
    watchWindow(false);
    if (!held) return;
    window_->setUpdatesEnabled(true);  // repaints the whole window
    // A request taken while holding leaves the window waiting for its answer, which asks for no
    // other until it comes.
    if (requestHeld_) QCoreApplication::postEvent(window_, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
}

void FrameHold::watchWindow(bool on) {
    size_ = window_->size();
    QObject* targets[] = {window_, window_->windowHandle()};
    for (QObject* target : targets) {
        if (!target) continue;
        if (on)
            target->installEventFilter(this);
        else
            target->removeEventFilter(this);
    }
}
