#pragma once

#include <QList>
#include <QObject>

class QWebEngineView;
class QWidget;

// The zoom of the course pages: Ctrl+plus (or Ctrl+=), Ctrl+minus and Ctrl+0 in a viewer, and the
// mouse wheel with Ctrl over its page, in the browser's usual steps from 50 % to 300 %. One level
// holds for every page of both viewers and is kept for the next run (ReaderSettings).
class PageZoom : public QObject {
    Q_OBJECT

public:
    // Takes the zoom keys of a viewer window for its browser pane.
    PageZoom(QWidget* window, QWebEngineView* view);
    ~PageZoom() override;

    // Gives the pane the level once it has its page (before the page is made, there is nothing to
    // zoom, and asking the pane for it would start the browser engine).
    void attach();

    // The steps, in percent.
    static const QList<int>& Steps();
    // The step nearest to a percentage.
    static int NearestStep(int percent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Moves the level of every viewer one step up (1), down (-1) or back to 100 % (0).
    void step(int direction);
    void apply(int percent);

    QWebEngineView* view_;
    bool attached_ = false;
    int wheel_ = 0;  // the wheel's turn not yet made into steps (touchpads turn in small bits)
};
