#pragma once

#include <QCursor>
#include <QGuiApplication>

namespace platform {

// The wait cursor over every window of the program for as long as it lives: around a step the user
// waits for (the course database opening on a lab server, a test starting). However the step ends,
// an error included, the cursor is the user's again once the guard is gone.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Whether the wait cursor shows now.
inline bool Waiting() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::WaitCursor;
}

}  // namespace platform
