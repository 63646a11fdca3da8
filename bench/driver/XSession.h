#pragma once

#include <QPoint>
#include <QString>
#include <optional>

struct _XDisplay;

// The display as a user meets it: its windows found by their titles, the pointer and the keyboard
// driven through XTest. XTest is loaded at run time from the library xdotool itself uses, so that
// building needs no XTest development files.
class XSession {
public:
    XSession();
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // The top-left corner of the shown top-level window with exactly this title.
    QPoint window(const QString& title, int timeoutMs = 10000);

    void moveTo(const QPoint& screen);
    // Presses and releases the left button, twice for a double-click.
    void click(int times = 1);
    // Presses and releases the key of an X keysym (XK_Return ...).
    void key(unsigned long keysym);

private:
    template <class F>
    void resolve(const char* name, F*& function);

    QString title(unsigned long window);
    std::optional<QPoint> find(const QString& wanted);

    _XDisplay* display_ = nullptr;
    void* xtst_ = nullptr;
    unsigned long netWmName_ = 0;
    unsigned long utf8_ = 0;
    int (*motion_)(_XDisplay*, int, int, int, unsigned long) = nullptr;
    int (*button_)(_XDisplay*, unsigned int, int, unsigned long) = nullptr;
    int (*key_)(_XDisplay*, unsigned int, int, unsigned long) = nullptr;
};
