#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QUuid>

#include "data/cursor/Connection.h"
#include "tests/common/Fixture.h"

// Runs the coursedb program and keeps what it said.
struct CoursedbRun {
    int exitCode = -1;
    QString out;
    QString err;
};

inline CoursedbRun RunCoursedb(const QStringList& arguments, const QString& workingDirectory = QString()) {
    QProcess process;
    if (!workingDirectory.isEmpty()) process.setWorkingDirectory(workingDirectory);
    // Messages of the libraries it uses (libpq's) in English, as the tests read them.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.remove(QStringLiteral("LANGUAGE"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(COURSEDB_PROGRAM), arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        qFatal("coursedb did not finish: %s", qPrintable(arguments.join(u' ')));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

inline QByteArray FileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray();
    return file.readAll();
}

inline void WriteFileBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The names in a directory, to see that nothing was left behind.
inline QStringList DirectoryEntries(const QString& path) {
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

inline QStringList RowsOf(QSqlQuery& query) {
    QStringList rows;
    while (query.next()) {
        QStringList values;
        for (int i = 0; i < query.record().count(); ++i)
            values << (query.value(i).isNull() ? QStringLiteral("<null>") : query.value(i).toString());
        rows << values.join(u'|');
    }
    return rows;
}

// The rows a query gives on a database file or a server database, fields joined with "|", null as
// "<null>". A file is opened read-only: a missing file is a failure, never a new database.
inline QStringList QueryRows(const QString& databasePath, const QString& sql) {
    if (IsServerAddress(databasePath)) return fixture::QueryRows(databasePath, sql);
    QStringList rows;
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QStringLiteral("file:") + databasePath + QStringLiteral("?mode=ro"));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
        if (!db.open()) qFatal("cannot open %s", qPrintable(databasePath));
        QSqlQuery query(db);
        if (!query.exec(sql)) qFatal("query failed: %s", qPrintable(query.lastError().text()));
        rows = RowsOf(query);
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}
