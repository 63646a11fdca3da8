#include "XSession.h"

#include <dlfcn.h>
#include <unistd.h>

#include "Driver.h"

// Last: Xlib defines macros (Bool, Status, None...) that Qt's headers must not meet.
// clang-format off
#include <X11/Xlib.h>
// clang-format on

XSession::XSession() {
    display_ = XOpenDisplay(nullptr);
    if (!display_) fail(QStringLiteral("cannot open the display"));
    xtst_ = dlopen("libXtst.so.6", RTLD_NOW);
    if (!xtst_) fail(QStringLiteral("cannot load libXtst: %1").arg(QString::fromLocal8Bit(dlerror())));
    resolve("XTestFakeMotionEvent", motion_);
    resolve("XTestFakeButtonEvent", button_);
    resolve("XTestFakeKeyEvent", key_);
    netWmName_ = XInternAtom(display_, "_NET_WM_NAME", False);
    utf8_ = XInternAtom(display_, "UTF8_STRING", False);
}

XSession::~XSession() {
    XCloseDisplay(display_);
    dlclose(xtst_);
}

QPoint XSession::window(const QString& title, int timeoutMs) {
    const qint64 deadline = now() + timeoutMs * kMs;
    do {
        if (const auto at = find(title)) return *at;
        usleep(10000);
    } while (now() < deadline);
    fail(QStringLiteral("no window \"%1\"").arg(title));
}

void XSession::moveTo(const QPoint& screen) {
    motion_(display_, -1, screen.x(), screen.y(), CurrentTime);
    XSync(display_, False);
}

void XSession::click(int times) {
    for (int i = 0; i < times; ++i) {
        button_(display_, Button1, True, CurrentTime);
        button_(display_, Button1, False, CurrentTime);
    }
    XSync(display_, False);
}

void XSession::key(unsigned long keysym) {
    const unsigned int code = XKeysymToKeycode(display_, keysym);
    key_(display_, code, True, CurrentTime);
    key_(display_, code, False, CurrentTime);
    XSync(display_, False);
}

template <class F>
void XSession::resolve(const char* name, F*& function) {
    function = reinterpret_cast<F*>(dlsym(xtst_, name));
    if (!function) fail(QStringLiteral("no %1 in libXtst").arg(QLatin1String(name)));
}

QString XSession::title(unsigned long window) {
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    QString text;
    if (XGetWindowProperty(display_, window, netWmName_, 0, 1024, False, utf8_, &type, &format, &items, &after,
                           &data) == Success &&
        data) {
        text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(items));
        XFree(data);
    }
    return text;
}

std::optional<QPoint> XSession::find(const QString& wanted) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::optional<QPoint> found;
    if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) return found;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display_, children[i], &attributes) || attributes.map_state != IsViewable) continue;
        if (title(children[i]) == wanted) found = QPoint(attributes.x, attributes.y);
    }
    if (children) XFree(children);
    return found;
}
