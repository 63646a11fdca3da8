// Reading aids of the viewers and main windows, with the real browser engine: the zoom keys and
// wheel, the zoom and the place in a page kept for the next run (a second process on the same
// settings folder), find in the page with its count, and Ctrl+Enter back to the recorded chapter.
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QSettings>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWheelEvent>
#include <QtTest>
#include <cstdio>

#include "app/Unit1.h"
#include "content/Unit2.h"
#include "content/Unit3.h"
#include "content/Unit8.h"
#include "content/Unit9.h"
#include "controls/StatusBar.h"
#include "controls/TreeView.h"
#include "tests/common/Fixture.h"
#include "tests/common/PageScript.h"
#include "tests/common/WindowSetGuard.h"

using fixture::CourseRoot;
using namespace Qt::StringLiterals;

namespace {

// Words whose matches are counted by hand: upper and lower case, ё for е, and each Kazakh letter
// beside the Russian one it must not be taken for.
const QString kWords =
    u"<p>Ёлка, ёлка, елка и ЕЛКА; Елка.</p>"
    u"<p>йод ЙОД иод</p>"
    u"<p>Әке әке ӘКЕ аке</p>"
    u"<p>Ғалым ғалым галым</p>"
    u"<p>Қала қала ҚАЛА кала</p>"
    u"<p>Аң аң АҢ ан</p>"
    u"<p>Өз өз ӨЗ оз</p>"
    u"<p>Ұл ұл ҰЛ ул</p>"
    u"<p>Үй үй ҮЙ уй</p>"
    u"<p>Һижра һижра хижра</p>"
    u"<p>Іні іні ІНІ ини</p>"_s;

// A week page: the words (and more), then sections a1 to a3 with 3000 pixels of text under each.
void writePage(const QString& path, const QString& more = QString()) {
    QDir().mkpath(QFileInfo(path).path());
    QFile page(path);
    if (!page.open(QIODevice::WriteOnly)) qFatal("cannot write the fixture page");
    QString html = u"<html><head><meta charset='utf-8'></head><body>"_s + kWords + more;
    for (int section = 1; section <= 3; ++section)
        html += u"<h2 id='a%1'>Раздел %1</h2><div style='height:3000px'>текст</div>"_s.arg(section);
    page.write((html + u"</body></html>"_s).toUtf8());
}

// The pages the tests open, in both languages; week 2 has "қала" twice more.
void writePages(const QString& root) {
    for (const QString& page :
         {u"web/1 Неделя.htm"_s, u"web/Введение.htm"_s, u"web_kz/1 Апта.htm"_s, u"web_kz/8 Тарау.htm"_s})
        writePage(root + u'/' + page);
    writePage(root + u"/web/2 Неделя.htm"_s, u"<p>қала, қала</p>"_s);
}

// A content root with the pages, the reader's settings in a folder of its own, and a language
// chosen; the current user is Айгерим, whose chapter is "1 Неделя".
struct Reading {
    explicit Reading(bool kazakh = false, const QString& chapter = u"1 Неделя"_s) : windows(prepare(chapter)) {
        Form1->show();
        (kazakh ? Form1->SpeedButton2 : Form1->SpeedButton1)->click();
    }
    QString prepare(const QString& chapter) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
        writePages(root.path());
        root.exec(u"UPDATE user1 SET glava = '%1' WHERE \"user\" = 'Айгерим'"_s.arg(chapter));
        return root.path();
    }
    QTemporaryDir config;
    CourseRoot root;
    WindowSetGuard windows;
};

TMainForm* mainWindow(bool kazakh) { return kazakh ? static_cast<TMainForm*>(Form8) : Form2; }
TViewer* viewer(bool kazakh) { return kazakh ? static_cast<TViewer*>(Form9) : Form3; }

