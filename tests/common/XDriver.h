#pragma once

// Drives a program under Xvfb from outside, as a user would, with xdotool: finds its windows by
// title, reads their place and size, clicks into them.
#include <QElapsedTimer>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QtTest>

namespace xdriver {

// Runs xdotool to its end; what it printed.
inline QString xdotool(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// Where a window is on the screen and its size; an empty rectangle when it is gone.
inline QRect windowRect(const QString& id) {
    const QString geometry = xdotool({QStringLiteral("getwindowgeometry"), id});
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Position: (-?\\d+),(-?\\d+).*Geometry: (\\d+)x(\\d+)"),
                           QRegularExpression::DotMatchesEverythingOption)
            .match(geometry);
    return m.hasMatch()
               ? QRect(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt())
               : QRect();
}

// The first visible window whose title is exactly the given one, of the given size where one is
// given; empty after the timeout. Titles are read as window managers read them (_NET_WM_NAME,
// UTF-8): the older WM_NAME, which xdotool's --name searches, is in the program's locale and holds
// no Cyrillic where no locale is set.
inline QString waitForWindow(const QString& title, const QSize& size = QSize(), int timeoutMs = 30000) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        const QString ids = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                     QStringLiteral("--class"), QStringLiteral(".")});
        for (const QString& id : ids.split(u'\n', Qt::SkipEmptyParts))
            if (xdotool({QStringLiteral("getwindowname"), id}) == title &&
                (!size.isValid() || windowRect(id).size() == size))
                return id;
        QTest::qWait(100);
    }
    return {};
}

// A click of the left button at a point of a window.
inline void click(const QString& window, int x, int y) {
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(x), QString::number(y),
             QStringLiteral("click"), QStringLiteral("1")});
}

}  // namespace xdriver
