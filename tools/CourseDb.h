#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Building course databases: the same code makes the demo course's database and the small
// databases the tests use.
namespace coursedb {

struct Table {
    QString name;
    QStringList fields;
    QList<QStringList> rows;  // texts; an empty text in an integer field stores null
};

// The fields of the question banks and of the user register.
QStringList QuestionBankFields();
QStringList UserRegisterFields();

// Parses RFC 4180 CSV (UTF-8 text, quoted fields with doubled quotes, CRLF or LF). The first
// record is the header. Throws platform::Failure naming the line of a malformed record.
Table ParseCsv(const QString& tableName, const QString& text);
// Reads a CSV file as a table named after the file (without its extension).
Table ReadCsvFile(const QString& path);

// Writes a new SQLite database holding the tables. The file is written beside the target and
// renamed into place only when complete, so a failure leaves no half-written database; an
// existing target is replaced only when `replace` is set.
void WriteDatabase(const QString& path, const QList<Table>& tables, bool replace = false);

}  // namespace coursedb