// Double-clicks a tree entry (item 0: the top-level entry itself); the viewer's page then loads.
bool openFromTree(bool kazakh, int top, int item) {
    TMainForm* window = mainWindow(kazakh);
    QTreeWidgetItem* entry = window->TreeView1->topLevelItem(top);
    if (item) entry = entry->child(item - 1);
    window->TreeView1->setCurrentItem(entry);
    QSignalSpy loaded(viewer(kazakh)->WebBrowser1, &QWebEngineView::loadFinished);
    emit window->TreeView1->doubleClicked();
    return loaded.wait(20000) && loaded.first().first().toBool();
}

bool near(double a, double b, double within) { return std::abs(a - b) <= within; }

double scrollY(TViewer* window) { return evaluate(window->WebBrowser1, u"window.scrollY"_s).toDouble(); }

// The page's zoom as the page itself sees it: CSS pixels per pixel of the screen (1 offscreen).
double shownZoom(TViewer* window) { return evaluate(window->WebBrowser1, u"window.devicePixelRatio"_s).toDouble(); }

// Pixels of the browser's marks of found text: yellow for the matches, orange for the one shown.
int markPixels(TViewer* window) {
    const QImage shot = window->WebBrowser1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int marks = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QRgb p = shot.pixel(x, y);
            if (qRed(p) == 255 && ((qGreen(p) == 255 && qBlue(p) == 0) || (qGreen(p) == 150 && qBlue(p) == 50)))
                ++marks;
        }
    return marks;
}

QLineEdit* findText(TViewer* window) { return window->findChild<QLineEdit*>(u"FindText"_s); }
QString findCount(TViewer* window) {
    const auto* count = window->findChild<QLabel*>(u"FindCount"_s);
    return count ? count->text() : u"(no bar)"_s;
}
bool findBarOpen(TViewer* window) {
    const QWidget* bar = window->findChild<QWidget*>(u"FindBar"_s);
    return bar && bar->isVisible();
}

// Types text as the keyboard would, a key for each letter (QTest::keyClicks knows ASCII only).
void type(QWidget* widget, const QString& text) {
    for (const QChar letter : text) {
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, letter, Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, letter, Qt::NoModifier);
    }
}

void ctrlWheel(TViewer* window, int delta) {
    QWidget* page = window->WebBrowser1->focusProxy();
    const QPointF at(100, 100);
    QWheelEvent wheel(at, page->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(page, &wheel);
}

// --- The program run again: a process of its own on the same course and settings folder ------

// Waits for a condition, at most `ms` milliseconds.
bool waitFor(const std::function<bool()>& condition, int ms = 10000) {
    QDeadlineTimer deadline(ms);
    while (!condition() && !deadline.hasExpired()) QTest::qWait(20);
    return condition();
}

// tst_reading --run-again ROOT zoom N         opens "1 Неделя" and presses Ctrl+= N times
// tst_reading --run-again ROOT scroll Y       opens "1 Неделя" and scrolls it to Y
// tst_reading --run-again ROOT report ITEM    opens "1 Неделя" (or its item ITEM) and tells what it shows
// Each then closes the viewer and ends as the program does, and prints "zoom ratio scrollY".
int session(const QStringList& args) {
    WindowSetGuard windows(args.value(2));
    Form1->show();
    Form1->SpeedButton1->click();
    const QString action = args.value(3);
    const int value = args.value(4).toInt();
    if (!openFromTree(false, 1, action == u"report" ? value : 0)) return 3;
    if (!QTest::qWaitForWindowActive(Form3)) return 4;
    if (action == u"zoom") {
        for (int i = 0; i < value; ++i) QTest::keyClick(Form3, Qt::Key_Equal, Qt::ControlModifier);
    } else if (action == u"scroll") {
        evaluate(Form3->WebBrowser1, u"window.scrollTo(0, %1)"_s.arg(value));
        if (!waitFor([] { return Form3->WebBrowser1->page()->scrollPosition().y() > 0; })) return 5;
    } else {
        // What the page shows once the viewer has had time to take it back to its place.
        QTest::qWait(1000);
        double last = -1;
        waitFor([&last] {
            QTest::qWait(300);
            const double now = scrollY(Form3);
            return std::exchange(last, now) == now;
        });
    }
    const double a2 =
        evaluate(Form3->WebBrowser1, u"document.getElementById('a2').getBoundingClientRect().top + window.scrollY"_s)
            .toDouble();
    std::printf("%g %g %g %g\n", Form3->WebBrowser1->zoomFactor(), shownZoom(Form3), scrollY(Form3), a2);
    Form3->close();
    return 0;
}

struct Shown {
    double zoom = 0, ratio = 0, scrollY = -1, a2 = -1;  // a2: where section a2 lies in the page
};

// Runs the program again on a course root with the reader's settings in `config`.
Shown runAgain(const QString& config, const QString& root, const QStringList& action) {
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"XDG_CONFIG_HOME"_s, config);
    program.setProcessEnvironment(env);
    program.start(QCoreApplication::applicationFilePath(), QStringList{u"--run-again"_s, root} + action);
    if (!program.waitForFinished(60000) || program.exitCode() != 0) {
        qWarning("the second run failed (%d): %s", program.exitCode(), program.readAllStandardError().constData());
        return {};
    }
    const QStringList shown = QString::fromUtf8(program.readAllStandardOutput()).trimmed().split(u' ');
    return {shown.value(0).toDouble(), shown.value(1).toDouble(), shown.value(2).toDouble(), shown.value(3).toDouble()};
}

}  // namespace

