#include "Fixture.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QUuid>
#include <unistd.h>

namespace {
// As the program does in main: the browser engine needs a shared GL context set before the
// application starts, and refuses to start as root unless its sandbox is off.
void prepareBrowserEngine() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}
}  // namespace
Q_CONSTRUCTOR_FUNCTION(prepareBrowserEngine)

namespace fixture {

coursedb::Table QuestionBank(const QString& name, int rows) {
    coursedb::Table table{name, coursedb::QuestionBankFields(), {}};
    for (int n = 1; n <= rows; ++n) {
        const QString num = QString::number(n);
        table.rows << QStringList{num,       QStringLiteral("Вопрос ") + num, num + QStringLiteral("-a"),
                                  num + "-b", num + "-c", num + "-d", num + "-e", QString(QChar(u"abcde"[(n - 1) % 5]))};
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

CourseRoot::CourseRoot(int bankRows)
    : CourseRoot(QList<coursedb::Table>{QuestionBank(QStringLiteral("test"), bankRows),
                                        QuestionBank(QStringLiteral("test_kz"), bankRows), StandardUsers()}) {}

CourseRoot::CourseRoot(const QList<coursedb::Table>& tables) {
    if (!dir_.isValid()) qFatal("cannot make a temporary directory");
    coursedb::WriteDatabase(databasePath(), tables);
}

namespace {
template <class F>
void withDatabase(const QString& path, F f) {
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open()) qFatal("cannot open the fixture database");
        f(db);
    }
    QSqlDatabase::removeDatabase(name);
}
}  // namespace

void CourseRoot::exec(const QString& sql) const {
    withDatabase(databasePath(), [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (!q.exec(sql)) qFatal("fixture statement failed: %s", qPrintable(q.lastError().text()));
    });
}

QStringList CourseRoot::rows(const QString& table, const QString& fields) const {
    QStringList result;
    withDatabase(databasePath(), [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("SELECT %1 FROM %2").arg(fields, table)))
            qFatal("fixture query failed: %s", qPrintable(q.lastError().text()));
        while (q.next()) {
            QStringList values;
            for (int i = 0; i < q.record().count(); ++i)
                values << (q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
            result << values.join(u'|');
        }
    });
    return result;
}

}  // namespace fixture
