#pragma once

#include <QMetaType>
#include <QString>
#include <QTemporaryDir>

#include "tools/coursedb/CourseDb.h"

// A small content root in a temporary directory: Base/test.db made by the same code as the demo
// course's database, with a few rows in each table; or, for the lab's shared database, the same
// tables in a database of their own on the test run's PostgreSQL server.
namespace fixture {

enum class Backend { SQLite, PostgreSQL };

// A question bank of `rows` questions numbered 1..rows; question n has the right answer
// "abcde"[(n - 1) % 5] and texts that name its number ("Вопрос n", "n-a" ...).
coursedb::Table QuestionBank(const QString& name, int rows);
// A user register with the given (user, glava) rows.
coursedb::Table Users(const QList<QStringList>& rows);
// The standard register: three users, the first with a chapter.
coursedb::Table StandardUsers();

// Test programs that run every case on both back ends call AddBackendRows() in initTestCase_data()
// and UseBackendOfThisRow() in init(); a CourseRoot made without a back end then takes the row's.
void AddBackendRows();
void UseBackendOfThisRow();
Backend CurrentBackend();
inline bool OnServer() { return CurrentBackend() == Backend::PostgreSQL; }
// Ends a case that has nothing to run on this row's back end (a database file's own fault on a
// server, a server's own fault on a file). Qt Test reports it as a skip; the suite's runner,
// cmake/run-qtest.sh, knows it by its reason and does not count it as a test left out.
#define SKIP_ON_THIS_BACKEND(why) QSKIP("not on this back end: " why)

// The superuser's address of the test run's PostgreSQL server (ctest starts it and names the file
// holding the address in TEXTBOOK_TEST_SERVER). Fails the test program when there is none.
QString TestServerAddress();
// The address of another database on the same server, or of the same database as another user.
QString ServerAddress(const QString& database, const QString& user = QString(), const QString& password = QString());
// The rows a query gives on a database (a file or a server address), on a connection of its own,
// fields joined with "|", null as "<null>". A failing query ends the test program.
QStringList QueryRows(const QString& connectionString, const QString& sql);
// Creates an empty database on the test server; its name.
QString CreateServerDatabase();
// Drops a database of the test server, ending every connection to it.
void DropServerDatabase(const QString& name);

class CourseRoot {
public:
    // With both banks (`bankRows` questions each), the standard register and the empty table of test
    // results, as a course database is made now.
    explicit CourseRoot(int bankRows = 30, Backend backend = CurrentBackend());
    // With exactly these tables (on a server too, where a push adds the table of test results).
    explicit CourseRoot(const QList<coursedb::Table>& tables, Backend backend = CurrentBackend());
    ~CourseRoot();
    CourseRoot(const CourseRoot&) = delete;
    CourseRoot& operator=(const CourseRoot&) = delete;

    Backend backend() const { return backend_; }
    QString path() const { return dir_.path(); }
    // The file's path: on a server there is no Base/test.db, so that a program that looked there
    // would fail.
    QString databasePath() const { return dir_.path() + QStringLiteral("/Base/test.db"); }
    // The file's path or the server database's address. On a server, TEXTBOOK_DATABASE holds it
    // while the root lives, so the program opens it as a lab's textbook does.
    QString connectionString() const;
    // Runs one statement on the database directly, as another program would.
    void exec(const QString& sql) const;
    // The rows of a table as the database holds them now (in the order stored), fields joined
    // with "|", null as "<null>".
    QStringList rows(const QString& table, const QString& fields = QStringLiteral("\"user\", glava")) const;
    // Makes the database refuse (with `message`) or allow again every change of a register row.
    void refuseStores(const QString& message) const;
    void allowStores() const;

private:
    QTemporaryDir dir_;
    Backend backend_;
    QString serverDatabase_;
};

}  // namespace fixture

Q_DECLARE_METATYPE(fixture::Backend)