class TestReading : public QObject {
    Q_OBJECT

private slots:
    void zoomKeys_data() {
        QTest::addColumn<QList<QKeyCombination>>("keys");
        QTest::addColumn<int>("wheel");  // Ctrl+wheel turns, each of `wheel` eighths of a degree, after the keys
        QTest::addColumn<int>("percent");
        const QKeyCombination in = Qt::CTRL | Qt::Key_Equal;
        const QKeyCombination out = Qt::CTRL | Qt::Key_Minus;
        QTest::newRow("Ctrl+= twice") << QList{in, in} << 0 << 125;
        QTest::newRow("Ctrl+plus") << QList{Qt::CTRL | Qt::Key_Plus} << 0 << 110;
        QTest::newRow("Ctrl+plus on the keypad")
            << QList{(Qt::ControlModifier | Qt::KeypadModifier) | Qt::Key_Plus} << 0 << 110;
        QTest::newRow("Ctrl+minus") << QList{out} << 0 << 90;
        QTest::newRow("Ctrl+minus on the keypad")
            << QList{(Qt::ControlModifier | Qt::KeypadModifier) | Qt::Key_Minus} << 0 << 90;
        QTest::newRow("down to 50 and no further") << QList<QKeyCombination>(8, out) << 0 << 50;
        QTest::newRow("up to 300 and no further") << QList<QKeyCombination>(15, in) << 0 << 300;
        QTest::newRow("steps on the way up") << QList<QKeyCombination>(6, in) << 0 << 250;
        QTest::newRow("steps on the way down") << QList<QKeyCombination>(4, out) << 0 << 67;
        QTest::newRow("Ctrl+0 back to 100") << QList{in, in, in, Qt::CTRL | Qt::Key_0} << 0 << 100;
        QTest::newRow("wheel up") << QList<QKeyCombination>{} << 120 << 110;
        QTest::newRow("wheel down after a key") << QList{in} << -120 << 100;
        QTest::newRow("a touchpad's small turns") << QList<QKeyCombination>{} << 40 << 110;
        // Left to itself, the browser would zoom on to 400 % and down to 33 %.
        QTest::newRow("wheel stops at 300") << QList<QKeyCombination>(7, in) << 120 << 300;
        QTest::newRow("wheel stops at 50") << QList<QKeyCombination>(5, out) << -120 << 50;
    }
    void zoomKeys() {
        QFETCH(QList<QKeyCombination>, keys);
        QFETCH(int, wheel);
        QFETCH(int, percent);
        Reading reading;
        QVERIFY(openFromTree(false, 1, 0));
        QVERIFY(QTest::qWaitForWindowActive(Form3));
        for (const QKeyCombination key : keys) QTest::keyClick(Form3, key.key(), key.keyboardModifiers());
        // A touchpad turns the wheel in bits; three of 40 make one step.
        for (int turned = 0; wheel && std::abs(turned) < 120; turned += wheel) ctrlWheel(Form3, wheel);
        QVERIFY2(near(Form3->WebBrowser1->zoomFactor(), percent / 100.0, 0.001),
                 qPrintable(QString::number(Form3->WebBrowser1->zoomFactor())));
        QTRY_VERIFY(near(shownZoom(Form3), percent / 100.0, 0.001));
    }

