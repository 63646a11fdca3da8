// Kept apart from the Qt code: Xlib's headers define macros (None, Bool, Status...) that clash with Qt's.
#include "SystemClose.h"

#include <X11/Xlib.h>

bool SystemClose(unsigned long window) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(display, window, False, NoEventMask, &event) != 0;
    XCloseDisplay(display);  // flushes the message
    return sent;
}
