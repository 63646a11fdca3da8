#include "CourseDb.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringDecoder>
#include <QUrl>
#include <QUuid>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "Connection.h"
#include "Failure.h"

using platform::Failure;

namespace {
// How long a change of an existing database waits for another program's lock (milliseconds).
constexpr int kBusyTimeoutMs = 10000;
}  // namespace

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

// ---- CSV ----

namespace {

// Whether a spreadsheet would take a value for a formula: it begins with '=', '+', '-' or '@' (a tab
// or a carriage return, for some), after any apostrophes this writer put or the value holds. A plain
// number ("-5", "+3.5") is a number there, not a formula.
bool formulaLike(const QString& value) {
    static const QRegularExpression formula(QStringLiteral("^'*[=+\\-@\t\r]"));
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+(\\.[0-9]+)?$"));
    return formula.match(value).hasMatch() && !number.match(value).hasMatch();
}

}  // namespace

QString CsvCell(const QString& value) { return formulaLike(value) ? u'\'' + value : value; }

QString CsvValue(const QString& cell) { return cell.startsWith(u'\'') && formulaLike(cell) ? cell.mid(1) : cell; }

QList<CsvRecord> ParseCsvRecords(const QString& source, const QString& text) {
    QList<CsvRecord> records;
    QStringList record;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    bool blank = true;
    int line = 1;
    int recordLine = 1;
    auto endField = [&] {
        record << CsvValue(field);
        field.clear();
        fieldStarted = false;
    };
    auto endRecord = [&] {
        endField();
        records << CsvRecord{recordLine, record, blank};
        record.clear();
        blank = true;
        recordLine = line;
    };
    const qsizetype start = text.startsWith(QChar(0xFEFF)) ? 1 : 0;  // spreadsheets write a BOM
    for (qsizetype i = start; i < text.size(); ++i) {
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
                throw Failure(QStringLiteral("%1, line %2: a quote inside an unquoted field").arg(source).arg(line));
            quoted = true;
            fieldStarted = true;
            blank = false;
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
            blank = false;
        }
    }
    if (quoted) throw Failure(QStringLiteral("%1, line %2: a quoted field is not closed").arg(source).arg(recordLine));
    if (fieldStarted || !record.isEmpty()) endRecord();
    return records;
}

namespace {

// The records after the header but the blank ones, each with the header's number of fields.
QList<CsvRecord> dataRecords(const QString& where, const QList<CsvRecord>& records) {
    if (records.isEmpty()) throw Failure(QStringLiteral("%1: no header row").arg(where));
    const qsizetype width = records.first().fields.size();
    QList<CsvRecord> data;
    for (qsizetype r = 1; r < records.size(); ++r) {
        const CsvRecord& record = records[r];
        if (record.blank) continue;
        if (record.fields.size() != width)
            throw Failure(QStringLiteral("%1, line %2: %3 fields where the header has %4")
                              .arg(where)
                              .arg(record.line)
                              .arg(record.fields.size())
                              .arg(width));
        data << record;
    }
    return data;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    return file.readAll();
}

}  // namespace

Table ParseCsv(const QString& tableName, const QString& text, const QString& source) {
    const QString where = source.isEmpty() ? tableName : source;
    const QList<CsvRecord> records = ParseCsvRecords(where, text);
    Table table{tableName, records.isEmpty() ? QStringList() : records.first().fields, {}};
    for (const CsvRecord& record : dataRecords(where, records)) table.rows << record.fields;
    return table;
}

Table ReadCsvFile(const QString& path) {
    return ParseCsv(QFileInfo(path).completeBaseName(), DecodeUtf8(path, readFile(path)), path);
}

