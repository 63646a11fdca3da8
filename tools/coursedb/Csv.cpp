#include "Csv.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>

#include "platform/failure/Failure.h"

using platform::Failure;

namespace coursedb {

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

}  // namespace coursedb
