#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QString>

// The one connection to the course database. Its connection string is the database file's path;
// a file that is missing or is not a database is an error, never a new empty database.
class Connection : public QObject {
    Q_OBJECT

public:
    explicit Connection(QObject* parent = nullptr);
    ~Connection() override;

    QString connectionString() const { return connectionString_; }
    // Setting another string closes an open connection first; the same string changes nothing.
    void setConnectionString(const QString& connectionString);

    // Opens the database; throws a Failure naming the file when it cannot.
    void open();
    void close();
    bool isOpen() const;
    QSqlDatabase database() const;

    // The column that identifies a row for updates and deletes.
    QString rowKey() const { return QStringLiteral("rowid"); }

signals:
    void closing();

private:
    QString connectionString_;
    QString name_;
};

// Text of a database error as the database reports it.
QString databaseMessage(const class QSqlError& error);
// A name quoted for use as an SQL identifier.
QString quoteIdentifier(const QString& name);
