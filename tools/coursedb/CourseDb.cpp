#include "CourseDb.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>

#include "CourseFile.h"
#include "ServerPush.h"
#include "data/cursor/Connection.h"
#include "data/cursor/TestResults.h"
#include "platform/failure/Failure.h"

using platform::Failure;

namespace coursedb {

QStringList QuestionBankFields() {
    return {QStringLiteral("num"), QStringLiteral("tekst"), QStringLiteral("a"), QStringLiteral("b"),
            QStringLiteral("c"),   QStringLiteral("d"),     QStringLiteral("e"), QStringLiteral("otvet")};
}

QStringList UserRegisterFields() { return {QStringLiteral("user"), QStringLiteral("glava")}; }

QStringList CourseFields(const QString& table) {
    if (table == u"test" || table == u"test_kz") return QuestionBankFields();
    if (table == u"user1") return UserRegisterFields();
    return {};
}

Table ResultsTable() {
    Table table{ResultsTableName(), {}, {}};
    for (const ResultsColumn& column : ResultsColumns()) {
        table.fields << column.name;
        if (column.integer) table.integerFields << column.name;
    }
    return table;
}

QList<Table> WithResultsTable(QList<Table> tables) {
    for (const Table& table : tables)
        if (table.name.compare(ResultsTableName(), Qt::CaseInsensitive) == 0) return tables;
    tables << ResultsTable();
    return tables;
}

bool IsIntegerField(const Table& table, const QString& field) {
    return field.compare(u"num", Qt::CaseInsensitive) == 0 || table.integerFields.contains(field);
}

std::optional<qlonglong> WholeNumber(const QString& text) {
    const QString trimmed = text.trimmed();
    bool ok = false;
    const qlonglong n = trimmed.toLongLong(&ok);
    if (ok) return n;
    // Access files and spreadsheets may hold a number field as "12.0000".
    const double d = trimmed.toDouble(&ok);
    if (ok && std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 9.0e15) return static_cast<qlonglong>(d);
    return std::nullopt;
}

QStringList DatabaseTables(const QString& path) {
    if (IsServerAddress(path)) {
        ServerConnection connection(path);
        return serverTables(connection.db());
    }
    requireDatabaseFile(path);
    Connection connection(path, Connection::ReadOnly);
    return tablesOf(connection);
}

Table ReadTable(const QString& path, const QString& tableName) {
    if (IsServerAddress(path)) return readServerTable(path, tableName);
    requireDatabaseFile(path);
    Connection connection(path, Connection::ReadOnly);
    const QStringList tables = tablesOf(connection);
    const QString name = findName(tables, tableName);
    if (name.isEmpty())
        throw Failure(QStringLiteral("%1 has no table %2 (its tables: %3)").arg(path, tableName, tables.join(u", ")));
    Table table{name, {}, {}};
    QSqlQuery query(connection.db());
    query.setForwardOnly(true);
    exec(query, QStringLiteral("SELECT * FROM %1").arg(quoteIdentifier(name)));
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i) table.fields << record.fieldName(i);
    while (query.next()) {
        QStringList row;
        for (int i = 0; i < record.count(); ++i) {
            const QVariant value = query.value(i);
            row << (value.isNull() ? QString() : value.toString());
        }
        table.rows << row;
    }
    return table;
}

}  // namespace coursedb
