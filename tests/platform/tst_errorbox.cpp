// The error box: its text rule, and one box per failed handler with the program going on; and the
// desktop's own box for a file it cannot open. Every box shows its text as typed.
#include <QAccessible>
#include <QLabel>
#include <QMessageBox>
#include <QtTest>

#include "platform/Handler.h"
#include "platform/QtDesktop.h"
#include "platform/RecordingDesktop.h"
#include "platform/WaitCursor.h"
#include "platform/failure/Failure.h"
#include "translations/Translations.h"

class TestErrorBox : public QObject {
    Q_OBJECT

private slots:
    // The program speaks Russian from its start.
    void initTestCase() { translations::useLanguage(QLocale::Russian); }
    void cleanupTestCase() { translations::dropLanguage(); }

    void fullStopRule_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "no such table: user1"
                                << "no such table: user1.";
        QTest::newRow("Cyrillic letter") << "Ошибка"
                                         << "Ошибка.";
        QTest::newRow("digit") << "code 5"
                               << "code 5.";
        QTest::newRow("full stop") << "Done."
                                   << "Done.";
        QTest::newRow("exclamation, below the full stop") << "Stop!"
                                                          << "Stop!";
        QTest::newRow("closing parenthesis, below") << "(x)"
                                                    << "(x)";
        QTest::newRow("comma, below") << "a,"
                                      << "a,";
        QTest::newRow("hyphen, below") << "a-"
                                       << "a-";
        QTest::newRow("slash, above") << "a/"
                                      << "a/.";
        QTest::newRow("colon, above") << "a:"
                                      << "a:.";
        QTest::newRow("empty") << ""
                               << "";
    }
    void fullStopRule() {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(platform::errorBoxText(message), shown);
    }

    void failedHandlerShowsOneBoxAndSkipsItsRest() {
        platform::RecordingDesktop desktop;
        QStringList done;
        platform::runGuarded([&] {
            done << "first step";
            throw platform::Failure(QStringLiteral("Field 'glava' not found"));
            done << "skipped";
        });
        platform::runGuarded([&] { done << "next handler"; });
        platform::runGuarded([&] { throw std::runtime_error("Cannot decode the picture"); });
        QCOMPARE(done, (QStringList{"first step", "next handler"}));
        QCOMPARE(desktop.errors.size(), 2);
        QCOMPARE(desktop.errors[0].caption, QStringLiteral("Электронный учебник"));
        QCOMPARE(desktop.errors[0].text, QStringLiteral("Field 'glava' not found."));
        QCOMPARE(desktop.errors[1].text, QStringLiteral("Cannot decode the picture."));
    }

    // Asked to open a file that is not there (a course video, say), the desktop says so in its own
    // error box and starts no program; a file that is a folder is not a video either.
    void desktopReportsAFileThatIsNotThere_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("folder");
        QTest::newRow("missing") << "video/3.avi" << false;
        QTest::newRow("a folder in its place") << "video/5.avi" << true;
    }
    void desktopReportsAFileThatIsNotThere() {
        QFETCH(QString, name);
        QFETCH(bool, folder);
        QTemporaryDir dir;
        const QString path = dir.path() + u'/' + name;
        if (folder) QVERIFY(QDir().mkpath(path));
        QStringList boxes;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes << box->windowTitle() + QStringLiteral(": ") + box->text();
                box->accept();
            }
        });
        answer.start(10);
        platform::QtDesktop().openWithDesktop(QUrl::fromLocalFile(path));
        QCOMPARE(boxes, QStringList{QStringLiteral("Электронный учебник: Не удалось открыть «%1»: файл не найден.")
                                        .arg(QDir::toNativeSeparators(path))});
    }

    // A message may hold a name the user typed (a chapter label, say): tags in it are shown as they
    // are, never read as formatting or as a picture to load.
    void boxesShowTheirTextAsTyped_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::newRow("error, bold") << "error"
                                     << "<b>x</b>";
        QTest::newRow("error, picture") << "error"
                                        << "Глава <img src=\"/nonexistent/picture.png\">";
        QTest::newRow("question, bold") << "question"
                                        << "<b>x</b>";
        QTest::newRow("confirmation, picture") << "confirmation"
                                               << "<img src=\"/nonexistent/picture.png\">";
    }
    void boxesShowTheirTextAsTyped() {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QStringList shown;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            if (auto* open = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                // What the box shows, as a screen reader reads it out.
                auto* label = open->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
                shown << (label ? QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name) : QString());
                open->reject();
            }
        });
        answer.start(10);
        platform::QtDesktop desktop;
        if (box == "error")
            desktop.showError(QStringLiteral("Электронный учебник"), text);
        else if (box == "question")
            desktop.askYesNo(QStringLiteral("Предупреждение"), text);
        else
            desktop.confirm(text);
        QCOMPARE(shown, QStringList{text});
    }

    // A box that comes up while the program shows the wait cursor shows the ordinary pointer: the user
    // is asked, not kept waiting. The wait cursor is back once the box is answered, and gone with its guard.
    void boxesShowThePointerWhileWaiting_data() {
        QTest::addColumn<QString>("box");
        QTest::newRow("error") << "error";
        QTest::newRow("question") << "question";
        QTest::newRow("confirmation") << "confirmation";
    }
    void boxesShowThePointerWhileWaiting() {
        QFETCH(QString, box);
        QList<int> shapes;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            if (auto* open = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                const QCursor* cursor = QGuiApplication::overrideCursor();
                shapes << (cursor ? int(cursor->shape()) : -1);
                open->reject();
            }
        });
        answer.start(10);
        platform::QtDesktop desktop;
        {
            platform::WaitCursor waiting;
            if (box == "error")
                desktop.showError(QStringLiteral("Электронный учебник"), QStringLiteral("Ошибка"));
            else if (box == "question")
                desktop.askYesNo(QStringLiteral("Предупреждение"), QStringLiteral("Продолжить"));
            else
                desktop.confirm(QStringLiteral("Delete record?"));
            QCOMPARE(shapes, QList<int>{int(Qt::ArrowCursor)});
            QVERIFY(platform::Waiting());
        }
        QVERIFY(!QGuiApplication::overrideCursor());
    }
};

QTEST_MAIN(TestErrorBox)
#include "tst_errorbox.moc"
