// The viewer's browser pane with the real browser engine: a section address loads the page and
// scrolls to its anchor, a second section of the same page only scrolls, and a missing page
// shows the engine's own error page while the chapter is recorded all the same. A page chosen in
// the week menu, or the first page of a viewer just shown, is shown once loaded: the window keeps
// its frame meanwhile, and is repainted at once when nothing loads.
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

#include "app/Unit1.h"
#include "content/Unit2.h"
#include "content/Unit3.h"
#include "content/ViewerPane.h"
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

// Writes the pages of the first two weeks; true, for a member's initialiser.
bool writeTwoWeeks(const CourseRoot& root) {
    writePage(root.path() + QStringLiteral("/web/1 Неделя.htm"));
    writePage(root.path() + QStringLiteral("/web/2 Неделя.htm"));
    return true;
}

// A course with the pages of the first two weeks, its windows, and the viewer's loads counted.
struct TwoWeeks {
    CourseRoot root;
    bool written = writeTwoWeeks(root);
    WindowSetGuard windows{root.path()};
    QSignalSpy loaded{Form3->WebBrowser1, &QWebEngineView::loadFinished};
};

QMenu* weekMenu(const QString& week) {
    for (QAction* action : Form3->MainMenu1->actions())
        if (action->text() == week) return action->menu();
    return nullptr;
}

// The Russian viewer shown with the page of "1 Неделя", opened from the main window's tree; `loaded`
// counts the viewer's loads.
bool openFirstWeek(QSignalSpy& loaded) {
    Form1->show();
    Form1->SpeedButton1->click();
    Form2->TreeView1->setCurrentItem(Form2->TreeView1->topLevelItem(1));
    emit Form2->TreeView1->doubleClicked();
    return QTest::qWaitFor([&] { return loaded.size() == 1; }, 20000) && loaded.first().first().toBool();
}

// Opens a week's submenu from the viewer's menu bar with the item active, and lets the window
// repaint what the opening changed.
void openAt(QMenu* menu, QAction* item) {
    Form3->MainMenu1->setActiveAction(menu->menuAction());
    QVERIFY(QTest::qWaitFor([&] { return menu->isVisible(); }));
    menu->setActiveAction(item);
    QTest::qWait(100);
}

// The paints of a widget after a choice: when the first came, and whether the page had loaded by
// then.
class FirstPaint : public QObject {
public:
    FirstPaint(QWidget* widget, QWebEngineView* view) {
        widget->installEventFilter(this);
        connect(view, &QWebEngineView::loadFinished, this, [this] { loaded_ = true; });
        clock_.start();
    }
    int count = 0;
    bool afterLoad = false;
    qint64 atMs = -1;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !count++) {
            afterLoad = loaded_;
            atMs = clock_.elapsed();
        }
        return false;
    }

private:
    QElapsedTimer clock_;
    bool loaded_ = false;
};

}  // namespace

class TestBrowser : public QObject {
    Q_OBJECT

    QTemporaryDir traceDir_;
    QString trace_;

    // The names of the trace's moments after the last "page-loaded", in the order written.
    QStringList momentsAfterLoad() const {
        QFile file(trace_);
        if (!file.open(QIODevice::ReadOnly)) return {};
        QStringList names;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QByteArray name = line.split(' ').first();
            if (name == "page-loaded") names.clear();
            if (!name.isEmpty()) names << QString::fromLatin1(name);
        }
        return names;
    }

