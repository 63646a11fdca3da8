// coursedb check DIR ADDRESS: the course database on the test run's PostgreSQL server in place of
// DIR/Base/test.db, good and broken one way at a time; the problems name the address (never its
// password), and the fixes they give, done as written, put the database right.
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include "CheckCases.h"
#include "tools/coursedb/Csv.h"

namespace {

// The content root's pages and videos with its database on the server.
struct ServerRoot : GoodRoot {
    ServerRoot() : GoodRoot(QStringLiteral("<h2 id=\"a%1\">Section %1</h2>"), fixture::Backend::PostgreSQL) {}
    QString address() const { return database().connectionString(); }
    QString shown() const {
        QUrl url(address());
        url.setPassword(QString());
        return url.toString();
    }
    CoursedbRun check() const { return RunCoursedb({"check", path(), address()}); }
};

QString Password() { return QUrl(fixture::TestServerAddress()).password(); }

}  // namespace

class TestCheckServer : public QObject {
    Q_OBJECT

private slots:
    void goodDatabasePasses() {
        const ServerRoot root;
        QVERIFY(!QFileInfo::exists(root.database().databasePath()));  // nothing to find in Base/test.db
        const CoursedbRun run = root.check();
        QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
        QCOMPARE(FixCount(run.out), 0);
        QVERIFY(!run.out.contains(Password()) && !run.err.contains(Password()));
    }

    // The cases of a database file, and a table without the rowid the textbook needs there.
    void brokenDatabaseIsReported_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("named");
        QTest::addColumn<QString>("fix");
        for (const DatabaseCase& c : BrokenDatabases()) QTest::newRow(c.name) << c.sql << c.named << c.fixOnServer;
        QTest::newRow("bank without rowid")
            << "ALTER TABLE test_kz DROP COLUMN rowid" << QStringList{"table test_kz", "no column rowid"}
            << "ALTER TABLE \"test_kz\" ADD COLUMN rowid";
        QTest::newRow("register without rowid")
            << "ALTER TABLE user1 DROP COLUMN rowid" << QStringList{"table user1", "no column rowid"}
            << "coursedb push --force user1.db";
    }
    void brokenDatabaseIsReported() {
        QFETCH(QString, sql);
        QFETCH(QStringList, named);
        QFETCH(QString, fix);
        const ServerRoot root;
        root.database().exec(sql);

        const CoursedbRun run = root.check();
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(FixCount(run.out) == 1, qPrintable(run.out));
        QVERIFY2(run.out.startsWith(root.shown() + QStringLiteral(", ")), qPrintable(run.out));
        for (const QString& part : named) QVERIFY2(run.out.contains(part), qPrintable(run.out));
        QVERIFY2(OnlyFix(run.out).contains(fix), qPrintable(run.out));
        QVERIFY2(!run.out.contains("Base/test.db"), qPrintable(run.out));
        QVERIFY(!run.out.contains(Password()) && !run.err.contains(Password()));
    }

    // Done as the fix says, with the course team's CSV files at hand, the problem is gone.
    void fixPutsItRight_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("statement");  // the fix's SQL statement; otherwise its coursedb commands
        QTest::newRow("bank missing") << "DROP TABLE test_kz" << false;
        QTest::newRow("bank field missing") << "ALTER TABLE test DROP COLUMN tekst" << false;
        QTest::newRow("bank out of order")
            << "UPDATE test_kz SET num = CASE num WHEN 3 THEN 4 ELSE 3 END WHERE num IN (3, 4)" << false;
        QTest::newRow("register field missing") << "ALTER TABLE user1 DROP COLUMN glava" << false;
        QTest::newRow("bank without rowid, column added") << "ALTER TABLE test_kz DROP COLUMN rowid" << true;
        QTest::newRow("bank without rowid, copied again") << "ALTER TABLE test DROP COLUMN rowid" << false;
        QTest::newRow("register without rowid, column added") << "ALTER TABLE user1 DROP COLUMN rowid" << true;
    }
    void fixPutsItRight() {
        QFETCH(QString, sql);
        QFETCH(bool, statement);
        const ServerRoot root;
        root.database().exec(sql);
        const CoursedbRun run = root.check();
        QVERIFY2(FixCount(run.out) == 1, qPrintable(run.out));
        QString fix = OnlyFix(run.out);
        fix.chop(1);  // the full stop

        if (statement) {
            const qsizetype start = fix.indexOf(QStringLiteral("ALTER TABLE "));
            QVERIFY2(start >= 0 && fix.indexOf(u';', start) > start, qPrintable(fix));
            root.database().exec(fix.mid(start, fix.indexOf(u';', start) - start));
        } else {
            QTemporaryDir team;
            WriteFileBytes(team.filePath("test.csv"), coursedb::WriteCsv(fixture::QuestionBank("test", 400)));
            WriteFileBytes(team.filePath("test_kz.csv"), coursedb::WriteCsv(fixture::QuestionBank("test_kz", 400)));
            WriteFileBytes(team.filePath("user1.csv"), coursedb::WriteCsv(fixture::StandardUsers()));
            const qsizetype start = fix.indexOf(QStringLiteral("coursedb import-csv "));
            QVERIFY2(start >= 0, qPrintable(fix));
            for (const QString& command : fix.mid(start).split(QStringLiteral(", then "))) {
                QStringList arguments = command.split(u' ');
                QCOMPARE(arguments.takeFirst(), QStringLiteral("coursedb"));
                // The fix shows the address without the password, which the team adds.
                arguments.replaceInStrings(QRegularExpression("^" + QRegularExpression::escape(root.shown()) + "$"),
                                           root.address());
                const CoursedbRun step = RunCoursedb(arguments, team.path());
                QVERIFY2(step.exitCode == 0, qPrintable(command + u'\n' + step.err));
            }
        }
        const CoursedbRun again = root.check();
        QVERIFY2(again.exitCode == 0, qPrintable(again.out + again.err));
    }
};

QTEST_GUILESS_MAIN(TestCheckServer)
#include "tst_checkserver.moc"
