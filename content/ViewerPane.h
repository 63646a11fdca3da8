#pragma once

#include <QObject>
#include <QSize>
#include <functional>

class QAction;
class QMenu;
class QTimer;
class QWebEngineView;
class QWidget;

// Marks in the benchmarks' trace when the pane starts a load ("viewer-load-started") and its first
// paint after every load ("viewer-painted"): the moment the loaded page is on screen. Nothing is
// marked without a trace file.
void TracePaneMoments(QWebEngineView* view);

// Keeps a window's frame on screen while its browser pane loads a page. Without a GPU every repaint
// of a window that holds a browser pane composes the whole window in software and takes the
// program's thread for many milliseconds, and a page load waits for the thread at every step. A
// menu closing repaints the menu bar and the part of the pane it covered, one after the other, and
// a window shown for a page repaints for every frame the engine gives the pane while the page
// loads. So the window is not repainted
// - from the moment a page's item is chosen for certain in a watched menu (Return or Enter on it, or
//   the button released over it, before the menu closes), and
// - after the first frame of the window shown while its pane loads,
// until the page has loaded; then it is repainted once: menu closed and page loaded at once. The
// hold ends early when the choice hands the pane no page (a failed store, a section of the page
// shown, which only scrolls), when the window takes a click, a key or the wheel, resizes or hides,
// and after kMaxMs at the latest. With a trace file it marks the steps of a choice: the page's item
// chosen ("viewer-page-chosen"), the menu hidden ("viewer-menu-hidden") and the page handed to the
// pane ("viewer-page-handed").
class FrameHold final : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaxMs = 250;

    // `opensPage` tells the menu items that hand the pane a page.
    FrameHold(QWidget* window, QWebEngineView* pane, std::function<bool(const QAction*)> opensPage);

    void watch(QMenu* menu);
    // The pane was handed a page to load (not a section of the page it shows).
    void loadStarted();
    // The window is being shown: while its pane loads, the hold begins after the first frame.
    void showing();

    bool holding() const { return state_ == State::Holding; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void menuEvent(QMenu* menu, QEvent* event);
    void start();
    void release();
    void watchWindow(bool on);

    enum class State {
        Free,
        FirstFrame,  // shown while its pane loads: the window's first frame is still to come
        FirstFrameOut,
        Holding,
    };

    QWidget* window_;
    std::function<bool(const QAction*)> opensPage_;
    QTimer* deadline_;
    QSize size_;  // the window's size when the hold began
    State state_ = State::Free;
    bool loading_ = false;      // the pane loads a page
    bool handed_ = false;       // a page was handed to the pane since the hold began
    bool requestHeld_ = false;  // a repaint request reached the window while holding
};