    // One level for every page of both viewers: the next page keeps it, the other viewer gets it.
    void zoomHoldsForEveryPage() {
        Reading reading;
        QVERIFY(openFromTree(false, 1, 0));
        QVERIFY(QTest::qWaitForWindowActive(Form3));
        QTest::keyClick(Form3, Qt::Key_Minus, Qt::ControlModifier);
        QTest::keyClick(Form3, Qt::Key_Minus, Qt::ControlModifier);
        QSignalSpy loaded(Form3->WebBrowser1, &QWebEngineView::loadFinished);
        for (QAction* action : Form3->MainMenu1->actions())
            if (action->text() == u"Введение") action->trigger();
        QVERIFY(loaded.wait(20000));
        QVERIFY(near(shownZoom(Form3), 0.8, 0.001));

        QSignalSpy kazakhLoaded(Form9->WebBrowser1, &QWebEngineView::loadFinished);
        Form9->ShowPage(PageAddress(reading.root.path(), Language::Kazakh, u"1 Апта"_s));
        QVERIFY(kazakhLoaded.wait(20000));
        QVERIFY(near(shownZoom(Form9), 0.8, 0.001));
        // A change in one viewer reaches the other's page at once.
        Form9->show();
        QVERIFY(QTest::qWaitForWindowActive(Form9));
        QTest::keyClick(Form9, Qt::Key_0, Qt::ControlModifier);
        QTRY_VERIFY(near(shownZoom(Form3), 1.0, 0.001));
    }

    // The zoom set in one run is the zoom of the pages in the next, kept in the desktop's place
    // for the settings of the person using the computer.
    void zoomKeptForTheNextRun() {
        QTemporaryDir config;
        CourseRoot root;
        writePages(root.path());
        const Shown first = runAgain(config.path(), root.path(), {u"zoom"_s, u"3"_s});
        QVERIFY(near(first.zoom, 1.5, 0.001));
        QVERIFY(QFile::exists(config.path() + u"/textbook/textbook.conf"_s));
        const Shown next = runAgain(config.path(), root.path(), {u"report"_s, u"0"_s});
        QVERIFY2(near(next.zoom, 1.5, 0.001), qPrintable(QString::number(next.zoom)));
        QVERIFY(near(next.ratio, 1.5, 0.001));
    }

    // Back at a page in a later run, the student is where they left it; a section's address
    // shows the section; another register user starts at the top.
    void placeKeptForTheNextRun() {
        QTemporaryDir config;
        CourseRoot root;
        writePages(root.path());
        QCOMPARE(runAgain(config.path(), root.path(), {u"scroll"_s, u"5000"_s}).scrollY, 5000.0);
        const double back = runAgain(config.path(), root.path(), {u"report"_s, u"0"_s}).scrollY;
        QVERIFY2(near(back, 5000, 1), qPrintable(QString::number(back)));
        // "Практическая работа №1" is the second section of "1 Неделя": the page shows a2 at its top.
        const Shown section = runAgain(config.path(), root.path(), {u"report"_s, u"2"_s});
        QVERIFY2(section.a2 > 3000 && near(section.scrollY, section.a2, 1),
                 qPrintable(u"%1 %2"_s.arg(section.scrollY).arg(section.a2)));
        root.exec(u"UPDATE user1 SET \"user\" = 'Другой' WHERE \"user\" = 'Айгерим'"_s);
        QCOMPARE(runAgain(config.path(), root.path(), {u"report"_s, u"0"_s}).scrollY, 0.0);
    }

