#include "TestResults.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QStringList>

#include "Connection.h"

QString ResultsTableName() { return QStringLiteral("results"); }

const QList<ResultsColumn>& ResultsColumns() {
    static const QList<ResultsColumn> columns{
        {QStringLiteral("student"), false},       {QStringLiteral("language"), false},
        {QStringLiteral("finished"), false},      {QStringLiteral("host"), false},
        {QStringLiteral("first_question"), true}, {QStringLiteral("answers"), false},
        {QStringLiteral("score"), true},          {QStringLiteral("seconds"), true},
    };
    return columns;
}

QVariantList ResultValues(const TestResult& r) {
    return {r.student, r.language, r.finished, r.host, r.firstQuestion, r.answers, r.score, r.seconds};
}

TestResult ResultFromValues(const QVariantList& v) {
    return TestResult{v.value(0).toString(), v.value(1).toString(), v.value(2).toString(), v.value(3).toString(),
                      v.value(4).toInt(),    v.value(5).toString(), v.value(6).toInt(),    v.value(7).toInt()};
}

bool ResultsTableExists(Connection& connection) {
    // On a server the textbooks' role may insert into the table but not read it: the catalogue
    // says whether it is there. The name is matched as the INSERT names it: in any letter case on a
    // file, exactly on a server, where a quoted name keeps its case.
    const QString sql = connection.backend() == Connection::Backend::PostgreSQL
                            ? QStringLiteral(
                                  "SELECT count(*) FROM pg_catalog.pg_tables WHERE schemaname = "
                                  "current_schema() AND tablename = ?")
                            : QStringLiteral(
                                  "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                                  "lower(name) = ?");
    const auto query = connection.run(sql, {ResultsTableName()}, Connection::Repeat::AfterLostConnection);
    const bool there = query->next() && query->value(0).toInt() > 0;
    query->finish();
    return there;
}

void StoreTestResult(Connection& connection, const TestResult& result) {
    static const QString insert = [] {
        QStringList names, marks;
        for (const ResultsColumn& column : ResultsColumns()) {
            names << quoteIdentifier(column.name);
            marks << QStringLiteral("?");
        }
        return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(quoteIdentifier(ResultsTableName()), names.join(QStringLiteral(", ")),
                 marks.join(QStringLiteral(", ")));
    }();
    // A result is stored long after the last statement, and a server may have restarted meanwhile: a
    // question that may be asked twice finds that out and reconnects. An INSERT repeated after a lost
    // reply could store the result twice, so it is sent once; a failure keeps it for the next store.
    if (connection.backend() == Connection::Backend::PostgreSQL)
        connection.run(QStringLiteral("SELECT 1"), {}, Connection::Repeat::AfterLostConnection)->finish();
    const Connection::Change change = connection.change(insert, ResultValues(result));
    if (change.changed != 1)
        throw platform::Failure(QStringLiteral("the database stored %1 rows for one result").arg(change.changed));
}

QString ResultJsonLine(const TestResult& result, const QString& why) {
    QJsonObject object;
    const QVariantList values = ResultValues(result);
    for (int i = 0; i < ResultsColumns().size(); ++i)
        object.insert(ResultsColumns()[i].name, QJsonValue::fromVariant(values[i]));
    object.insert(QStringLiteral("error"), why);
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}
