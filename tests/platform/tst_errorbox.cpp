// The error box: its text rule, and one box per failed handler with the program going on.
#include <QtTest>

#include "Failure.h"
#include "Handler.h"
#include "RecordingDesktop.h"

class TestErrorBox : public QObject {
    Q_OBJECT

private slots:
    void fullStopRule_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "no such table: user1" << "no such table: user1.";
        QTest::newRow("Cyrillic letter") << "Ошибка" << "Ошибка.";
        QTest::newRow("digit") << "code 5" << "code 5.";
        QTest::newRow("full stop") << "Done." << "Done.";
        QTest::newRow("exclamation, below the full stop") << "Stop!" << "Stop!";
        QTest::newRow("closing parenthesis, below") << "(x)" << "(x)";
        QTest::newRow("comma, below") << "a," << "a,";
        QTest::newRow("hyphen, below") << "a-" << "a-";
        QTest::newRow("slash, above") << "a/" << "a/.";
        QTest::newRow("colon, above") << "a:" << "a:.";
        QTest::newRow("empty") << "" << "";
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
};

QTEST_GUILESS_MAIN(TestErrorBox)
#include "tst_errorbox.moc"
