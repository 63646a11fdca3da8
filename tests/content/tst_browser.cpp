// The viewer's browser pane with the real browser engine: a section address loads the page and
// scrolls to its anchor, a second section of the same page only scrolls, and a missing page
// shows the engine's own error page while the chapter is recorded all the same.
#include <QMenu>
#include <QMenuBar>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

#include "app/Unit1.h"
#include "content/Unit2.h"
#include "content/Unit3.h"
#include "controls/StatusBar.h"
#include "controls/TreeView.h"
#include "tests/common/Fixture.h"
#include "tests/common/PageScript.h"
#include "tests/common/WindowSetGuard.h"

using fixture::CourseRoot;

namespace {

void writePage(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile page(path);
    if (!page.open(QIODevice::WriteOnly)) qFatal("cannot write the fixture page");
    QByteArray html = "<html><head><meta charset='utf-8'></head><body>";
    for (int section = 1; section <= 3; ++section) {
        html +=
            QByteArray("<h2 id='a") + QByteArray::number(section) + "'>Раздел " + QByteArray::number(section) + "</h2>";
        html += "<div style='height:3000px'>текст</div>";
    }
    page.write(html + "</body></html>");
}

QAction* menuItem(TViewer* window, const QString& top, const QString& caption) {
    for (QAction* action : window->MainMenu1->actions())
        if (action->text() == top)
            for (QAction* sub : action->menu()->actions())
                if (sub->text() == caption) return sub;
    return nullptr;
}

}  // namespace

class TestBrowser : public QObject {
    Q_OBJECT

private slots:
    void sectionLoadsAndScrolls() {
        CourseRoot root;
        writePage(root.path() + QStringLiteral("/web/1 Неделя.htm"));
        WindowSetGuard windows(root.path());
        Form1->show();
        Form1->SpeedButton1->click();
        QSignalSpy started(Form3->WebBrowser1, &QWebEngineView::loadStarted);
        QSignalSpy loaded(Form3->WebBrowser1, &QWebEngineView::loadFinished);

        QTreeWidgetItem* week = Form2->TreeView1->topLevelItem(1);
        week->setExpanded(true);
        Form2->TreeView1->setCurrentItem(week->child(1));
        emit Form2->TreeView1->doubleClicked();
        QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 1, 20000);
        QCOMPARE(loaded.first().first().toBool(), true);
        QCOMPARE(evaluate(Form3->WebBrowser1, QStringLiteral("location.hash")).toString(), QStringLiteral("#a2"));
        QTRY_VERIFY(evaluate(Form3->WebBrowser1, QStringLiteral("window.scrollY")).toDouble() > 1000);

        // Another section of the same page: it scrolls, and no second load comes. A second load
        // begins before its page could show the new section, and a round trip through the page
        // answers only after what was asked before it: the page's document is still the first one.
        QCOMPARE(evaluate(Form3->WebBrowser1, QStringLiteral("document.title = 'first'")).toString(),
                 QStringLiteral("first"));
        menuItem(Form3, QStringLiteral("1 Неделя"), QStringLiteral("Лекция"))->trigger();
        QTRY_COMPARE(evaluate(Form3->WebBrowser1, QStringLiteral("location.hash")).toString(), QStringLiteral("#a1"));
        QTRY_VERIFY(evaluate(Form3->WebBrowser1, QStringLiteral("window.scrollY")).toDouble() < 1000);
        QCOMPARE(evaluate(Form3->WebBrowser1, QStringLiteral("document.title")).toString(), QStringLiteral("first"));
        QCOMPARE(started.size(), 1);
        QCOMPARE(loaded.size(), 1);
        QVERIFY(windows.desktop.errors.isEmpty());
    }

    void missingPageShowsTheEnginesErrorPage() {
        CourseRoot root;
        WindowSetGuard windows(root.path());
        Form1->show();
        Form1->SpeedButton1->click();
        QSignalSpy loaded(Form3->WebBrowser1, &QWebEngineView::loadFinished);
        Form2->TreeView1->setCurrentItem(Form2->TreeView1->topLevelItem(0));
        emit Form2->TreeView1->doubleClicked();
        QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 1, 20000);
        QCOMPARE(loaded.first().first().toBool(), false);
        QVERIFY(Form3->isVisible());
        QCOMPARE(Form2->StatusBar1->panelText(4), QStringLiteral("Введение"));
        QVERIFY(windows.desktop.errors.isEmpty());
    }
};

QTEST_MAIN(TestBrowser)
#include "tst_browser.moc"
