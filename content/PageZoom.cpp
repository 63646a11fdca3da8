#include "PageZoom.h"

#include <QEvent>
#include <QShortcut>
#include <QWebEngineView>
#include <QWheelEvent>
#include <cstdlib>

#include "ReaderSettings.h"

namespace {

// The zooms of both viewers, which move together.
QList<PageZoom*>& zooms() {
    static QList<PageZoom*> all;
    return all;
}

void addShortcut(QWidget* window, const QKeySequence& keys, const std::function<void()>& action) {
    QObject::connect(new QShortcut(keys, window), &QShortcut::activated, window, action);
}

}  // namespace

PageZoom::PageZoom(QWidget* window, QWebEngineView* view) : QObject(view), view_(view) {
    zooms().append(this);
    addShortcut(window, QKeySequence(Qt::CTRL | Qt::Key_Plus), [this] { step(1); });
    addShortcut(window, QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { step(1); });
    addShortcut(window, QKeySequence(Qt::CTRL | Qt::Key_Minus), [this] { step(-1); });
    addShortcut(window, QKeySequence(Qt::CTRL | Qt::Key_0), [this] { step(0); });
    // The wheel reaches the widget the browser draws the page in, a child of the pane made with
    // the page; the browser would zoom by itself on Ctrl+wheel, past the kept level.
    view_->installEventFilter(this);
    for (QObject* child : view_->children()) child->installEventFilter(this);
}

PageZoom::~PageZoom() { zooms().removeOne(this); }

const QList<int>& PageZoom::Steps() {
    static const QList<int> steps{50, 67, 75, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300};
    return steps;
}

int PageZoom::NearestStep(int percent) {
    int nearest = Steps().first();
    for (int s : Steps())
        if (std::abs(s - percent) < std::abs(nearest - percent)) nearest = s;
    return nearest;
}

void PageZoom::attach() {
    attached_ = true;
    apply(NearestStep(ZoomPercent()));
}

void PageZoom::apply(int percent) {
    if (attached_) view_->setZoomFactor(percent / 100.0);
}

void PageZoom::step(int direction) {
    const int now = NearestStep(ZoomPercent());
    int next = 100;
    if (direction > 0) {
        const auto above = std::upper_bound(Steps().cbegin(), Steps().cend(), now);
        next = above == Steps().cend() ? Steps().last() : *above;
    } else if (direction < 0) {
        const auto below = std::lower_bound(Steps().cbegin(), Steps().cend(), now);
        next = below == Steps().cbegin() ? Steps().first() : *(below - 1);
    }
    KeepZoomPercent(next);
    for (PageZoom* zoom : zooms()) zoom->apply(next);
}

bool PageZoom::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && event->type() == QEvent::ChildAdded)
        static_cast<QChildEvent*>(event)->child()->installEventFilter(this);
    if (event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            wheel_ += wheel->angleDelta().y();
            for (; wheel_ >= QWheelEvent::DefaultDeltasPerStep; wheel_ -= QWheelEvent::DefaultDeltasPerStep) step(1);
            for (; wheel_ <= -QWheelEvent::DefaultDeltasPerStep; wheel_ += QWheelEvent::DefaultDeltasPerStep) step(-1);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
