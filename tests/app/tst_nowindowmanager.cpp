// The windows on an X display without a window manager (Xvfb here, a kiosk session at a school):
// the language window follows the pointer exactly when dragged by its emblem. The pointer comes
// from the X server (xdotool), as a user's does.
#include <QtTest>

#include "Image.h"
#include "Unit1.h"
#include "WindowSet.h"

namespace {

// Runs xdotool to its end. The program's event loop does not run meanwhile, so whatever xdotool
// does reaches the program together, as quick hands do.
void xdotool(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    QVERIFY2(p.waitForFinished(10000) && p.exitCode() == 0, qPrintable(p.readAllStandardError()));
}

void pointerTo(QPoint at) { xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())}); }

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
};

QTEST_MAIN(TestNoWindowManager)
#include "tst_nowindowmanager.moc"
