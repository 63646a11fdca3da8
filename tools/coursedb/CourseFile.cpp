#include "CourseFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <cstring>
#include <filesystem>
#include <functional>
#include <system_error>

#include "data/cursor/Connection.h"

using platform::Failure;

namespace coursedb {

void exec(QSqlQuery& query, const QString& sql) {
    if (!query.exec(sql)) throw Failure(query.lastError().databaseText() + QStringLiteral(" (") + sql + u')');
}

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

void requireDatabaseFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) throw Failure(QStringLiteral("%1 does not exist").arg(path));
    if (!info.isFile()) throw Failure(QStringLiteral("%1 is not a file").arg(path));
}

namespace {

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

namespace {

// Changes an existing database in place in one transaction: `change` is given the connection and the
// tables the database has. A failure leaves it as it was.
void changeInPlace(const QString& path, const std::function<void(const Connection&, const QStringList&)>& change) {
    requireDatabaseFile(path);
    Connection connection(path, Connection::ReadWrite);
    QSqlQuery query(connection.db());
    // The write lock from the start: what is read here stays so until the commit. A program storing
    // meanwhile waits for it (and this for them) as long as the connection's busy timeout allows.
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        throw Failure(QStringLiteral("Cannot change %1: %2").arg(path, query.lastError().databaseText()));
    try {
        change(connection, tablesOf(connection));
        if (!query.exec(QStringLiteral("COMMIT")))
            throw Failure(QStringLiteral("Cannot change %1: %2").arg(path, query.lastError().databaseText()));
    } catch (...) {
        query.exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

}  // namespace

void PutTables(const QString& path, const QList<Table>& tables, bool replace) {
    changeInPlace(path, [&](const Connection& connection, const QStringList& existing) {
        QSqlQuery query(connection.db());
        for (const Table& table : tables) {
            const QString name = findName(existing, table.name);
            if (!name.isEmpty() && !replace)
                throw Failure(QStringLiteral("%1 already has a table %2; it is not overwritten").arg(path, name));
            if (!name.isEmpty()) exec(query, QStringLiteral("DROP TABLE %1").arg(quoteIdentifier(name)));
            createTable(connection.db(), table);
        }
    });
}

bool AddTableIfMissing(const QString& path, const Table& table) {
    bool added = false;
    changeInPlace(path, [&](const Connection& connection, const QStringList& existing) {
        if (!findName(existing, table.name).isEmpty()) return;
        createTable(connection.db(), table);
        added = true;
    });
    return added;
}

void PutTable(const QString& path, const Table& table, bool replace) { PutTables(path, {table}, replace); }

}  // namespace coursedb
