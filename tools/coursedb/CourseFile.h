#pragma once

#include <QFileInfo>
#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QUuid>

#include "CourseDb.h"
#include "platform/failure/Failure.h"

// Course databases as SQLite files.
namespace coursedb {

// Writes a new SQLite database holding the tables. The file is written beside the target and
// renamed into place only when complete, so a failure leaves no half-written database, and the
// folder is flushed to disk after the rename; an existing target is replaced only when `replace` is
// set.
void WriteDatabase(const QString& path, const QList<Table>& tables, bool replace = false);

// Puts tables into an existing database, keeping its other tables. The database is changed in place,
// in one transaction: a failure leaves it as it was; the file stays the same file (its owner, mode
// and links), and a program that has it open (a running textbook) keeps working on it without
// losing a store. A table of the same name is replaced only when `replace` is set. Throws if the
// file is missing or is not a database: it never becomes a new one.
void PutTables(const QString& path, const QList<Table>& tables, bool replace);
void PutTable(const QString& path, const Table& table, bool replace);
// Makes a table in an existing database unless it has one of that name (in any letter case), in
// place and in one transaction, as PutTables does; whether it made it.
bool AddTableIfMissing(const QString& path, const Table& table);

// What the server push and the readers of any course database share with the files:

// Runs one statement; a failure names it.
void exec(QSqlQuery& query, const QString& sql);

// How long a change of an existing database waits for another program's lock (milliseconds).
constexpr int kBusyTimeoutMs = 10000;

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
            throw platform::Failure(QStringLiteral("Cannot open %1: %2").arg(path, why));
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
                throw platform::Failure(QStringLiteral("%1 is not a course database: %2").arg(path, why));
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

// The tables of a database file, in the order they were made.
QStringList tablesOf(const Connection& connection);
// The one of `names` that is `name` without regard to letter case, or an empty text.
QString findName(const QStringList& names, const QString& name);
// Throws unless `path` is an existing file.
void requireDatabaseFile(const QString& path);

}  // namespace coursedb
