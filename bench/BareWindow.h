#pragma once

#include <unistd.h>

#include <QApplication>
#include <QScreen>
#include <QWidget>

#include "app/trace/Trace.h"

// What the textbook's main does before its application exists, for the baselines to do the same:
// the browser engine's sandbox off only for root (it refuses to start as root otherwise), and one
// shared GL context.
inline void prepareLikeTheTextbook() {
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

// A bare window of the language window's size and place (frameless, centred on the screen) that
// marks its first frame in the textbook's trace file as "window-painted".
class BareWindow : public QWidget {
public:
    explicit BareWindow(const QString& title) {
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        setWindowTitle(title);
        resize(638, 452);
        move(screen()->availableGeometry().center() - rect().center());
    }

protected:
    // Runs once, right after the first frame is marked.
    virtual void firstFrame() {}

    void paintEvent(QPaintEvent* event) override {
        QWidget::paintEvent(event);
        if (painted_) return;
        painted_ = true;
        TraceEvent("window-painted");
        firstFrame();
    }

private:
    bool painted_ = false;
};
