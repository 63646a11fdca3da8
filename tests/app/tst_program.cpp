// The real program under Xvfb, driven with xdotool: the language window, the choice of either
// language, and every way the program ends (the main window's "X", "Выход" and the system's close
// command on the language window), each with exit code 0 and the content root left as it was. And
// what it says when it turns the browser's sandbox off.
#include <unistd.h>

#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

#include "SystemClose.h"
#include "tests/common/XDriver.h"

using xdriver::click;
using xdriver::waitForWindow;
using xdriver::windowRect;

namespace {

const QString kCourse = QStringLiteral(TEXTBOOK_BINARY_DIR "/course");
const QString kProgram = QStringLiteral(TEXTBOOK_BINARY_DIR "/textbook");

// The colour the screen shows at a point, whichever program drew it.
QColor screenPixel(const QPoint& at) {
    return QGuiApplication::primaryScreen()->grabWindow(0, at.x(), at.y(), 1, 1).toImage().pixelColor(0, 0);
}

void copyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + path.mid(from.size());
        if (it.fileInfo().isDir())
            QDir().mkpath(target);
        else
            QFile::copy(path, target);
    }
}

// Every file under a root with a hash of its contents.
QMap<QString, QByteArray> snapshot(const QString& root) {
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        files.insert(path.mid(root.size()), QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256));
    }
    return files;
}

}  // namespace

class TestProgram : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs an X display (run under xvfb-run)");
        QVERIFY2(QFile::exists(kProgram), "build the textbook first");
        QVERIFY2(QFile::exists(kCourse + QStringLiteral("/Base/test.db")), "build the demo course first");
    }

    void endings_data() {
        QTest::addColumn<QString>("language");   // "Rus", "Kaz" or empty: none is chosen
        QTest::addColumn<QString>("mainTitle");  // the chosen language's main window
        QTest::addColumn<QString>("end");        // "X" of the main window, "Выход", or "system close"
        QTest::newRow("Rus, then the main window's X") << "Rus"
                                                       << "Электронный учебник"
                                                       << "X";
        QTest::newRow("Kaz, then the main window's X") << "Kaz"
                                                       << "Form8"
                                                       << "X";
        QTest::newRow("Выход before a choice") << ""
                                               << ""
                                               << "Выход";
        QTest::newRow("system close of the language window") << ""
                                                             << ""
                                                             << "system close";
    }
    void endings() {
        QFETCH(QString, language);
        QFETCH(QString, mainTitle);
        QFETCH(QString, end);
        QTemporaryDir dir;
        const QString root = dir.path() + QStringLiteral("/курс");
        copyTree(kCourse, root);
        if (language.isEmpty()) {
            // Without a choice the database is never opened: with none there, an attempt would show
            // an error box and keep the program running.
            QVERIFY(QFile::rename(root + QStringLiteral("/Base/test.db"), dir.path() + QStringLiteral("/test.db")));
        }
        const auto before = snapshot(root);

        QProcess program;
        program.setWorkingDirectory(root);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(kProgram, {});
        QVERIFY(program.waitForStarted());

        const QString window = waitForWindow(QStringLiteral("Выбор языка"));
        QVERIFY2(!window.isEmpty(), "the language window did not appear");
        QCOMPARE(windowRect(window).size(), QSize(638, 452));

        if (!language.isEmpty()) {
            if (language == u"Rus")
                click(window, 450 + 33, 388 + 20);
            else
                click(window, 144 + 34, 388 + 20);
            const QString main = waitForWindow(mainTitle);
            QVERIFY2(!main.isEmpty(), "the main window did not appear");
            QVERIFY(waitForWindow(QStringLiteral("Выбор языка"), QSize(), 2000).isEmpty());
            QCOMPARE(windowRect(main).size(), QSize(892, 705));

            // The window is cut to its outline: a hole shows the (black) screen behind it, while the
            // panel beside it shows the window.
            const QPoint origin = windowRect(main).topLeft();
            QTRY_VERIFY(screenPixel(origin + QPoint(200, 300)) != QColor(Qt::black));
            QCOMPARE(screenPixel(origin + QPoint(450, 660)), QColor(Qt::black));
            QCOMPARE(screenPixel(origin + QPoint(5, 300)), QColor(Qt::black));

            click(main, 827 + 14, 16 + 12);  // "X"
        } else if (end == u"Выход") {
            click(window, 542 + 30, 411 + 7);
        } else {
            QVERIFY(SystemClose(window.toULong()));
        }
        QVERIFY2(program.waitForFinished(15000), "the program did not end");
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(snapshot(root), before);
    }

    // Run as root, the program turns the browser's sandbox off (the engine refuses to start
    // otherwise) and says so in one line; where the variable is set already, it leaves it and
    // says nothing.
    void sandboxOffAsRootIsSaid_data() {
        QTest::addColumn<bool>("setByCaller");
        QTest::addColumn<int>("lines");
        QTest::newRow("as root") << false << 1;
        QTest::newRow("variable set by the caller") << true << 0;
    }
    void sandboxOffAsRootIsSaid() {
        QFETCH(bool, setByCaller);
        QFETCH(int, lines);
        if (geteuid() != 0) QSKIP("needs to run as root");
        QTemporaryDir dir;
        const QString trace = dir.filePath(QStringLiteral("trace"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"));
        if (setByCaller) env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TEXTBOOK_TRACE"), trace);
        QProcess program;
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(dir.path());
        program.start(kProgram, {});
        QVERIFY(program.waitForStarted());
        // Once the language window is painted, start-up has said all it has to say.
        auto painted = [&] {
            QFile file(trace);
            return file.open(QIODevice::ReadOnly) && file.readAll().contains("language-window-painted");
        };
        QTRY_VERIFY_WITH_TIMEOUT(painted(), 30000);
        program.kill();
        program.waitForFinished();
        const QString said = QString::fromUtf8(program.readAllStandardError());
        QCOMPARE(said.count(QStringLiteral("textbook: running as root, the browser's sandbox is off\n")), lines);
    }
};

QTEST_MAIN(TestProgram)
#include "tst_program.moc"
