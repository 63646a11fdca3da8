// The lab's server stops and comes back while the textbook runs. On a server of this test's own
// (tests/postgres/server.sh), the whole window set records chapters through the main window's
// chapter tree, as a student's double-click does: a store while the server is down, or cut off by
// the server stopping while it runs, is one error box per attempt and stays pending, and nothing of
// it stays on the server; once the server is back the next store succeeds and the server holds the
// chapter. A restart while nothing was being stored costs the student nothing at all. The same for a
// finished test's result: kept while the server is down, stored with the next finish.
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <QtTest>

#include "app/Unit1.h"
#include "content/Unit2.h"
#include "content/Unit3.h"
#include "controls/StatusBar.h"
#include "controls/TreeView.h"
#include "data/Unit5.h"
#include "data/cursor/Connection.h"
#include "data/cursor/DataSet.h"
#include "tests/common/Fixture.h"
#include "tests/common/OwnServer.h"
#include "tests/common/WindowSetGuard.h"
#include "tests/testing/TestRun.h"

namespace {

using fixture::DatabaseVariable;
using fixture::OwnServer;

// The register's rows as the server holds them now.
QStringList registerRows(const QString& address) {
    return fixture::QueryRows(address, QStringLiteral("SELECT \"user\", glava FROM user1 ORDER BY rowid"));
}

// The student double-clicks a top-level entry of the Russian main window's chapter tree.
void openChapter(int entry) {
    Form2->TreeView1->setCurrentItem(Form2->TreeView1->topLevelItem(entry));
    emit Form2->TreeView1->doubleClicked();
}

// The chapter a top-level entry records: its label, as the course names the first entries.
QString entryText(int entry) {
    return QStringList{QStringLiteral("Введение"), QStringLiteral("1 Неделя"), QStringLiteral("2 Неделя")}.at(entry);
}

// The window set on a content root whose course database is a database on the test's server, with
// Russian chosen.
struct Session {
    explicit Session(const QString& address) : variable(address), windows(root.path()) {
        Form1->show();
        Form1->SpeedButton1->click();
    }
    DatabaseVariable variable;
    QTemporaryDir root;  // holds no Base/test.db: the server is the only database there is
    WindowSetGuard windows;
};

}  // namespace

class TestServerRestart : public QObject {
    Q_OBJECT

    OwnServer server_;

private slots:
    void initTestCase() { QVERIFY2(server_.start(), qPrintable(server_.lastOutput())); }
    void cleanupTestCase() { QVERIFY2(server_.stop(), qPrintable(server_.lastOutput())); }

