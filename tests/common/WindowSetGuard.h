#pragma once

#include <QString>

#include "app/WindowSet.h"
#include "platform/RecordingDesktop.h"

// The whole window set created on a content root, with the recording desktop in place, for the
// length of one test.
struct WindowSetGuard {
    explicit WindowSetGuard(const QString& contentRoot) {
        desktop.currentDirectory_ = contentRoot;
        CreateWindowSet();
    }
    ~WindowSetGuard() { DestroyWindowSet(); }
    WindowSetGuard(const WindowSetGuard&) = delete;
    WindowSetGuard& operator=(const WindowSetGuard&) = delete;

    platform::RecordingDesktop desktop;
};
