#include "ServerPush.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include "CourseFile.h"
#include "data/cursor/TestResults.h"
#include "platform/failure/Failure.h"

using platform::Failure;

namespace coursedb {

// The tables of the server database, in the schema the connection works in.
QStringList serverTables(const QSqlDatabase& db) {
    QSqlQuery query(db);
    exec(query, QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema = "
                               "current_schema() AND table_type = 'BASE TABLE' ORDER BY table_name"));
    QStringList tables;
    while (query.next()) tables << query.value(0).toString();
    return tables;
}

Table readServerTable(const QString& address, const QString& tableName) {
    ServerConnection connection(address);
    const QStringList tables = serverTables(connection.db());
    const QString name = findName(tables, tableName);
    if (name.isEmpty())
        throw Failure(QStringLiteral("%1 has no table %2 (its tables: %3)")
                          .arg(WithoutPassword(address), tableName, tables.join(u", ")));
    QSqlQuery query(connection.db());
    query.setForwardOnly(true);
    exec(query, QStringLiteral("SELECT * FROM %1 WHERE false").arg(quoteIdentifier(name)));
    QList<int> columns;
    Table table{name, {}, {}};
    for (int i = 0; i < query.record().count(); ++i) {
        if (::Connection::isRowKey(query.record().fieldName(i))) {
            columns.prepend(i);
        } else {
            columns << i;
            table.fields << query.record().fieldName(i);
        }
    }
    if (columns.size() == table.fields.size())
        throw Failure(QStringLiteral("%1, table %2: no column %3, by which the textbook tells rows apart and keeps "
                                     "their order (coursedb push makes it)")
                          .arg(WithoutPassword(address), name, ::Connection::rowKey()));
    exec(query, QStringLiteral("SELECT * FROM %1 ORDER BY %2").arg(quoteIdentifier(name), ::Connection::rowKey()));
    while (query.next()) {
        QStringList row;
        for (int i = 1; i < columns.size(); ++i) {
            const QVariant value = query.value(columns[i]);
            row << (value.isNull() ? QString() : value.toString());
        }
        table.rows << row;
    }
    return table;
}

namespace {

// The server keeps the first 63 bytes of a name and drops the rest without a word: a longer name would
// arrive cut, or stand for another table there.
constexpr qsizetype kServerNameBytes = 63;

void requireServerName(const QString& where, const QString& what, const QString& name) {
    if (name.toUtf8().size() > kServerNameBytes)
        throw Failure(QStringLiteral("%1: the %2 name \"%3\" is longer than the %4 bytes a PostgreSQL name may have; "
                                     "rename it before the copy")
                          .arg(where, what, name, QString::number(kServerNameBytes)));
}

// The GRANT statements that give the roles (but the owner) what they may do with a server table now,
// for a table made afresh in its place: the lab's textbooks keep their rights to the course tables
// when push --force replaces them. Privileges on single columns are not carried over.
QStringList grantsOf(QSqlQuery& query, const QString& quotedTable) {
    if (!query.prepare(
            QStringLiteral("SELECT a.privilege_type, r.rolname, a.is_grantable FROM pg_class c CROSS JOIN LATERAL "
                           "aclexplode(c.relacl) a LEFT JOIN pg_roles r ON r.oid = a.grantee "
                           "WHERE c.oid = to_regclass(?) AND a.grantee <> c.relowner ORDER BY 2, 1")))
        throw Failure(query.lastError().databaseText());
    query.addBindValue(quotedTable);
    if (!query.exec()) throw Failure(query.lastError().databaseText());
    static const QStringList privileges{QStringLiteral("SELECT"),   QStringLiteral("INSERT"),
                                        QStringLiteral("UPDATE"),   QStringLiteral("DELETE"),
                                        QStringLiteral("TRUNCATE"), QStringLiteral("REFERENCES"),
                                        QStringLiteral("TRIGGER"),  QStringLiteral("MAINTAIN")};
    QStringList grants;
    while (query.next()) {
        const QString privilege = query.value(0).toString();
        if (!privileges.contains(privilege)) continue;
        // Role 0, which pg_roles does not hold, is PUBLIC.
        const QString grantee =
            query.value(1).isNull() ? QStringLiteral("PUBLIC") : quoteIdentifier(query.value(1).toString());
        grants << QStringLiteral("GRANT %1 ON %2 TO %3%4")
                      .arg(privilege, quotedTable, grantee,
                           query.value(2).toBool() ? QStringLiteral(" WITH GRANT OPTION") : QString());
    }
    return grants;
}

// The server's type for a column SQLite declares so, after SQLite's own rules of type affinity.
QString serverType(const QString& declared) {
    const QString type = declared.toUpper();
    if (type.contains(QStringLiteral("INT"))) return QStringLiteral("bigint");
    if (type.contains(QStringLiteral("CHAR")) || type.contains(QStringLiteral("CLOB")) ||
        type.contains(QStringLiteral("TEXT")))
        return QStringLiteral("text");
    if (type.contains(QStringLiteral("BLOB"))) return QStringLiteral("bytea");
    if (type.contains(QStringLiteral("REAL")) || type.contains(QStringLiteral("FLOA")) ||
        type.contains(QStringLiteral("DOUB")))
        return QStringLiteral("double precision");
    return QStringLiteral("text");
}

// Makes a course table on the server: the identity column "rowid" first, then the columns.
void createServerTable(QSqlQuery& query, const QString& quotedTable, const QStringList& columns) {
    exec(query, QStringLiteral("CREATE TABLE %1 (%2 bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, %3)")
                    .arg(quotedTable, ::Connection::rowKey(), columns.join(u", ")));
}

// The empty table "results", as a push of it from a file would make it.
void createServerResultsTable(QSqlQuery& query) {
    const Table results = ResultsTable();
    QStringList columns;
    for (const QString& field : results.fields)
        columns << quoteIdentifier(field) + u' ' +
                       serverType(IsIntegerField(results, field) ? QStringLiteral("INTEGER") : QStringLiteral("TEXT"));
    createServerTable(query, quoteIdentifier(results.name), columns);
}

}  // namespace

