#pragma once

#include <QDeadlineTimer>
#include <QTest>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineView>

// The value of a script run in the page a browser pane shows, waited for (at most 10 s; an
// invalid value and a warning when the page does not answer).
inline QVariant evaluate(QWebEngineView* view, const QString& script) {
    QVariant result;
    bool done = false;
    view->page()->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    QDeadlineTimer deadline(10000);
    while (!done && !deadline.hasExpired()) QTest::qWait(10);
    if (!done) qWarning("the page did not answer the script %s", qPrintable(script));
    return result;
}