Table ReadCsvForImport(const QString& path, const QString& tableName) {
    const QList<CsvRecord> records = ParseCsvRecords(path, DecodeUtf8(path, readFile(path)));
    const QList<CsvRecord> data = dataRecords(path, records);
    const QStringList header = records.first().fields;
    QStringList fields = CourseFields(tableName);
    QList<qsizetype> columns;
    if (fields.isEmpty()) {
        fields = header;
        for (qsizetype c = 0; c < header.size(); ++c) columns << c;
    } else {
        QStringList missing;
        for (const QString& field : fields) {
            qsizetype found = -1;
            for (qsizetype c = 0; c < header.size() && found < 0; ++c)
                if (header[c].trimmed().compare(field, Qt::CaseInsensitive) == 0) found = c;
            if (found < 0) missing << field;
            columns << found;
        }
        if (!missing.isEmpty())
            throw Failure(QStringLiteral("%1, line 1: no column %2 for the table %3 (the header has: %4)")
                              .arg(path, QStringLiteral("\"") + missing.join(QStringLiteral("\", \"")) + u'"',
                                   tableName, header.join(QStringLiteral(", "))));
    }
    Table table{tableName, fields, {}};
    for (const CsvRecord& record : data) {
        QStringList row;
        for (qsizetype f = 0; f < fields.size(); ++f) {
            QString value = record.fields[columns[f]];
            if (IsIntegerField(table, fields[f]) && !value.trimmed().isEmpty()) {
                const std::optional<qlonglong> number = WholeNumber(value);
                if (!number)
                    throw Failure(QStringLiteral("%1, line %2: %3 is not a whole number: \"%4\"")
                                      .arg(path)
                                      .arg(record.line)
                                      .arg(fields[f], value));
                value = QString::number(*number);
            }
            row << value;
        }
        table.rows << row;
    }
    return table;
}

QString DecodeUtf8(const QString& source, const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    if (!decoder.hasError()) return text;
    // Find the line to name: decode line by line until one fails.
    int line = 1;
    for (const QByteArray& part : bytes.split('\n')) {
        QStringDecoder probe(QStringDecoder::Utf8);
        const QString decoded = probe.decode(part);  // decode() is lazy: converting runs it
        if (probe.hasError()) break;
        ++line;
    }
    throw Failure(
        QStringLiteral("%1, line %2: the text is not UTF-8; save the file as CSV in UTF-8").arg(source).arg(line));
}

namespace {

QString csvField(const QString& value, bool blankRow) {
    static const QString special = QStringLiteral(",\"\r\n");
    const QString cell = CsvCell(value);
    bool needsQuotes = blankRow;  // unquoted, a row of empty fields would read as a blank line
    for (const QChar c : cell) needsQuotes = needsQuotes || special.contains(c);
    if (!needsQuotes) return cell;
    QString quoted = cell;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString csvLine(const QStringList& fields) {
    const bool blankRow = std::all_of(fields.cbegin(), fields.cend(), [](const QString& f) { return f.isEmpty(); });
    QStringList out;
    for (const QString& f : fields) out << csvField(f, blankRow);
    return out.join(u',') + QStringLiteral("\r\n");
}

}  // namespace

QByteArray WriteCsv(const Table& table) {
    QString text = csvLine(table.fields);
    for (const QStringList& row : table.rows) text += csvLine(row);
    return text.toUtf8();
}

// ---- SQLite ----

namespace {

void exec(QSqlQuery& query, const QString& sql) {
    if (!query.exec(sql)) throw Failure(query.lastError().databaseText() + QStringLiteral(" (") + sql + u')');
}

// One connection of its own to a database file, closed and removed when it goes.
class Connection {
public:
    enum Mode { ReadOnly, ReadWrite, Create };

