// import-mdb on real Access files (a Jet 3 and a Jet 4 one from MDB Tools' test data), read
// where they lie. What is checked against them was read with MDB Tools' own mdb-export.
#include <QTemporaryDir>
#include <QtTest>

#include "RunCoursedb.h"
#include "tests/common/Fixture.h"
#include "tools/coursedb/AccessFile.h"
#include "tools/coursedb/CourseDb.h"
#include "tools/coursedb/CourseFile.h"

namespace {

QString accessFile(const QString& name) { return QStringLiteral(MDB_FIXTURES "/") + name; }

}  // namespace

class TestImportMdb : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (!QFileInfo(accessFile("nwind.mdb")).isFile() || !QFileInfo(accessFile("DateTestDatabase.mdb")).isFile())
            QSKIP("The Access test files nwind.mdb and DateTestDatabase.mdb are not in " MDB_FIXTURES
                  "; these tests need them there.");
    }

    void importsATableByName_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("rows");

        QTest::newRow("Jet 3: non-ASCII table name and texts, integers as integers")
            << "nwind.mdb" << QStringList{"--table", "Umsätze=Umsätze"}
            << "SELECT OrderID, typeof(OrderID), ShipName, ShipCity, ShipRegion FROM \"Umsätze\" WHERE OrderID = 10332"
            << QStringList{"10332|integer|Mère Paillarde|Montréal|Québec"};
        QTest::newRow("Jet 3: every row")
            << "nwind.mdb" << QStringList{"--table", "Umsätze=Umsätze"}
            << "SELECT count(*), count(DISTINCT OrderID) FROM \"Umsätze\"" << QStringList{"830|830"};
        QTest::newRow("Jet 3: renamed, the name matched regardless of case")
            << "nwind.mdb" << QStringList{"--table", "customers=Kunden"}
            << "SELECT count(*), max(CASE CustomerID WHEN 'ANTON' THEN CompanyName END) FROM Kunden"
            << QStringList{"91|Antonio Moreno Taquería"};
        QTest::newRow("Jet 3: pictures left out") << "nwind.mdb" << QStringList{"--table", "Categories=cats"}
                                                  << "SELECT group_concat(name) FROM pragma_table_info('cats')"
                                                  << QStringList{"CategoryID,CategoryName,Description"};
        QTest::newRow("Jet 3: the code page given is the one used")
            << "nwind.mdb" << QStringList{"--charset", "CP1251", "--table", "Umsдtze=u"}
            << "SELECT ShipName FROM u WHERE OrderID = 10332" << QStringList{"Mиre Paillarde"};
        QTest::newRow("Jet 4: a line break inside a text, integers as integers")
            << "DateTestDatabase.mdb" << QStringList{"--table", "DateTest=dates"}
            << "SELECT IDCol, typeof(IDCol), LongTextCol, ShortTextCol FROM dates WHERE IDCol = 6"
            << QStringList{"6|integer|New line\r\nin field|No new line"};
        QTest::newRow("Jet 4: every row in order")
            << "DateTestDatabase.mdb" << QStringList{"--table", "DateTest=dates"}
            << "SELECT group_concat(IDCol) FROM dates" << QStringList{"1,2,3,4,5,6"};
        QTest::newRow("several tables at once")
            << "nwind.mdb" << QStringList{"--table", "Shippers=s", "--table", "Suppliers=t"}
            << "SELECT (SELECT count(*) FROM s), (SELECT count(*) FROM t), "
               "(SELECT count(*) FROM sqlite_master WHERE type = 'table')"
            << QStringList{"3|29|3"};  // and the table of test results
    }
    void importsATableByName() {
        QFETCH(QString, file);
        QFETCH(QStringList, options);
        QFETCH(QString, query);
        QFETCH(QStringList, rows);
        QTemporaryDir dir;
        const QString db = dir.filePath("Base/test.db");
        const CoursedbRun run = RunCoursedb(QStringList{"import-mdb"} + options + QStringList{accessFile(file), db});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(QueryRows(db, query), rows);
        QCOMPARE(DirectoryEntries(dir.filePath("Base")), QStringList{"test.db"});
    }

    // A text longer than MDB Tools reads of one would arrive cut: it is an error naming the table,
    // the row and the field. No Access file with a memo near the real buffer (1 MiB) can be made here
    // without Access, so the buffer is made small for the test file's own texts: LongTextCol (a memo)
    // of rows 1 to 6 holds 5, 9, 14, 14, 30 and 18 bytes ("Escaped new line \r\n in field" with its
    // backslashes is 30); a buffer of N bytes takes texts of up to N - 4.
    void textTooLongForTheBufferIsAnError_data() {
        QTest::addColumn<int>("buffer");
        QTest::addColumn<int>("row");  // the first row too long; 0: none
        QTest::newRow("34 bytes: every text fits") << 34 << 0;
        QTest::newRow("33 bytes: row 5 does not") << 33 << 5;
        QTest::newRow("17 bytes: row 3 does not") << 17 << 3;
        QTest::newRow("8 bytes: row 1 does not") << 8 << 1;
    }
    void textTooLongForTheBufferIsAnError() {
        QFETCH(int, buffer);
        QFETCH(int, row);
        const coursedb::AccessFile access(accessFile("DateTestDatabase.mdb"), QString(), buffer);
        try {
            const coursedb::Table table = access.read("DateTest", "d", {"IDCol", "LongTextCol"});
            QVERIFY2(row == 0, "a text too long for the buffer was read");
            QCOMPARE(table.rows.size(), 6);
            QCOMPARE(table.rows[4], QStringList({"5", "Escaped new line \\r\\n in field"}));
        } catch (const platform::Failure& failure) {
            QVERIFY2(row != 0, qPrintable(failure.message()));
            for (const QString& part : {QStringLiteral("DateTestDatabase.mdb, table \"DateTest\", row %1:").arg(row),
                                        QStringLiteral("LongTextCol"), QString::number(buffer - 4)})
                QVERIFY2(failure.message().contains(part), qPrintable(failure.message()));
        }
    }

    // Every refusal names what is wrong and leaves the directory as it was: no database, no
    // partial file.
    void refusalsNameTheCauseAndLeaveNoFile_data() {
        QTest::addColumn<QStringList>("arguments");  // FIXTURES and DIR are replaced
        QTest::addColumn<QStringList>("named");
        QTest::newRow("the course tables are not in the file")
            << QStringList{"import-mdb", "FIXTURES/nwind.mdb", "DIR/test.db"} << QStringList{"\"test\"", "Umsätze"};
        QTest::newRow("a named table is missing")
            << QStringList{"import-mdb", "--table", "Nichts=test", "FIXTURES/nwind.mdb", "DIR/test.db"}
            << QStringList{"\"Nichts\""};
        QTest::newRow("the register's fields are missing")
            << QStringList{"import-mdb", "--table", "Customers=user1", "FIXTURES/nwind.mdb", "DIR/test.db"}
            << QStringList{"\"user\"", "\"glava\"", "Customers"};
        QTest::newRow("a bank's fields are missing")
            << QStringList{"import-mdb", "--table", "DateTest=test_kz", "FIXTURES/DateTestDatabase.mdb", "DIR/test.db"}
            << QStringList{"\"num\"", "\"otvet\"", "DateTest"};
        QTest::newRow("a later table is missing after a good one")
            << QStringList{"import-mdb",         "--table",    "Shippers=s", "--table", "Absent=t",
                           "FIXTURES/nwind.mdb", "DIR/test.db"}
            << QStringList{"\"Absent\""};
        QTest::newRow("SQLite refuses the target name")
            << QStringList{"import-mdb", "--table", "Shippers=sqlite_x", "FIXTURES/nwind.mdb", "DIR/test.db"}
            << QStringList{"sqlite_x"};
        QTest::newRow("unknown code page")
            << QStringList{"import-mdb", "--charset", "NO-SUCH-PAGE", "FIXTURES/nwind.mdb", "DIR/test.db"}
            << QStringList{"NO-SUCH-PAGE"};
        QTest::newRow("not an Access file") << QStringList{"import-mdb", "DIR/notes.mdb", "DIR/test.db"}
                                            << QStringList{"notes.mdb", "not an Access database"};
        QTest::newRow("no such file") << QStringList{"import-mdb", "DIR/absent.mdb", "DIR/test.db"}
                                      << QStringList{"absent.mdb"};
    }
    void refusalsNameTheCauseAndLeaveNoFile() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, named);
        QTemporaryDir dir;
        WriteFileBytes(dir.filePath("notes.mdb"), QByteArray(8192, 'x'));
        for (QString& a : arguments) a.replace("FIXTURES", MDB_FIXTURES).replace("DIR", dir.path());
        const CoursedbRun run = RunCoursedb(arguments);
        QCOMPARE(run.exitCode, 1);
        for (const QString& part : named) QVERIFY2(run.err.contains(part), qPrintable(run.err));
        QCOMPARE(DirectoryEntries(dir.path()), QStringList{"notes.mdb"});
    }

    // An existing database is changed only with --force, in place: the imported tables replace those
    // of the same names, its other tables stay, and a failed import leaves it as it was. A file that
    // is no database is never taken for one.
    void existingDatabaseIsChangedOnlyWithForce() {
        QTemporaryDir dir;
        const QString db = dir.filePath("test.db");
        coursedb::WriteDatabase(db, {coursedb::Table{"s", {"old"}, {{"1"}}}, fixture::StandardUsers()});
        const QByteArray before = FileBytes(db);
        const QStringList import{"import-mdb", "--table", "Shippers=s", accessFile("nwind.mdb"), db};

        const CoursedbRun refused = RunCoursedb(import);
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.contains("--force"), qPrintable(refused.err));
        QCOMPARE(FileBytes(db), before);

        // SQLite refuses the second table after the first was replaced: the transaction takes both back.
        const CoursedbRun failed = RunCoursedb({"import-mdb", "--force", "--table", "Shippers=s", "--table",
                                                "Suppliers=sqlite_x", accessFile("nwind.mdb"), db});
        QCOMPARE(failed.exitCode, 1);
        QCOMPARE(FileBytes(db), before);

        const CoursedbRun forced = RunCoursedb(QStringList{"import-mdb", "--force"} + import.mid(1));
        QVERIFY2(forced.exitCode == 0, qPrintable(forced.err));
        QCOMPARE(QueryRows(db, "SELECT count(*) FROM s"), QStringList{"3"});
        QCOMPARE(QueryRows(db, "SELECT \"user\" FROM user1"), QStringList({"Айгерим", "Борис", "Сәуле"}));
        QCOMPARE(DirectoryEntries(dir.path()), QStringList{"test.db"});

        const QString notes = dir.filePath("notes.db");
        WriteFileBytes(notes, "an older database\n");
        for (const bool force : {false, true}) {
            QStringList arguments{"import-mdb", "--table", "Shippers=s", accessFile("nwind.mdb"), notes};
            if (force) arguments.insert(1, "--force");
            const CoursedbRun run = RunCoursedb(arguments);
            QCOMPARE(run.exitCode, 1);
            QVERIFY2(run.err.contains(force ? "not a course database" : "--force"), qPrintable(run.err));
            QCOMPARE(FileBytes(notes), QByteArray("an older database\n"));
        }
    }
};

QTEST_GUILESS_MAIN(TestImportMdb)
#include "tst_importmdb.moc"
