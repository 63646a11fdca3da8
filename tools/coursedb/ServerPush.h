#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include "CourseDb.h"
#include "data/cursor/Connection.h"

// Course databases on a PostgreSQL server: the push of a file there, and reading its tables.
namespace coursedb {

// Copies every table of the course database file `path` into the PostgreSQL database `address`,
// field names, values and row order as they are, each table with the identity column "rowid" the
// textbook identifies rows by there. A table the server has already is an error unless `replace`
// is set, which replaces it. The test results are the lab's own: a table "results" the server has
// is never replaced nor changed (the file's is then left out), and one neither has is made there,
// empty. All of it is one transaction: a failure changes nothing there. `progress` is told of one
// copied table after another, in the file's order, each ending with its total as done.
void PushDatabase(const QString& path, const QString& address, bool replace, const Progress& progress = {});
// The tables of the file that PushDatabase copies to a server that has `serverTables`: all but a
// "results" the server has already.
QStringList TablesToPush(const QStringList& fileTables, const QStringList& serverTables);
// Makes the empty table "results" in a server database that has none; whether it made it.
bool AddServerResultsTable(const QString& address);

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
QStringList serverTables(const QSqlDatabase& db);
// A whole table of the server database, rows in the order of the row key, without the row key.
Table readServerTable(const QString& address, const QString& tableName);

}  // namespace coursedb
