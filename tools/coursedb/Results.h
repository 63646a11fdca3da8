#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>

#include "CourseDb.h"
#include "data/cursor/TestResults.h"

// The finished tests a course database keeps for the teacher: read, listed, and made into a report.
namespace coursedb {

// Which results to read; an empty field takes all.
struct ResultsFilter {
    QString user;      // exactly as the register held it
    QDate since;       // from the start of that day, in this machine's time zone
    QString language;  // "rus" or "kaz"
};

// The results of a course database (a file or a server address), newest first. A database without
// the table is a failure that says how to add it.
QList<TestResult> ReadResults(const QString& database, const ResultsFilter& filter);

// When a result finished, in this machine's time zone.
QDateTime FinishedLocal(const TestResult& result);

// The results as lines for the terminal: a head line, then one line a test (when, language, score,
// who), as they come.
QString ResultsListing(const QList<TestResult>& results);
// The results as a table for a spreadsheet: the listing's fields, the host, the first question, the
// duration, and the answer at each of the 20 positions (empty for none).
Table ResultsSheet(const QList<TestResult>& results);

// What the report is made of besides the results.
struct ReportSource {
    QString database;            // as the report names it: a path, or an address without password
    ResultsFilter filter;        // the filter the results were read with
    QMap<QString, Table> banks;  // by language ("rus", "kaz"): the question bank as it is now
    bool kazakh = false;         // Kazakh headings instead of Russian
    QDateTime made;              // when the report was made
};

// One self-contained HTML page over the results: per student, the distribution of scores, the
// questions most often answered wrong (against the banks), tests per day. No script, nothing
// fetched; every value from the database is escaped.
QString ResultsReport(const QList<TestResult>& results, const ReportSource& source);

}  // namespace coursedb