private slots:
    // Before any window exists: the moments are written where the benchmarks read them.
    void initTestCase() {
        trace_ = traceDir_.filePath(QStringLiteral("trace"));
        qputenv("TEXTBOOK_TRACE", trace_.toLocal8Bit());
    }

    // The benchmarks' mark of a loaded page on screen: the pane's first paint after the load.
    void paintAfterLoadIsMarked() {
        CourseRoot root;
        writePage(root.path() + QStringLiteral("/web/1 Неделя.htm"));
        WindowSetGuard windows(root.path());
        QSignalSpy loaded(Form3->WebBrowser1, &QWebEngineView::loadFinished);
        QVERIFY(openFirstWeek(loaded));
        QTRY_COMPARE(momentsAfterLoad(),
                     (QStringList{QStringLiteral("page-loaded"), QStringLiteral("viewer-painted")}));
    }

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

    // The menu closes and the page of the item chosen loads; the window shows both at once, once
    // the page has loaded (or once the hold's longest wait has passed, on a slow machine). The
    // chapter is stored first.
    void pageChosenInTheWeekMenu_data() {
        QTest::addColumn<bool>("byMouse");
        QTest::newRow("Return") << false;
        QTest::newRow("button released over the item") << true;
    }
    void pageChosenInTheWeekMenu() {
        QFETCH(bool, byMouse);
        TwoWeeks course;
        CourseRoot& root = course.root;
        QSignalSpy& loaded = course.loaded;
        QVERIFY(openFirstWeek(loaded));
        QMenu* menu = weekMenu(QStringLiteral("2 Неделя"));
        QAction* item = menuItem(Form3, QStringLiteral("2 Неделя"), QStringLiteral("Лабораторная работа №2"));
        openAt(menu, item);

        FirstPaint bar(Form3->MainMenu1, Form3->WebBrowser1);
        if (byMouse)
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
        else
            QTest::keyClick(menu, Qt::Key_Return);
        QVERIFY(!menu->isVisible());
        QCOMPARE(root.rows(QStringLiteral("user1")).first(), QStringLiteral("Айгерим|2 НеделяЛабораторная работа №2"));
        QCOMPARE(loaded.size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 2, 20000);
        QVERIFY(loaded.last().first().toBool());
        QCOMPARE(Form3->WebBrowser1->url().fileName(), QStringLiteral("2 Неделя.htm"));
        QCOMPARE(Form3->WebBrowser1->url().fragment(), QStringLiteral("a2"));
        QTRY_VERIFY(bar.count > 0);
        QVERIFY2(bar.afterLoad || bar.atMs >= FrameHold::kMaxMs, qPrintable(QString::number(bar.atMs)));
        QVERIFY(course.windows.desktop.errors.isEmpty());
    }

    // When the choice loads nothing, the window is repainted as the menu closes.
    void choiceThatLoadsNothing_data() {
        QTest::addColumn<QString>("week");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("hash");  // the page shown afterwards
        QTest::newRow("store refused") << "2 Неделя"
                                       << "Практическая работа №2" << true << "";
        QTest::newRow("section of the page shown") << "1 Неделя"
                                                   << "Практическая работа №1" << false << "#a2";
    }
    void choiceThatLoadsNothing() {
        QFETCH(QString, week);
        QFETCH(QString, caption);
        QFETCH(bool, refused);
        QFETCH(QString, hash);
        TwoWeeks course;
        CourseRoot& root = course.root;
        QSignalSpy& loaded = course.loaded;
        QVERIFY(openFirstWeek(loaded));
        if (refused) root.refuseStores(QStringLiteral("запись запрещена"));
        QMenu* menu = weekMenu(week);
        openAt(menu, menuItem(Form3, week, caption));

        QTest::keyClick(menu, Qt::Key_Return);
        QCoreApplication::processEvents();
        QVERIFY(Form3->updatesEnabled());
        QCOMPARE(course.windows.desktop.errors.size(), refused ? 1 : 0);
        QCOMPARE(root.rows(QStringLiteral("user1")).first(),
                 QStringLiteral("Айгерим|") + (refused ? QStringLiteral("1 Неделя") : week + caption));
        QTRY_COMPARE(evaluate(Form3->WebBrowser1, QStringLiteral("location.hash")).toString(), hash);
        QCOMPARE(loaded.size(), 1);
    }

    // The viewer shown for its first page paints its first frame at once and the page once loaded.
    // The engine is warmed first, as the program does, so that the page loads well within the
    // hold's longest wait: a first frame held until then would come after the load.
    void firstPageOfAViewerJustShown() {
        CourseRoot root;
        writePage(root.path() + QStringLiteral("/web/1 Неделя.htm"));
        WindowSetGuard windows(root.path());
        QSignalSpy warmed(Form3->WebBrowser1, &QWebEngineView::loadFinished);
        Form3->WarmUp();
        QVERIFY(QTest::qWaitFor([&] { return warmed.size() == 1; }, 20000));
        QSignalSpy loaded(Form3->WebBrowser1, &QWebEngineView::loadFinished);
        FirstPaint bar(Form3->MainMenu1, Form3->WebBrowser1);
        QVERIFY(openFirstWeek(loaded));
        QVERIFY(bar.count > 0);
        QVERIFY(!bar.afterLoad);
        QTRY_VERIFY(Form3->updatesEnabled());
    }
};

QTEST_MAIN(TestBrowser)
#include "tst_browser.moc"
