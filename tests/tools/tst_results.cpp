// coursedb and the test results the textbooks keep: results and report over six known tests (the
// figures worked out by hand in ResultsFixture.h), the same on a file and on a server, whose password
// is never shown; upgrade of an older database; the table made with every new database and by push,
// which keeps a lab's results; and check, which only notes a database without the table.
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include "CheckCases.h"
#include "ResultsFixture.h"
#include "tools/coursedb/CourseFile.h"
#include "tools/coursedb/Csv.h"
#include "tools/coursedb/ServerPush.h"

using fixture::Backend;
using fixture::CourseRoot;

namespace {

const QString kHead = QStringLiteral("finished          language  score  student");
// The listing's lines of the fixture's tests, R1 to R6.
const QString kR1 = QStringLiteral("2025-03-03 09:00  rus       20     Айгерим");
const QString kR2 = QStringLiteral("2025-03-05 01:30  rus       18     Айгерим");
const QString kR3 = QStringLiteral("2025-03-05 11:15  rus       0      Борис");
const QString kR4 = QStringLiteral("2025-03-01 15:00  kaz       20     ") + resultsfixture::Erlan();
const QString kR5 = QStringLiteral("2025-03-05 23:59  kaz       0      ") + resultsfixture::Erlan();
const QString kR6 = QStringLiteral("2025-03-06 00:00  kaz       20     Борис");

QString Password() { return QUrl(fixture::TestServerAddress()).password(); }

QString Shown(const QString& address) {
    QUrl url(address);
    url.setPassword(QString());
    return url.toString();
}

void AddBackends(const char* name) {
    QTest::addRow("%s, file", name) << Backend::SQLite;
    QTest::addRow("%s, server", name) << Backend::PostgreSQL;
}

// The columns of the table results: name and type, in order (the server's rowid with them).
QStringList ResultsColumns(const CourseRoot& root) {
    return root.backend() == Backend::SQLite
               ? fixture::QueryRows(root.connectionString(), "SELECT name, type FROM pragma_table_info('results')")
               : fixture::QueryRows(root.connectionString(),
                                    "SELECT column_name, data_type FROM information_schema.columns WHERE table_name = "
                                    "'results' ORDER BY ordinal_position");
}

}  // namespace

