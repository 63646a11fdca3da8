#include "CourseDb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include "Failure.h"

using platform::Failure;

namespace coursedb {

QStringList QuestionBankFields() {
    return {QStringLiteral("num"), QStringLiteral("tekst"), QStringLiteral("a"), QStringLiteral("b"),
            QStringLiteral("c"),   QStringLiteral("d"),     QStringLiteral("e"), QStringLiteral("otvet")};
}

QStringList UserRegisterFields() { return {QStringLiteral("user"), QStringLiteral("glava")}; }

Table ParseCsv(const QString& tableName, const QString& text) {
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    int line = 1;
    int recordLine = 1;
    auto endField = [&] {
        record << field;
        field.clear();
        fieldStarted = false;
    };
    auto endRecord = [&] {
        endField();
        records << record;
        record.clear();
        recordLine = line;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == u'\n') ++line;
                field += c;
            }
            continue;
        }
        if (c == u'"') {
            if (fieldStarted)
                throw Failure(QStringLiteral("%1, line %2: a quote inside an unquoted field").arg(tableName).arg(line));
            quoted = true;
            fieldStarted = true;
        } else if (c == u',') {
            endField();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            // the LF that follows ends the record
        } else if (c == u'\n') {
            ++line;
            endRecord();
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted) throw Failure(QStringLiteral("%1, line %2: a quoted field is not closed").arg(tableName).arg(recordLine));
    if (fieldStarted || !record.isEmpty()) endRecord();
    if (records.isEmpty()) throw Failure(QStringLiteral("%1: no header row").arg(tableName));

    Table table{tableName, records.takeFirst(), {}};
    for (int r = 0; r < records.size(); ++r) {
        if (records[r].size() != table.fields.size())
            throw Failure(QStringLiteral("%1, record %2: %3 fields where the header has %4")
                              .arg(tableName)
                              .arg(r + 1)
                              .arg(records[r].size())
                              .arg(table.fields.size()));
    }
    table.rows = std::move(records);
    return table;
}

Table ReadCsvFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    return ParseCsv(QFileInfo(path).completeBaseName(), QString::fromUtf8(file.readAll()));
}

namespace {

QString quote(const QString& name) {
    QString q = name;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

QString columnType(const QString& field) {
    return field.compare(u"num", Qt::CaseInsensitive) == 0 ? QStringLiteral("INTEGER") : QStringLiteral("TEXT");
}

void exec(QSqlQuery& query, const QString& sql) {
    if (!query.exec(sql)) throw Failure(query.lastError().databaseText() + QStringLiteral(" (") + sql + u')');
}

void writeTables(QSqlDatabase& db, const QList<Table>& tables) {
    QSqlQuery query(db);
    exec(query, QStringLiteral("BEGIN"));
    for (const Table& table : tables) {
        QStringList columns;
        for (const QString& f : table.fields) columns << quote(f) + u' ' + columnType(f);
        exec(query, QStringLiteral("CREATE TABLE %1 (%2)").arg(quote(table.name), columns.join(u", ")));
        QStringList names, marks;
        for (const QString& f : table.fields) {
            names << quote(f);
            marks << QStringLiteral("?");
        }
        QSqlQuery insert(db);
        if (!insert.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                .arg(quote(table.name), names.join(u", "), marks.join(u", "))))
            throw Failure(insert.lastError().databaseText());
        for (int r = 0; r < table.rows.size(); ++r) {
            const QStringList& row = table.rows[r];
            for (int f = 0; f < table.fields.size(); ++f) {
                const QString& text = row.value(f);
                if (columnType(table.fields[f]) == u"INTEGER") {
                    bool ok = false;
                    const qlonglong n = text.toLongLong(&ok);
                    if (!ok && !text.isEmpty())
                        throw Failure(QStringLiteral("%1, record %2: %3 is not a whole number: %4")
                                          .arg(table.name)
                                          .arg(r + 1)
                                          .arg(table.fields[f], text));
                    insert.addBindValue(ok ? QVariant(n) : QVariant());
                } else {
                    insert.addBindValue(text);
                }
            }
            if (!insert.exec())
                throw Failure(
                    QStringLiteral("%1, record %2: %3").arg(table.name).arg(r + 1).arg(insert.lastError().databaseText()));
        }
    }
    exec(query, QStringLiteral("COMMIT"));
}

}  // namespace

void WriteDatabase(const QString& path, const QList<Table>& tables, bool replace) {
    const QFileInfo target(path);
    if (target.exists() && !replace)
        throw Failure(QStringLiteral("%1 already exists; it is not overwritten").arg(path));
    if (!QDir().mkpath(target.absolutePath()))
        throw Failure(QStringLiteral("Cannot create the directory %1").arg(target.absolutePath()));
    const QString partial = target.absoluteFilePath() + QStringLiteral(".partial");
    QFile::remove(partial);
    const QString name = QStringLiteral("coursedb-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    try {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(partial);
            if (!db.open()) throw Failure(QStringLiteral("Cannot create %1: %2").arg(partial, db.lastError().text()));
            writeTables(db, tables);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        if (replace) QFile::remove(path);
        if (!QFile::rename(partial, path)) throw Failure(QStringLiteral("Cannot move %1 into place").arg(path));
    } catch (...) {
        if (QSqlDatabase::contains(name)) {
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        }
        QFile::remove(partial);
        throw;
    }
}

}  // namespace coursedb