QStringList TablesToPush(const QStringList& fileTables, const QStringList& serverTables) {
    QStringList tables = fileTables;
    if (serverTables.contains(ResultsTableName()))
        tables.removeIf([](const QString& t) { return t.compare(ResultsTableName(), Qt::CaseInsensitive) == 0; });
    return tables;
}

bool AddServerResultsTable(const QString& address) {
    ServerConnection connection(address);
    QSqlDatabase db = connection.db();
    if (serverTables(db).contains(ResultsTableName())) return false;
    QSqlQuery query(db);
    createServerResultsTable(query);
    return true;
}

void PushDatabase(const QString& path, const QString& address, bool replace, const Progress& progress) {
    requireDatabaseFile(path);
    Connection source(path, Connection::ReadOnly);
    const QStringList fileTables = tablesOf(source);
    if (fileTables.isEmpty()) throw Failure(QStringLiteral("%1 holds no tables").arg(path));
    ServerConnection target(address);
    QSqlDatabase db = target.db();
    const QStringList existing = serverTables(db);
    const QStringList tables = TablesToPush(fileTables, existing);

    // Each table's fields (quoted) and their columns on the server, its own rowid left out; every
    // name checked before anything is done there.
    struct Copy {
        QString table;
        QStringList fields, columns;
    };
    QList<Copy> copies;
    for (const QString& table : tables) {
        requireServerName(path, QStringLiteral("table"), table);
        Copy copy{table, {}, {}};
        QSqlQuery info(source.db());
        exec(info, QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(table)));
        while (info.next()) {
            const QString field = info.value(1).toString();
            if (::Connection::isRowKey(field)) continue;
            requireServerName(QStringLiteral("%1, table %2").arg(path, table), QStringLiteral("field"), field);
            copy.fields << quoteIdentifier(field);
            copy.columns << quoteIdentifier(field) + u' ' + serverType(info.value(2).toString());
        }
        copies << copy;
    }

    for (const QString& table : tables)
        if (existing.contains(table) && !replace)
            throw Failure(QStringLiteral("%1 already has a table %2; give --force to replace it")
                              .arg(WithoutPassword(address), table));

    QSqlQuery query(db);
    // Outlive the transaction: the server frees a prepared statement only outside a failed one.
    QSqlQuery insert(db);
    QSqlQuery numbering(db);
    QSqlQuery grantsQuery(db);
    exec(query, QStringLiteral("BEGIN"));
    try {
        for (const Copy& copy : copies) {
            const QString table = quoteIdentifier(copy.table);
            QStringList grants;
            if (replace) {
                grants = grantsOf(grantsQuery, table);
                exec(query, QStringLiteral("DROP TABLE IF EXISTS %1").arg(table));
            }
            createServerTable(query, table, copy.columns);
            for (const QString& grant : grants) exec(query, grant);

            QSqlQuery count(source.db());
            exec(count, QStringLiteral("SELECT count(*) FROM %1").arg(table));
            const qint64 total = count.next() ? count.value(0).toLongLong() : -1;
            QSqlQuery rows(source.db());
            rows.setForwardOnly(true);
            exec(rows, QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY rowid").arg(copy.fields.join(u", "), table));
            const QString marks = QStringLiteral("?") + QStringLiteral(", ?").repeated(copy.fields.size());
            if (!insert.prepare(QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (%4)")
                                    .arg(table, ::Connection::rowKey(), copy.fields.join(u", "), marks)))
                throw Failure(insert.lastError().databaseText());
            qint64 done = 0;
            while (rows.next()) {
                for (int i = 0; i <= copy.fields.size(); ++i) insert.addBindValue(rows.value(i));
                if (!insert.exec())
                    throw Failure(
                        QStringLiteral("%1, record %2: %3")
                            .arg(copy.table, QString::number(done + 1), insert.lastError().databaseText().trimmed()));
                // Counted whether told or not: a failure names the record by it.
                if (++done % 100 == 0 && done < total && progress) progress(done, total);
            }
            if (progress) progress(total, total);
            // New rows the textbook stores are numbered after the copied ones. The function takes the
            // table's name as a value: bound, never written into the statement's text.
            if (!numbering.prepare(QStringLiteral("SELECT setval(pg_get_serial_sequence(?, ?), "
                                                  "coalesce((SELECT max(%2) FROM %1), 0) + 1, false)")
                                       .arg(table, ::Connection::rowKey())))
                throw Failure(numbering.lastError().databaseText());
            numbering.addBindValue(table);
            numbering.addBindValue(::Connection::rowKey());
            if (!numbering.exec())
                throw Failure(QStringLiteral("%1: %2").arg(copy.table, numbering.lastError().databaseText()));
        }
        if (findName(fileTables, ResultsTableName()).isEmpty() && !existing.contains(ResultsTableName()))
            createServerResultsTable(query);
        exec(query, QStringLiteral("COMMIT"));
    } catch (...) {
        query.exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

}  // namespace coursedb