    void findCounts_data() {
        QTest::addColumn<bool>("kazakh");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("count");  // after the typing: the first match of all
        QTest::newRow("ё and е alike") << false << "елка"
                                       << "1 из 5";
        QTest::newRow("ё in capitals") << false << "ЁЛКА"
                                       << "1 из 5";
        QTest::newRow("й is not и") << false << "йод"
                                    << "1 из 2";
        QTest::newRow("и is not й") << false << "иод"
                                    << "1 из 1";
        QTest::newRow("nowhere") << false << "сосна"
                                 << "0 из 0";
        QTest::newRow("Kazakh count") << true << "әке"
                                      << "3 ішінен 1";
        QTest::newRow("Ә in capitals") << true << "ӘКЕ"
                                       << "3 ішінен 1";
        QTest::newRow("а is not ә") << true << "аке"
                                    << "1 ішінен 1";
        QTest::newRow("ғ") << true << "ғалым"
                           << "2 ішінен 1";
        QTest::newRow("г is not ғ") << true << "галым"
                                    << "1 ішінен 1";
        QTest::newRow("қ") << true << "Қала"
                           << "3 ішінен 1";
        QTest::newRow("к is not қ") << true << "кала"
                                    << "1 ішінен 1";
        QTest::newRow("ң") << true << "аң"
                           << "3 ішінен 1";
        QTest::newRow("ө") << true << "өз"
                           << "3 ішінен 1";
        QTest::newRow("ұ") << true << "ұл"
                           << "3 ішінен 1";
        QTest::newRow("ү") << true << "ҮЙ"
                           << "3 ішінен 1";
        QTest::newRow("у is not ү or ұ") << true << "уй"
                                         << "1 ішінен 1";
        QTest::newRow("һ") << true << "һижра"
                           << "2 ішінен 1";
        QTest::newRow("і") << true << "іні"
                           << "3 ішінен 1";
        QTest::newRow("и is not і") << true << "ини"
                                    << "1 ішінен 1";
        QTest::newRow("Kazakh nowhere") << true << "қарағай"
                                        << "0 ішінен 0";
    }
    void findCounts() {
        QFETCH(bool, kazakh);
        QFETCH(QString, text);
        QFETCH(QString, count);
        Reading reading(kazakh);
        QVERIFY(openFromTree(kazakh, 1, 0));
        TViewer* window = viewer(kazakh);
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(findBarOpen(window));
        QCOMPARE(QApplication::focusWidget(), findText(window));
        type(findText(window), text);  // found as it is typed
        QTRY_COMPARE(findCount(window), count);
    }

