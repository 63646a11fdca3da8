// The windows on an X display without a window manager (Xvfb here, a kiosk session at a school):
// the language window follows the pointer exactly when dragged by its emblem, and each window the
// program shows takes the keyboard at once. Pointer and keys come from the X server (xdotool), as a
// user's do.
#include <QtTest>

#include "app/Unit1.h"
#include "app/WindowSet.h"
#include "content/Unit2.h"
#include "controls/Image.h"
#include "data/Unit5.h"
#include "data/Unit6.h"
#include "data/controls/DBGrid.h"
#include "data/cursor/DataSet.h"
#include "testing/Unit4.h"
#include "testing/Unit7.h"
#include "tests/common/Fixture.h"
#include "tests/common/WindowSetGuard.h"

using fixture::CourseRoot;

namespace {

// Runs xdotool to its end. The program's event loop does not run meanwhile, so whatever xdotool
// does reaches the program together, as quick hands do.
void xdotool(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    QVERIFY2(p.waitForFinished(10000) && p.exitCode() == 0, qPrintable(p.readAllStandardError()));
}

void pointerTo(QPoint at) { xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())}); }

void clickAt(QWidget* widget) {
    pointerTo(widget->mapToGlobal(widget->rect().center()));
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
}

// A mouse button held down through xdotool, let go however the test ends.
class ButtonHeld {
public:
    ButtonHeld() {
        xdotool({QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("mousemove_relative"),
                 QStringLiteral("--"), QStringLiteral("6"), QStringLiteral("4")});
    }
    ~ButtonHeld() { release(); }
    ButtonHeld(const ButtonHeld&) = delete;
    ButtonHeld& operator=(const ButtonHeld&) = delete;
    void release() {
        if (held_) xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
        held_ = false;
    }

private:
    bool held_ = true;
};

// The window set with the real desktop, whose move is the one under test.
struct RealWindowSet {
    RealWindowSet() { CreateWindowSet(); }
    ~RealWindowSet() { DestroyWindowSet(); }
    RealWindowSet(const RealWindowSet&) = delete;
    RealWindowSet& operator=(const RealWindowSet&) = delete;
};

// The window that has the keyboard, as the X server and Qt see it.
QWidget* keyboardWindow() { return QApplication::activeWindow(); }

}  // namespace

class TestNoWindowManager : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(QGuiApplication::platformName() == u"xcb", "needs an X display: run it under xvfb-run");
    }

    void languageWindowFollowsThePointer() {
        RealWindowSet windows;
        Form1->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form1));
        const QPoint origin = Form1->pos();
        QCOMPARE(origin, QPoint(364, 158));  // centred on the 1366 x 768 screen

        pointerTo(Form1->Image1->mapToGlobal(QPoint(90, 80)));
        QTest::qWait(50);
        // The button goes down and the pointer moves on before the program has seen the press.
        ButtonHeld button;
        QTRY_COMPARE(Form1->pos(), origin + QPoint(6, 4));
        for (int step = 2; step <= 10; ++step) {
            xdotool(
                {QStringLiteral("mousemove_relative"), QStringLiteral("--"), QStringLiteral("6"), QStringLiteral("4")});
            QTRY_COMPARE(Form1->pos(), origin + step * QPoint(6, 4));
        }
        button.release();
        // Released, the window stays where it was left.
        xdotool(
            {QStringLiteral("mousemove_relative"), QStringLiteral("--"), QStringLiteral("20"), QStringLiteral("20")});
        QTest::qWait(200);
        QCOMPARE(Form1->pos(), origin + QPoint(60, 40));
    }

    // Right after the register appears from a main window, the user's keys reach its grid, not the
    // main window's tree beneath the pointer.
    void registerGridTakesTheKeysAtOnce_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("row");        // the register's current row afterwards
        QTest::addColumn<int>("questions");  // questions asked
        QTest::newRow("Down") << "Down" << 1 << 0;
        QTest::newRow("Ctrl+Delete asks") << "ctrl+Delete" << 0 << 1;
    }
    void registerGridTakesTheKeysAtOnce() {
        QFETCH(QString, key);
        QFETCH(int, row);
        QFETCH(int, questions);
        CourseRoot root;
        WindowSetGuard windows(root.path());
        Form1->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form1));
        clickAt(Form1->SpeedButton1);  // "Rus"
        QTRY_VERIFY(Form2->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(Form2));
        clickAt(Form2->SpeedButton1);  // the register button; the pointer stays on the main window
        QTRY_VERIFY(Form6->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(Form6));
        QVERIFY(!Form6->geometry().contains(QCursor::pos()));

        xdotool({QStringLiteral("key"), key});
        QTRY_COMPARE(windows.desktop.questions.size(), questions);
        QTRY_COMPARE(DataModule5->ADOTable2->currentRow(), row);
        QCOMPARE(keyboardWindow(), static_cast<QWidget*>(Form6));
        QCOMPARE(Form6->DBGrid1->currentIndex().row(), row);
        QCOMPARE(DataModule5->ADOTable2->recordCount(), 3);
        QVERIFY(windows.desktop.errors.isEmpty());
    }

    // Each window the program shows takes the keyboard as it appears: the main window after the
    // language choice, the testing window, the results window, and the main window again after "Ok".
    void eachWindowShownTakesTheKeyboard() {
        CourseRoot root(400);
        WindowSetGuard windows(root.path());
        Form1->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form1));
        QTRY_COMPARE(keyboardWindow(), static_cast<QWidget*>(Form1));
        clickAt(Form1->SpeedButton1);  // "Rus"
        QTRY_COMPARE(keyboardWindow(), static_cast<QWidget*>(Form2));
        Form2->test5->click();  // "Тестирование"
        QTRY_COMPARE(keyboardWindow(), static_cast<QWidget*>(Form4));
        windows.desktop.answers << true;  // finish although nothing is answered
        Form4->SpeedButton20->click();
        QTRY_COMPARE(keyboardWindow(), static_cast<QWidget*>(Form7));
        Form7->BitBtn1->click();  // "Ok"
        QTRY_COMPARE(keyboardWindow(), static_cast<QWidget*>(Form2));
        QVERIFY(windows.desktop.errors.isEmpty());
    }
};

QTEST_MAIN(TestNoWindowManager)
#include "tst_nowindowmanager.moc"
