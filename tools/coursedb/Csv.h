#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "CourseDb.h"

// Course tables as CSV files, as spreadsheets save them.
namespace coursedb {

// A value as a CSV cell, and back. A spreadsheet runs a cell that begins with '=', '+', '-' or '@' (a
// tab or a carriage return, for some) as a formula: such a value (a plain number aside) is written
// with an apostrophe before it, which spreadsheets show as text and do not run, and reading takes
// that one apostrophe off again. A value that itself begins with apostrophes before such a character
// gets one more, so that every value reads back as it was.
QString CsvCell(const QString& value);
QString CsvValue(const QString& cell);

// A CSV record and the line of the file it starts on. A blank record has nothing but commas, no
// quotes either: spreadsheets leave such lines; an empty row is written as "","".
struct CsvRecord {
    int line;
    QStringList fields;
    bool blank;
};

// Parses RFC 4180 CSV (UTF-8 text, quoted fields with doubled quotes, CRLF or LF; a leading byte
// order mark is skipped), each field read back with CsvValue. Throws platform::Failure naming `source` and the line of
// a malformed record.
QList<CsvRecord> ParseCsvRecords(const QString& source, const QString& text);
// As ParseCsvRecords; the first record is the header, blank records are skipped, and every other
// record must have the header's number of fields.
Table ParseCsv(const QString& tableName, const QString& text, const QString& source = QString());
// Reads a UTF-8 CSV file as a table named after the file (without its extension). Errors name
// the file and the line.
Table ReadCsvFile(const QString& path);
// Reads a UTF-8 CSV file to import it as table `tableName`. For a course table only the fields the
// textbook reads are kept, found without regard to letter case and written as the textbook names
// them; a missing one is an error naming it. Whole-number fields are checked; errors name the
// file and the line.
Table ReadCsvForImport(const QString& path, const QString& tableName);
// Decodes UTF-8, naming the file and the line of the first byte that is not UTF-8.
QString DecodeUtf8(const QString& source, const QByteArray& bytes);
// The table as CSV: a header row of the field names, then the rows, CRLF line ends, each field written
// with CsvCell and quoted where it holds a comma, quote or line break, and in a row of empty fields.
QByteArray WriteCsv(const Table& table);

}  // namespace coursedb