    Connection(const QString& path, Mode mode)
        : name_(QStringLiteral("coursedb-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        if (mode == Create) {
            db.setDatabaseName(path);
        } else {
            // A URI with a mode: SQLite must never create a missing file here.
            const QString uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
            db.setDatabaseName(uri + (mode == ReadOnly ? QStringLiteral("?mode=ro") : QStringLiteral("?mode=rw")));
            // A running textbook may hold a lock for a moment: wait for it rather than fail.
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
        }
        if (!db.open()) {
            const QString why = db.lastError().databaseText();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name_);
            throw Failure(QStringLiteral("Cannot open %1: %2").arg(path, why));
        }
        if (mode != Create) {
            // SQLite opens lazily; reading the schema tells a database from any other file.
            QSqlQuery probe(db);
            if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
                const QString why = probe.lastError().databaseText();
                probe = QSqlQuery();
                db.close();
                db = QSqlDatabase();
                QSqlDatabase::removeDatabase(name_);
                throw Failure(QStringLiteral("%1 is not a course database: %2").arg(path, why));
            }
        }
    }
    ~Connection() {
        QSqlDatabase::database(name_, false).close();
        QSqlDatabase::removeDatabase(name_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    QSqlDatabase db() const { return QSqlDatabase::database(name_, false); }

private:
    QString name_;
};

QStringList tablesOf(const Connection& connection) {
    QStringList tables;
    QSqlQuery query(connection.db());
    exec(query, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY rowid"));
    while (query.next()) tables << query.value(0).toString();
    return tables;
}

QString findName(const QStringList& names, const QString& name) {
    for (const QString& n : names)
        if (n.compare(name, Qt::CaseInsensitive) == 0) return n;
    return QString();
}

void createTable(const QSqlDatabase& db, const Table& table) {
    QSqlQuery query(db);
    QStringList columns, names, marks;
    for (const QString& f : table.fields) {
        columns << quoteIdentifier(f) +
                       (IsIntegerField(table, f) ? QStringLiteral(" INTEGER") : QStringLiteral(" TEXT"));
        names << quoteIdentifier(f);
        marks << QStringLiteral("?");
    }
    exec(query, QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteIdentifier(table.name), columns.join(u", ")));
    QSqlQuery insert(db);
    if (!insert.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(quoteIdentifier(table.name), names.join(u", "), marks.join(u", "))))
        throw Failure(insert.lastError().databaseText());
    for (int r = 0; r < table.rows.size(); ++r) {
        const QStringList& row = table.rows[r];
        for (int f = 0; f < table.fields.size(); ++f) {
            const QString& text = row.value(f);
            if (IsIntegerField(table, table.fields[f])) {
                const std::optional<qlonglong> number = WholeNumber(text);
                if (!number && !text.trimmed().isEmpty())
                    throw Failure(QStringLiteral("%1, record %2: %3 is not a whole number: %4")
                                      .arg(table.name, QString::number(r + 1), table.fields[f], text));
                insert.addBindValue(number ? QVariant(*number) : QVariant());
            } else {
                insert.addBindValue(text);
            }
        }
        if (!insert.exec())
            throw Failure(QStringLiteral("%1, record %2: %3")
                              .arg(table.name, QString::number(r + 1), insert.lastError().databaseText()));
    }
}

std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// Flushes a folder to disk, so that a file just renamed into it is there after a power cut too.
void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int result = fd < 0 ? -1 : ::fsync(fd);
    const int error = errno;
    if (fd >= 0) ::close(fd);
    // EINVAL: a file system that keeps no folders to flush.
    if (result != 0 && error != EINVAL)
        throw Failure(QStringLiteral("Cannot flush the folder %1 to disk: %2")
                          .arg(folder, QString::fromLocal8Bit(std::strerror(error))));
}

// Moves a complete file into place. Replacing is one rename, so readers see the old database or
// the new one, never a mixture.
void moveIntoPlace(const QString& partial, const QString& path, bool replace) {
    if (replace) {
        std::error_code error;
        std::filesystem::rename(fsPath(partial), fsPath(path), error);
        if (error)
            throw Failure(
                QStringLiteral("Cannot move %1 into place: %2").arg(path, QString::fromStdString(error.message())));
    } else if (!QFile::rename(partial, path)) {  // refuses to replace a file that appeared meanwhile
        throw Failure(QStringLiteral("Cannot move %1 into place").arg(path));
    }
    syncFolder(QFileInfo(path).absolutePath());
}

void removePartial(const QString& partial) {
    QFile::remove(partial);
    QFile::remove(partial + QStringLiteral("-journal"));
}

void requireDatabaseFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) throw Failure(QStringLiteral("%1 does not exist").arg(path));
    if (!info.isFile()) throw Failure(QStringLiteral("%1 is not a file").arg(path));
}

}  // namespace

void WriteDatabase(const QString& path, const QList<Table>& tables, bool replace) {
    const QFileInfo target(path);
    if (target.exists() && !replace)
        throw Failure(QStringLiteral("%1 already exists; it is not overwritten").arg(path));
    if (target.isDir()) throw Failure(QStringLiteral("%1 is a directory").arg(path));
    if (!QDir().mkpath(target.absolutePath()))
        throw Failure(QStringLiteral("Cannot create the directory %1").arg(target.absolutePath()));
    const QString partial = target.absoluteFilePath() + QStringLiteral(".partial");
    removePartial(partial);
    try {
        {
            Connection connection(partial, Connection::Create);
            QSqlQuery query(connection.db());
            exec(query, QStringLiteral("BEGIN"));
            for (const Table& table : tables) createTable(connection.db(), table);
            exec(query, QStringLiteral("COMMIT"));
        }
        moveIntoPlace(partial, target.absoluteFilePath(), replace);
    } catch (...) {
        removePartial(partial);
        throw;
    }
}

void PutTables(const QString& path, const QList<Table>& tables, bool replace) {
    requireDatabaseFile(path);
    Connection connection(path, Connection::ReadWrite);
    QSqlQuery query(connection.db());
    // The write lock from the start: what is read here stays so until the commit. A program storing
    // meanwhile waits for it (and this for them) as long as the connection's busy timeout allows.
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        throw Failure(QStringLiteral("Cannot change %1: %2").arg(path, query.lastError().databaseText()));
    try {
        const QStringList existing = tablesOf(connection);
        for (const Table& table : tables) {
            const QString name = findName(existing, table.name);
            if (!name.isEmpty() && !replace)
                throw Failure(QStringLiteral("%1 already has a table %2; it is not overwritten").arg(path, name));
            if (!name.isEmpty()) exec(query, QStringLiteral("DROP TABLE %1").arg(quoteIdentifier(name)));
            createTable(connection.db(), table);
        }
        if (!query.exec(QStringLiteral("COMMIT")))
            throw Failure(QStringLiteral("Cannot change %1: %2").arg(path, query.lastError().databaseText()));
    } catch (...) {
        query.exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

void PutTable(const QString& path, const Table& table, bool replace) { PutTables(path, {table}, replace); }

// ---- PostgreSQL ----

namespace {

// An open connection to a server database, with the textbook's own connection rules: the address's
// options, a bounded wait, and errors that name the address but never its password.
class ServerConnection {
public:
    explicit ServerConnection(const QString& address) {
        connection_.setConnectionString(address);
        connection_.open();
    }
    QSqlDatabase db() { return connection_.database(); }

private:
    ::Connection connection_;
};

// The tables of the server database, in the schema the connection works in.
QStringList serverTables(const QSqlDatabase& db) {
    QSqlQuery query(db);
    exec(query, QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema = "
                               "current_schema() AND table_type = 'BASE TABLE' ORDER BY table_name"));
    QStringList tables;
    while (query.next()) tables << query.value(0).toString();
    return tables;
}

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

}  // namespace

void PushDatabase(const QString& path, const QString& address, bool replace, const Progress& progress) {
    requireDatabaseFile(path);
    Connection source(path, Connection::ReadOnly);
    const QStringList tables = tablesOf(source);
    if (tables.isEmpty()) throw Failure(QStringLiteral("%1 holds no tables").arg(path));

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

    ServerConnection target(address);
    QSqlDatabase db = target.db();
    const QStringList existing = serverTables(db);
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
            exec(query, QStringLiteral("CREATE TABLE %1 (%2 bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, %3)")
                            .arg(table, ::Connection::rowKey(), copy.columns.join(u", ")));
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
        exec(query, QStringLiteral("COMMIT"));
    } catch (...) {
        query.exec(QStringLiteral("ROLLBACK"));
        throw;
    }
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