    void storeWhileTheServerIsDown_data() {
        QTest::addColumn<int>("attemptsWhileDown");
        QTest::addColumn<int>("entryAfter");     // the tree entry opened once the server is back
        QTest::addColumn<bool>("whileStoring");  // the server stops while it runs the first attempt
        QTest::newRow("the same chapter again") << 1 << 1 << false;
        QTest::newRow("another chapter") << 1 << 2 << false;
        QTest::newRow("twice while down") << 2 << 1 << false;
        QTest::newRow("stopped while storing") << 1 << 1 << true;
        QTest::newRow("stopped while storing, then twice while down") << 3 << 2 << true;
    }
    void storeWhileTheServerIsDown() {
        QFETCH(int, attemptsWhileDown);
        QFETCH(int, entryAfter);
        QFETCH(bool, whileStoring);
        QTemporaryDir work;
        const QString address = fixture::MakeServerCourse(server_.uri(), work.path());
        Session session(address);
        auto& errors = session.windows.desktop.errors;
        QVERIFY2(errors.isEmpty(), qPrintable(errors.value(0).text));
        QVERIFY(Form2->isVisible());

        openChapter(0);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.value(0).text));
        QCOMPARE(registerRows(address).first(), QStringLiteral("Айгерим|") + entryText(0));
        // Back to the main window for the next chapter.
        Form3->hide();
        Form2->show();

        if (whileStoring) {
            // The server holds a store in a trigger (noting that it got there, outside any
            // transaction) until the server stops.
            fixture::QueryRows(address, QStringLiteral("CREATE SEQUENCE store_reached"));
            fixture::QueryRows(address,
                               QStringLiteral("CREATE FUNCTION hold_store() RETURNS trigger AS $$ BEGIN PERFORM "
                                              "nextval('store_reached'); PERFORM pg_sleep(120); RETURN NEW; END $$ "
                                              "LANGUAGE plpgsql"));
            fixture::QueryRows(address,
                               QStringLiteral("CREATE TRIGGER hold_store BEFORE UPDATE ON user1 FOR EACH ROW EXECUTE "
                                              "FUNCTION hold_store()"));
        } else {
            QVERIFY2(server_.pause(), qPrintable(server_.lastOutput()));
        }
        for (int attempt = 1; attempt <= attemptsWhileDown; ++attempt) {
            QProcess stopper;
            if (whileStoring && attempt == 1) {
                // Stops the server once the store waits in the trigger.
                stopper.setProcessChannelMode(QProcess::MergedChannels);
                stopper.start(QStringLiteral("bash"),
                              {QStringLiteral("-c"),
                               QStringLiteral("for i in $(seq 1200); do [ \"$(psql \"$1\" -Atc \"SELECT count(*) FROM "
                                              "pg_stat_activity WHERE wait_event = 'PgSleep'\")\" = 1 ] && break; "
                                              "sleep 0.1; done; exec \"$2\" pause \"$3\""),
                               QStringLiteral("stopper"), server_.uri(), OwnServer::scriptPath(), server_.state()});
                QVERIFY(stopper.waitForStarted(30000));
            }
            openChapter(1);
            if (whileStoring && attempt == 1) {
                QVERIFY(stopper.waitForFinished(180000));
                QVERIFY2(stopper.exitCode() == 0, stopper.readAll().constData());
            }
            QCOMPARE(errors.size(), attempt);
            QCOMPARE(errors.last().caption, QStringLiteral("Электронный учебник"));
            QVERIFY(!errors.last().text.trimmed().isEmpty());
            QVERIFY2(!errors.last().text.contains(QUrl(server_.uri()).password()), "the box shows the password");
            // The change waits in the register, the student stays in the main window.
            QCOMPARE(DataModule5->ADOTable2->state(), DataSet::State::Edit);
            QCOMPARE(DataModule5->ADOTable2->fieldText(QStringLiteral("glava")), entryText(1));
            QVERIFY(Form2->isVisible() && !Form3->isVisible());
            QCOMPARE(Form2->StatusBar1->panelText(4), entryText(0));
            qInfo("error box of attempt %d while the server is down: %s", attempt, qPrintable(errors.last().text));
        }
        QVERIFY2(server_.resume(), qPrintable(server_.lastOutput()));
        if (whileStoring) {
            // The store had reached the server, and nothing of it stayed there.
            QCOMPARE(fixture::QueryRows(address, QStringLiteral("SELECT is_called FROM store_reached")),
                     QStringList{"true"});
            fixture::QueryRows(address, QStringLiteral("DROP TRIGGER hold_store ON user1"));
        }
        QCOMPARE(registerRows(address).first(), QStringLiteral("Айгерим|") + entryText(0));
        QCOMPARE(DataModule5->ADOTable2->state(), DataSet::State::Edit);

        openChapter(entryAfter);
        QVERIFY2(errors.size() == attemptsWhileDown, qPrintable(errors.last().text));
        QCOMPARE(DataModule5->ADOTable2->state(), DataSet::State::Browse);
        QCOMPARE(registerRows(address).first(), QStringLiteral("Айгерим|") + entryText(entryAfter));
        QCOMPARE(Form2->StatusBar1->panelText(4), entryText(entryAfter));
        QVERIFY(Form3->isVisible() && !Form2->isVisible());
        // The other rows were left as they were.
        QCOMPARE(registerRows(address).mid(1),
                 (QStringList{QStringLiteral("Борис|<null>"), QStringLiteral("Сәуле|Введение")}));
    }

    // The server restarts between two chapters, with nothing being stored meanwhile.
    void restartBetweenStores_data() {
        QTest::addColumn<int>("restarts");
        QTest::newRow("one restart") << 1;
        QTest::newRow("two restarts") << 2;
    }
    void restartBetweenStores() {
        QFETCH(int, restarts);
        QTemporaryDir work;
        const QString address = fixture::MakeServerCourse(server_.uri(), work.path());
        Session session(address);
        auto& errors = session.windows.desktop.errors;
        openChapter(0);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.value(0).text));
        Form3->hide();
        Form2->show();

        for (int i = 0; i < restarts; ++i) {
            QVERIFY2(server_.pause(), qPrintable(server_.lastOutput()));
            QVERIFY2(server_.resume(), qPrintable(server_.lastOutput()));
        }
        // The server is back before the student's next double-click: the store finds the old
        // connection gone and, as nothing of it can have reached the server, sends it on a new one.
        openChapter(1);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.value(0).text));
        QCOMPARE(DataModule5->ADOTable2->state(), DataSet::State::Browse);
        QCOMPARE(registerRows(address).first(), QStringLiteral("Айгерим|") + entryText(1));
        QCOMPARE(Form2->StatusBar1->panelText(4), entryText(1));
    }

    // A test finished while the server is down: one error box over the results, which stay, and the
    // result kept; once the server is back the next finish stores both, in order. A restart between
    // two finishes costs the student nothing.
    void testResultWhileTheServerIsDown_data() {
        QTest::addColumn<bool>("downAtTheFinish");
        QTest::newRow("down at the finish") << true;
        QTest::newRow("restarted between two finishes") << false;
    }
    void testResultWhileTheServerIsDown() {
        QFETCH(bool, downAtTheFinish);
        QTemporaryDir work;
        const QString address = fixture::MakeServerCourse(server_.uri(), work.path(), 40);
        Session session(address);
        auto& desktop = session.windows.desktop;
        const QString results =
            QStringLiteral("SELECT student, first_question, answers, score FROM results ORDER BY rowid");
        const QString first = QStringLiteral("Айгерим|6|abcde---------------|5");
        const QString second = QStringLiteral("Айгерим|11|ab------------------|2");
        testrun::TakeTest(desktop, Language::Russian, 6, QStringLiteral("abcde"));
        QVERIFY2(desktop.errors.isEmpty(), qPrintable(desktop.errors.value(0).text));
        QCOMPARE(fixture::QueryRows(address, results), QStringList{first});
        Form7->BitBtn1->click();

        QVERIFY2(server_.pause(), qPrintable(server_.lastOutput()));
        if (!downAtTheFinish) QVERIFY2(server_.resume(), qPrintable(server_.lastOutput()));
        testrun::TakeTest(desktop, Language::Russian, 11, QStringLiteral("ab"));
        if (!downAtTheFinish) {
            QVERIFY2(desktop.errors.isEmpty(), qPrintable(desktop.errors.value(0).text));
            QCOMPARE(fixture::QueryRows(address, results), QStringList({first, second}));
            return;
        }
        QCOMPARE(desktop.errors.size(), 1);
        QVERIFY2(desktop.errors[0].text.startsWith(QStringLiteral("Результат теста не удалось сохранить")),
                 qPrintable(desktop.errors[0].text));
        QVERIFY2(!desktop.errors[0].text.contains(QUrl(server_.uri()).password()), "the box shows the password");
        QVERIFY(Form7->isVisible());
        QVERIFY2(server_.resume(), qPrintable(server_.lastOutput()));
        QCOMPARE(fixture::QueryRows(address, results), QStringList{first});

        Form7->BitBtn1->click();
        testrun::TakeTest(desktop, Language::Russian, 16, QStringLiteral("c"));
        QCOMPARE(desktop.errors.size(), 1);
        QCOMPARE(fixture::QueryRows(address, results),
                 QStringList({first, second, QStringLiteral("Айгерим|16|c-------------------|0")}));
    }
};

QTEST_MAIN(TestServerRestart)
#include "tst_serverrestart.moc"
