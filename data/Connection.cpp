#include "Connection.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUuid>

#include "Failure.h"

namespace {
// How long a store waits for another program's lock before it fails (milliseconds).
constexpr int kBusyTimeoutMs = 3000;
}  // namespace

QString databaseMessage(const QSqlError& error) {
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text().trimmed() : text;
}

QString quoteIdentifier(const QString& name) {
    QString quoted = name;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

Connection::Connection(QObject* parent)
    : QObject(parent), name_(QStringLiteral("course-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

Connection::~Connection() {
    close();
    QSqlDatabase::removeDatabase(name_);
}

void Connection::setConnectionString(const QString& connectionString) {
    if (connectionString == connectionString_) return;
    close();
    connectionString_ = connectionString;
}

bool Connection::isOpen() const { return QSqlDatabase::contains(name_) && QSqlDatabase::database(name_, false).isOpen(); }

QSqlDatabase Connection::database() const { return QSqlDatabase::database(name_, false); }

void Connection::open() {
    if (isOpen()) return;
    const QString path = connectionString_;
    auto fail = [&path](const QString& why) {
        return platform::Failure(QStringLiteral("Cannot open the course database %1: %2").arg(path, why));
    };
    if (QFileInfo(path).isDir()) throw fail(QStringLiteral("it is a directory, not a database file"));
    if (!QFileInfo::exists(path)) throw fail(QStringLiteral("the file does not exist"));

    QSqlDatabase db = QSqlDatabase::contains(name_) ? QSqlDatabase::database(name_, false)
                                                    : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    // mode=rw: SQLite must never create a missing file.
    db.setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + QStringLiteral("?mode=rw"));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!db.open()) {
        const QString why = databaseMessage(db.lastError());
        db.close();
        throw fail(why);
    }
    // SQLite opens lazily; reading the schema tells a database from any other file.
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        const QString why = databaseMessage(probe.lastError());
        probe = QSqlQuery();
        db.close();
        throw fail(why);
    }
}

void Connection::close() {
    if (!QSqlDatabase::contains(name_)) return;
    emit closing();
    QSqlDatabase::database(name_, false).close();
}
