#include "Fixture.h"

#include <unistd.h>

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QUrl>
#include <QUuid>

#include "data/cursor/Connection.h"
#include "tools/coursedb/CourseFile.h"
#include "tools/coursedb/ServerPush.h"

namespace {
// As the program does in main: the browser engine needs a shared GL context set before the
// application starts, and refuses to start as root unless its sandbox is off.
void prepareBrowserEngine() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

fixture::Backend currentBackend = fixture::Backend::SQLite;
}  // namespace
Q_CONSTRUCTOR_FUNCTION(prepareBrowserEngine)

namespace fixture {

coursedb::Table QuestionBank(const QString& name, int rows) {
    coursedb::Table table{name, coursedb::QuestionBankFields(), {}};
    for (int n = 1; n <= rows; ++n) {
        const QString num = QString::number(n);
        table.rows << QStringList{num,
                                  QStringLiteral("Вопрос ") + num,
                                  num + QStringLiteral("-a"),
                                  num + "-b",
                                  num + "-c",
                                  num + "-d",
                                  num + "-e",
                                  QString(QChar(u"abcde"[(n - 1) % 5]))};
    }
    return table;
}

coursedb::Table Users(const QList<QStringList>& rows) {
    return coursedb::Table{QStringLiteral("user1"), coursedb::UserRegisterFields(), rows};
}

coursedb::Table StandardUsers() {
    return Users({{QStringLiteral("Айгерим"), QStringLiteral("1 Неделя")},
                  {QStringLiteral("Борис"), QString()},
                  {QStringLiteral("Сәуле"), QStringLiteral("Введение")}});
}

void AddBackendRows() {
    QTest::addColumn<Backend>("backend");
    QTest::newRow("sqlite") << Backend::SQLite;
    QTest::newRow("postgresql") << Backend::PostgreSQL;
}

void UseBackendOfThisRow() {
    QFETCH_GLOBAL(Backend, backend);
    currentBackend = backend;
}

Backend CurrentBackend() { return currentBackend; }

QString TestServerAddress() {
    static const QString address = [] {
        const QString file = qEnvironmentVariable("TEXTBOOK_TEST_SERVER");
        QFile uri(file);
        if (file.isEmpty() || !uri.open(QIODevice::ReadOnly))
            qFatal(
                "No PostgreSQL test server: run this test through ctest, which starts one and names its "
                "address file in TEXTBOOK_TEST_SERVER (%s)",
                qPrintable(file));
        return QString::fromUtf8(uri.readAll()).trimmed();
    }();
    return address;
}

QString ServerAddress(const QString& database, const QString& user, const QString& password) {
    QUrl url(TestServerAddress());
    url.setPath(u'/' + database);
    if (!user.isEmpty()) url.setUserName(user);
    if (!password.isNull()) url.setPassword(password);
    return url.toString();
}

namespace {
// Runs statements on a database of either back end, on a connection of its own.
template <class F>
void withDatabase(const QString& connectionString, F f) {
    Connection connection;
    connection.setConnectionString(connectionString);
    try {
        connection.open();
    } catch (const platform::Failure& failure) {
        qFatal("fixture: %s", qPrintable(failure.message()));
    }
    QSqlDatabase db = connection.database();
    f(db);
}

void run(QSqlDatabase& db, const QString& sql) {
    QSqlQuery q(db);
    if (!q.exec(sql)) qFatal("fixture statement failed: %s (%s)", qPrintable(q.lastError().text()), qPrintable(sql));
}
}  // namespace

QStringList QueryRows(const QString& connectionString, const QString& sql) {
    QStringList result;
    withDatabase(connectionString, [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (!q.exec(sql)) qFatal("fixture query failed: %s (%s)", qPrintable(q.lastError().text()), qPrintable(sql));
        while (q.next()) {
            QStringList values;
            for (int i = 0; i < q.record().count(); ++i)
                values << (q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
            result << values.join(u'|');
        }
    });
    return result;
}

QString CreateServerDatabase() {
    const QString name = QStringLiteral("course_") + QUuid::createUuid().toString(QUuid::Id128);
    withDatabase(TestServerAddress(),
                 [&](QSqlDatabase& db) { run(db, QStringLiteral("CREATE DATABASE %1").arg(name)); });
    return name;
}

void DropServerDatabase(const QString& name) {
    withDatabase(TestServerAddress(), [&](QSqlDatabase& db) {
        run(db, QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
    });
}

CourseRoot::CourseRoot(int bankRows, Backend backend)
    : CourseRoot(coursedb::WithResultsTable({QuestionBank(QStringLiteral("test"), bankRows),
                                             QuestionBank(QStringLiteral("test_kz"), bankRows), StandardUsers()}),
                 backend) {}

CourseRoot::CourseRoot(const QList<coursedb::Table>& tables, Backend backend) : backend_(backend) {
    if (!dir_.isValid()) qFatal("cannot make a temporary directory");
    if (backend_ == Backend::SQLite) {
        coursedb::WriteDatabase(databasePath(), tables);
        return;
    }
    // The same tables, made as a course team makes them: a file pushed to the server.
    const QString source = dir_.path() + QStringLiteral("/source.db");
    coursedb::WriteDatabase(source, tables);
    serverDatabase_ = CreateServerDatabase();
    try {
        coursedb::PushDatabase(source, connectionString(), false);
    } catch (const platform::Failure& failure) {
        qFatal("fixture: %s", qPrintable(failure.message()));
    }
    if (coursedb::WithResultsTable(tables).size() > tables.size()) exec(QStringLiteral("DROP TABLE results"));
    QFile::remove(source);
    qputenv("TEXTBOOK_DATABASE", connectionString().toUtf8());
}

CourseRoot::~CourseRoot() {
    if (serverDatabase_.isEmpty()) return;
    if (qEnvironmentVariable("TEXTBOOK_DATABASE") == connectionString()) qunsetenv("TEXTBOOK_DATABASE");
    DropServerDatabase(serverDatabase_);
}

QString CourseRoot::connectionString() const {
    return backend_ == Backend::SQLite ? databasePath() : ServerAddress(serverDatabase_);
}

void CourseRoot::exec(const QString& sql) const {
    withDatabase(connectionString(), [&](QSqlDatabase& db) { run(db, sql); });
}

QStringList CourseRoot::rows(const QString& table, const QString& fields) const {
    // In the order stored; a count or other aggregate has no order.
    const QString order = fields.contains(u'(') ? QString() : QStringLiteral(" ORDER BY rowid");
    return QueryRows(connectionString(), QStringLiteral("SELECT %1 FROM %2").arg(fields, table) + order);
}

void CourseRoot::refuseStores(const QString& message) const {
    QString quoted = message;
    quoted.replace(u'\'', QStringLiteral("''"));
    if (backend_ == Backend::SQLite) {
        exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON user1 BEGIN SELECT RAISE(ABORT, '%1'); END")
                 .arg(quoted));
        return;
    }
    exec(QStringLiteral("CREATE OR REPLACE FUNCTION refuse_store() RETURNS trigger AS $$ BEGIN RAISE EXCEPTION '%1'; "
                        "END $$ LANGUAGE plpgsql")
             .arg(quoted));
    exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON user1 FOR EACH ROW EXECUTE FUNCTION refuse_store()"));
}

void CourseRoot::allowStores() const {
    exec(backend_ == Backend::SQLite ? QStringLiteral("DROP TRIGGER refuse")
                                     : QStringLiteral("DROP TRIGGER refuse ON user1"));
}

}  // namespace fixture