class TestResults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { resultsfixture::UseTimeZoneOfTheFixture(); }

    // One line a test, newest first, in this machine's time (UTC+5 here), and the filters.
    void listsTheTests_data() {
        QTest::addColumn<Backend>("backend");
        QTest::addColumn<QStringList>("filters");
        QTest::addColumn<QStringList>("lines");
        for (const Backend backend : {Backend::SQLite, Backend::PostgreSQL}) {
            const char* on = backend == Backend::SQLite ? "file" : "server";
            QTest::addRow("%s: all", on) << backend << QStringList()
                                         << QStringList{kHead, kR6, kR5, kR3, kR2, kR1, kR4, "6 tests, 3 students"};
            QTest::addRow("%s: one user", on)
                << backend << QStringList{"--user", "Борис"} << QStringList{kHead, kR6, kR3, "2 tests, 1 student"};
            QTest::addRow("%s: a name with quotes and markup", on)
                << backend << QStringList{"--user", resultsfixture::Erlan()}
                << QStringList{kHead, kR5, kR4, "2 tests, 1 student"};
            // 2025-03-05 begins at 2025-03-04T19:00Z here.
            QTest::addRow("%s: since a day", on) << backend << QStringList{"--since", "2025-03-05"}
                                                 << QStringList{kHead, kR6, kR5, kR3, kR2, "4 tests, 3 students"};
            QTest::addRow("%s: Kazakh", on) << backend << QStringList{"--language", "kaz"}
                                            << QStringList{kHead, kR6, kR5, kR4, "3 tests, 2 students"};
            QTest::addRow("%s: all filters", on)
                << backend << QStringList{"--language", "kaz", "--since", "2025-03-06", "--user", "Борис"}
                << QStringList{kHead, kR6, "1 test, 1 student"};
            QTest::addRow("%s: none", on) << backend << QStringList{"--user", "Айгерим", "--language", "kaz"}
                                          << QStringList{kHead, "0 tests, 0 students"};
        }
    }
    void listsTheTests() {
        QFETCH(Backend, backend);
        QFETCH(QStringList, filters);
        QFETCH(QStringList, lines);
        const CourseRoot root(resultsfixture::Course(), backend);
        const CoursedbRun run = RunCoursedb(QStringList{"results"} + filters + QStringList{root.connectionString()});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(run.out.split(u'\n', Qt::SkipEmptyParts), lines);
        QVERIFY(!run.out.contains(Password()) && !run.err.contains(Password()));
    }

    // The same tests as CSV with every answer, for a spreadsheet.
    void writesTheTestsAsCsv_data() {
        QTest::addColumn<Backend>("backend");
        AddBackends("CSV");
    }
    void writesTheTestsAsCsv() {
        QFETCH(Backend, backend);
        const CourseRoot root(resultsfixture::Course(), backend);
        QTemporaryDir dir;
        const QString csv = dir.filePath("results.csv");
        CoursedbRun run = RunCoursedb({"results", "--language", "rus", "--csv", csv, root.connectionString()});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(run.out, "Wrote " + csv + ": 3 tests\n");
        const QString head =
            "student,language,finished,host,first_question,score,seconds,answer 1,answer 2,answer 3,"
            "answer 4,answer 5,answer 6,answer 7,answer 8,answer 9,answer 10,answer 11,answer 12,"
            "answer 13,answer 14,answer 15,answer 16,answer 17,answer 18,answer 19,answer 20\r\n";
        QCOMPARE(QString::fromUtf8(FileBytes(csv)),
                 head + "Борис,rus,2025-03-05 11:15:00,lab-3,1,0,95,e,,,,,,c,,,,,,,,,,,,,\r\n" +
                     "Айгерим,rus,2025-03-05 01:30:00,lab-2,6,18,540,a,c,c,d,e,a,b,c,d,e,a,b,c,d,e,a,b,c,d,\r\n" +
                     "Айгерим,rus,2025-03-03 09:00:00,lab-1,6,20,600,a,b,c,d,e,a,b,c,d,e,a,b,c,d,e,a,b,c,d,e\r\n");
        // A name with a quote is quoted, to standard output too; a file there is not overwritten.
        run = RunCoursedb({"results", "--user", resultsfixture::Erlan(), "--since", "2025-03-02", "--csv", "-",
                           root.connectionString()});
        QCOMPARE(run.out, head +
                              "\"Ерлан O'Brien <b>\"\"Жан\"\"</b> & Қ\",kaz,2025-03-05 23:59:00,lab-2,10,0,30,a"
                              ",,,,,,,,,,,,,,,,,,,\r\n");
        run = RunCoursedb({"results", "--csv", csv, root.connectionString()});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("--force"), qPrintable(run.err));
    }

    // The report is written whole, names the database without its password, escapes every value
    // from it, and has no script and nothing to fetch. (Its figures: tst_resultsreport.)
    void writesTheReport_data() {
        QTest::addColumn<Backend>("backend");
        AddBackends("report");
    }
    void writesTheReport() {
        QFETCH(Backend, backend);
        const CourseRoot root(resultsfixture::Course(), backend);
        QTemporaryDir dir;
        const QString out = dir.filePath("report.html");
        CoursedbRun run = RunCoursedb({"report", root.connectionString(), out});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(run.out, "Wrote " + out + ": 6 tests\n");
        const QString html = QString::fromUtf8(FileBytes(out));
        QVERIFY(html.contains(QStringLiteral("Ерлан O'Brien &lt;b&gt;&quot;Жан&quot;&lt;/b&gt; &amp; Қ")));
        QVERIFY(!html.contains(QStringLiteral("<b>\"Жан\"")));
        QVERIFY(!html.contains(QStringLiteral("<script"), Qt::CaseInsensitive));
        QVERIFY(!html.contains(QStringLiteral("http:")) && !html.contains(QStringLiteral("https:")));
        QVERIFY(html.contains(QStringLiteral("@media print")));
        QVERIFY(html.contains(backend == Backend::SQLite ? root.connectionString().toHtmlEscaped()
                                                         : Shown(root.connectionString()).toHtmlEscaped()));
        if (backend == Backend::PostgreSQL) QVERIFY(!html.contains(Password()) && !run.out.contains(Password()));

        run = RunCoursedb({"report", root.connectionString(), out});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(QString::fromUtf8(FileBytes(out)), html);
        run = RunCoursedb({"report", "--force", "--user", "Борис", root.connectionString(), out});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, "Wrote " + out + ": 2 tests\n");
    }

    // A database without the table: both commands fail, saying how to add it; nothing is written.
    void noTableNoResults_data() {
        QTest::addColumn<Backend>("backend");
        AddBackends("no table");
    }
    void noTableNoResults() {
        QFETCH(Backend, backend);
        const CourseRoot root(QList<coursedb::Table>{fixture::QuestionBank("test", 3), fixture::StandardUsers()},
                              backend);
        QTemporaryDir dir;
        for (const QStringList& command :
             {QStringList{"results", root.connectionString()},
              QStringList{"report", root.connectionString(), dir.filePath("report.html")}}) {
            const CoursedbRun run = RunCoursedb(command);
            QCOMPARE(run.exitCode, 1);
            QVERIFY2(run.err.contains("has no table results") && run.err.contains("coursedb upgrade"),
                     qPrintable(run.err));
            QVERIFY(!run.err.contains(Password()));
        }
        QCOMPARE(DirectoryEntries(dir.path()), QStringList());
    }

    void badFiltersAreBadUsage_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("language") << QStringList{"results", "--language", "eng", "x.db"};
        QTest::newRow("date") << QStringList{"report", "--since", "05.03.2025", "x.db", "out.html"};
        QTest::newRow("no such day") << QStringList{"results", "--since", "2025-02-30", "x.db"};
        QTest::newRow("report without its file") << QStringList{"report", "x.db"};
    }
    void badFiltersAreBadUsage() {
        QFETCH(QStringList, arguments);
        QCOMPARE(RunCoursedb(arguments).exitCode, 2);
    }

    // An older database gets the table, empty, with the columns of a new one; its other tables stay.
    // A second upgrade, or one of a database with results, changes nothing.
    void upgradeAddsTheTable_data() {
        QTest::addColumn<Backend>("backend");
        AddBackends("upgrade");
    }
    void upgradeAddsTheTable() {
        QFETCH(Backend, backend);
        const CourseRoot root(QList<coursedb::Table>{fixture::QuestionBank("test", 3), fixture::StandardUsers()},
                              backend);
        const QStringList users = root.rows("user1");
        CoursedbRun run = RunCoursedb({"upgrade", root.connectionString()});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(run.out.contains("added the table results"), qPrintable(run.out));
        QVERIFY(!run.out.contains(Password()));
        QCOMPARE(ResultsColumns(root),
                 backend == Backend::SQLite
                     ? QStringList({"student|TEXT", "language|TEXT", "finished|TEXT", "host|TEXT",
                                    "first_question|INTEGER", "answers|TEXT", "score|INTEGER", "seconds|INTEGER"})
                     : QStringList({"rowid|bigint", "student|text", "language|text", "finished|text", "host|text",
                                    "first_question|bigint", "answers|text", "score|bigint", "seconds|bigint"}));
        QCOMPARE(root.rows("results", "count(*)"), QStringList{"0"});
        QCOMPARE(root.rows("user1"), users);

        root.exec("INSERT INTO results (student, score) VALUES ('Айгерим', 7)");
        run = RunCoursedb({"upgrade", root.connectionString()});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains("has the table results already; nothing changed"), qPrintable(run.out));
        QCOMPARE(root.rows("results", "student, score"), QStringList{"Айгерим|7"});
    }

    // A new database made by coursedb has the table; build adds it to the demo course's database
    // made before, keeping its users.
    void newDatabasesHaveTheTable() {
        QTemporaryDir dir;
        const QString built = dir.filePath("built.db");
        CoursedbRun run = RunCoursedb({"build", TEXTBOOK_SOURCE_DIR "/course/base", built});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(coursedb::DatabaseTables(built), QStringList({"test", "test_kz", "user1", "results"}));

        const QString csv = dir.filePath("user1.csv");
        WriteFileBytes(csv, coursedb::WriteCsv(fixture::StandardUsers()));
        run = RunCoursedb({"import-csv", csv, dir.filePath("imported.db")});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(coursedb::DatabaseTables(dir.filePath("imported.db")), QStringList({"user1", "results"}));

        const QString old = dir.filePath("old.db");
        coursedb::WriteDatabase(old, {fixture::QuestionBank("test", 3), fixture::StandardUsers()});
        run = RunCoursedb({"build", TEXTBOOK_SOURCE_DIR "/course/base", old});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(coursedb::DatabaseTables(old), QStringList({"test", "user1", "results"}));
        QCOMPARE(QueryRows(old, "SELECT count(*) FROM test"), QStringList{"3"});
    }

    // The lab's results on the server are never replaced by a push, --force or not: their rows and
    // grants stay, and the file's results are not copied. A server without the table gets it.
    void pushKeepsTheLabsResults_data() {
        QTest::addColumn<bool>("force");
        QTest::addColumn<bool>("fileHasResults");
        QTest::newRow("with --force, the file with results of its own") << true << true;
        QTest::newRow("with --force, the file without the table") << true << false;
        QTest::newRow("without --force") << false << true;
    }
    void pushKeepsTheLabsResults() {
        QFETCH(bool, force);
        QFETCH(bool, fileHasResults);
        const CourseRoot lab(resultsfixture::Course(), Backend::PostgreSQL);
        lab.exec("GRANT INSERT ON results TO PUBLIC");
        const QString acl = "SELECT relacl::text FROM pg_class WHERE relname = 'results'";
        const QStringList grants = fixture::QueryRows(lab.connectionString(), acl);
        const QStringList results = lab.rows("results", "*");
        QCOMPARE(results.size(), 6);

        QList<coursedb::Table> course{fixture::QuestionBank("test", 400), fixture::QuestionBank("test_kz", 400)};
        if (!force) course = {fixture::QuestionBank("extra", 3)};
        if (fileHasResults) {
            coursedb::Table own = coursedb::ResultsTable();
            own.rows = {{"Чужой", "rus", "2025-01-01T00:00:00Z", "home", "1", "aaaaaaaaaaaaaaaaaaaa", "4", "9"}};
            course << own;
        }
        const CourseRoot file(course, Backend::SQLite);
        QStringList arguments{"push", file.databasePath(), lab.connectionString()};
        if (force) arguments.insert(1, "--force");
        const CoursedbRun run = RunCoursedb(arguments);
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(run.out.contains("results: the server's test results kept as they are"), qPrintable(run.out));
        QCOMPARE(run.out.contains("the file's table results was not copied"), fileHasResults);
        QCOMPARE(lab.rows("results", "*"), results);
        QCOMPARE(fixture::QueryRows(lab.connectionString(), acl), grants);
        if (force) QCOMPARE(lab.rows("test", "count(*)"), QStringList{"400"});

        // A server that has no table results gets one, empty.
        const QString empty = fixture::CreateServerDatabase();
        const QString address = fixture::ServerAddress(empty);
        const CourseRoot old(QList<coursedb::Table>{fixture::StandardUsers()}, Backend::SQLite);
        const CoursedbRun first = RunCoursedb({"push", old.databasePath(), address});
        QVERIFY2(first.exitCode == 0, qPrintable(first.err));
        QVERIFY2(first.out.contains("results: made, empty"), qPrintable(first.out));
        QCOMPARE(fixture::QueryRows(address, "SELECT count(*) FROM results"), QStringList{"0"});
        fixture::DropServerDatabase(empty);
    }

    // A database without the table is no problem for check, only said; a table the textbooks cannot
    // store into is one.
    void checkNotesAMissingTable_data() {
        QTest::addColumn<Backend>("backend");
        AddBackends("check");
    }
    void checkNotesAMissingTable() {
        QFETCH(Backend, backend);
        const GoodRoot root(QStringLiteral("<h2 id=\"a%1\">Section %1</h2>"), backend);
        root.database().exec("DROP TABLE results");
        const QStringList arguments = backend == Backend::SQLite
                                          ? QStringList{"check", root.path()}
                                          : QStringList{"check", root.path(), root.database().connectionString()};
        const QString where =
            backend == Backend::SQLite ? QStringLiteral("Base/test.db") : Shown(root.database().connectionString());
        const QString upgrade = backend == Backend::SQLite ? root.database().databasePath() : where;
        const CoursedbRun run = RunCoursedb(arguments);
        QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
        QCOMPARE(FixCount(run.out), 0);
        QVERIFY2(run.out.contains(where +
                                  ", table results: missing: test results will not be kept; coursedb "
                                  "upgrade adds the table: coursedb upgrade " +
                                  upgrade + ".\n"),
                 qPrintable(run.out));
        QVERIFY(run.out.contains("are in order"));

        // The table as upgrade makes it, and the note is gone.
        QCOMPARE(RunCoursedb({"upgrade", backend == Backend::SQLite ? root.database().databasePath()
                                                                    : root.database().connectionString()})
                     .exitCode,
                 0);
        const CoursedbRun again = RunCoursedb(arguments);
        QCOMPARE(again.exitCode, 0);
        QVERIFY2(!again.out.contains("table results"), qPrintable(again.out));
    }
};

QTEST_GUILESS_MAIN(TestResults)
#include "tst_results.moc"