    // Enter and F3 go forward, Shift with them back, round the ends; Esc closes the bar and
    // takes the marks away, and with the bar closed Esc does nothing.
    void findGoesThroughTheMatches() {
        Reading reading;
        QVERIFY(openFromTree(false, 1, 0));
        QVERIFY(QTest::qWaitForWindowActive(Form3));
        QCOMPARE(markPixels(Form3), 0);
        QTest::keyClick(Form3, Qt::Key_F, Qt::ControlModifier);
        type(findText(Form3), u"Елка"_s);
        QTRY_COMPARE(findCount(Form3), u"1 из 5"_s);
        QTRY_VERIFY(markPixels(Form3) > 0);
        QLineEdit* field = findText(Form3);
        QTest::keyClick(field, Qt::Key_Return);
        QTRY_COMPARE(findCount(Form3), u"2 из 5"_s);
        QTest::keyClick(field, Qt::Key_F3);
        QTRY_COMPARE(findCount(Form3), u"3 из 5"_s);
        QTest::keyClick(field, Qt::Key_Return, Qt::ShiftModifier);
        QTRY_COMPARE(findCount(Form3), u"2 из 5"_s);
        QTest::keyClick(field, Qt::Key_F3, Qt::ShiftModifier);
        QTRY_COMPARE(findCount(Form3), u"1 из 5"_s);
        QTest::keyClick(field, Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier);
        QTRY_COMPARE(findCount(Form3), u"5 из 5"_s);
        QTest::keyClick(field, Qt::Key_Return);
        QTRY_COMPARE(findCount(Form3), u"1 из 5"_s);

        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY(!findBarOpen(Form3));
        QTRY_COMPARE(markPixels(Form3), 0);
        QVERIFY(Form3->isVisible() && !Form2->isVisible());
        QTest::keyClick(Form3, Qt::Key_Escape);
        QTest::qWait(200);
        QVERIFY(Form3->isVisible() && !Form2->isVisible());
        QCOMPARE(markPixels(Form3), 0);
        QVERIFY(reading.windows.desktop.errors.isEmpty());

        // Opened again, the bar finds its text again.
        QTest::keyClick(Form3, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(findBarOpen(Form3));
        QTRY_VERIFY(markPixels(Form3) > 0);
    }

    // The bar lies over the bottom edge of the pane, which keeps the size its rule gives it.
    void findBarLiesOverThePane() {
        Reading reading;
        QVERIFY(openFromTree(false, 1, 0));
        QVERIFY(QTest::qWaitForWindowActive(Form3));
        const QSize pane = Form3->WebBrowser1->size();
        QTest::keyClick(Form3, Qt::Key_F, Qt::ControlModifier);
        const QWidget* bar = Form3->findChild<QWidget*>(u"FindBar"_s);
        QVERIFY(bar && bar->isVisible());
        QCOMPARE(Form3->WebBrowser1->size(), pane);
        Form3->resize(800, 600);  // the pane follows by the viewer's rule, the bar follows the pane
        const QRect paneRect = Form3->WebBrowser1->geometry();
        QCOMPARE(bar->geometry().left(), paneRect.left());
        QCOMPARE(bar->geometry().width(), paneRect.width());
        QCOMPARE(bar->geometry().bottom(), paneRect.bottom());
        QVERIFY(bar->height() < 40);
    }

    // What the course search does: a page opened as the week menu would, then the word found in
    // it, also while the page is still loading.
    void findInPageAfterOpening() {
        Reading reading;
        QVERIFY(openFromTree(false, 1, 0));
        QSignalSpy loaded(Form3->WebBrowser1, &QWebEngineView::loadFinished);
        Form3->ShowPage(PageAddress(reading.root.path(), Language::Russian, u"2 Неделя"_s));
        Form3->FindInPage(u"қала"_s);
        QVERIFY(loaded.wait(20000));
        QVERIFY(findBarOpen(Form3));
        QCOMPARE(findText(Form3)->text(), u"қала"_s);
        QTRY_COMPARE(findCount(Form3), u"1 из 5"_s);
        Form3->FindInPage(u"йод"_s);
        QTRY_COMPARE(findCount(Form3), u"1 из 2"_s);
    }

    void resumeReading_data() {
        QTest::addColumn<bool>("kazakh");
        QTest::addColumn<QString>("chapter");
        QTest::addColumn<QString>("address");  // relative to the root; empty: nothing opens
        QTest::addColumn<QString>("hint");     // said beside the chapter panel when nothing opens

        QTest::newRow("a week page") << false << "1 Неделя"
                                     << "/web/1 Неделя.htm"
                                     << "";
        QTest::newRow("a tree section") << false << "Практическая работа №1"
                                        << "/web/1 Неделя.htm#a2"
                                        << "";
        QTest::newRow("a menu section") << false << "1 НеделяПрактическая работа №2"
                                        << "/web/1 Неделя.htm#a3"
                                        << "";
        QTest::newRow("the introduction") << false << "Введение"
                                          << "/web/Введение.htm"
                                          << "";
        QTest::newRow("no chapter yet") << false << ""
                                        << ""
                                        << "Вы ещё не открывали глав учебника.";
        QTest::newRow("a Kazakh chapter in the Russian window") << false << "1 Апта"
                                                                << ""
                                                                << "Главы «1 Апта» нет среди глав учебника.";
        // Told as it is written: the register's text is no markup of the note's.
        QTest::newRow("a chapter with markup") << false << "<img src=\"/etc/x.png\">1 Неделя"
                                               << ""
                                               << "Главы «<img src=\"/etc/x.png\">1 Неделя» нет среди глав учебника.";
        QTest::newRow("a lecture of five weeks, none read here")
            << false << "Лекция"
            << ""
            << "Глава «Лекция» есть в нескольких неделях: выберите её в дереве.";
        QTest::newRow("Kazakh 8 Тарау") << true << "8 ТарауПрактикалық жұмыс №8"
                                        << "/web_kz/8 Тарау.htm#a1"
                                        << "";
        QTest::newRow("a Russian chapter in the Kazakh window")
            << true << "Введение"
            << ""
            << "«Введение» тарауы оқулықтың тараулары арасында жоқ.";
        QTest::newRow("Kazakh, no chapter yet") << true << ""
                                                << ""
                                                << "Сіз оқулықтың бірде-бір тарауын әлі ашқан жоқсыз.";
    }
    void resumeReading() {
        QFETCH(bool, kazakh);
        QFETCH(QString, chapter);
        QFETCH(QString, address);
        QFETCH(QString, hint);
        Reading reading(kazakh, chapter);
        TMainForm* window = mainWindow(kazakh);
        QVERIFY(QTest::qWaitForWindowActive(window));
        QSignalSpy loaded(viewer(kazakh)->WebBrowser1, &QWebEngineView::loadFinished);
        QTest::keyClick(window, Qt::Key_Return, Qt::ControlModifier);

        QVERIFY(reading.windows.desktop.errors.isEmpty());
        QCOMPARE(viewer(kazakh)->LastAddress, address.isEmpty() ? QString() : reading.root.path() + address);
        QCOMPARE(viewer(kazakh)->isVisible(), !address.isEmpty());
        QCOMPARE(window->isVisible(), address.isEmpty());
        const auto* note = window->findChild<QLabel*>(u"ChapterNote"_s);
        QCOMPARE(note && note->isVisible() ? note->text() : QString(), hint);
        if (note) {
            QCOMPARE(note->textFormat(), Qt::PlainText);
            window->hide();  // the note, a window of its own, goes with it
            QVERIFY(!note->isVisible());
        }
        // The chapter stays what it was, recorded again and shown as the tree does it.
        QCOMPARE(reading.root.rows(u"user1"_s).first(), u"Айгерим|"_s + chapter);
        QCOMPARE(window->StatusBar1->panelText(4), chapter);
        if (!address.isEmpty()) QVERIFY(loaded.wait(20000));
    }

    // The chapter panel's double-click does what Ctrl+Enter does; elsewhere on the bar, nothing.
    void chapterPanelDoubleClick() {
        Reading reading(false, u"Практическая работа №1"_s);
        StatusBar* bar = Form2->StatusBar1;
        QTest::mouseDClick(bar, Qt::LeftButton, {}, bar->panelRect(2).center());
        QVERIFY(Form2->isVisible() && !Form3->isVisible());
        QTest::mouseDClick(bar, Qt::LeftButton, {}, bar->panelRect(4).center());
        QCOMPARE(Form3->LastAddress, reading.root.path() + u"/web/1 Неделя.htm#a2"_s);
        QVERIFY(Form3->isVisible() && !Form2->isVisible());
    }

    // A section label of two weeks goes back to the week whose page the student left last.
    void sectionOfSeveralWeeksGoesToTheLastRead() {
        Reading reading;
        // "Лабораторная работа №2": the third item of week 1 (a3), the second of week 2 (a2).
        for (const auto& [week, item, address] :
             {std::tuple{2, 2, u"/web/2 Неделя.htm#a2"_s}, std::tuple{1, 3, u"/web/1 Неделя.htm#a3"_s}}) {
            QVERIFY(openFromTree(false, week, item));
            Form3->close();
            QCOMPARE(Form2->StatusBar1->panelText(4), u"Лабораторная работа №2"_s);
            QVERIFY(QTest::qWaitForWindowActive(Form2));
            QTest::keyClick(Form2, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
            QCOMPARE(Form3->LastAddress, reading.root.path() + address);
            QVERIFY(Form3->isVisible() && !Form2->isVisible());
        }
    }
};

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (application.arguments().value(1) == u"--run-again") return session(application.arguments());
    TestReading test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_reading.moc"
