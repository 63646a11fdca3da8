#pragma once

#include <QList>
#include <QString>
#include <QVariantList>

class Connection;

// A finished test as the course database keeps it for the teacher: one row of the table "results".
// The same fields on SQLite and on a lab's server (where the table also has the identity column
// "rowid" that every course table has there).
struct TestResult {
    QString student;        // the user's name as the register holds it
    QString language;       // "rus" or "kaz"
    QString finished;       // when the student finished, UTC, ISO 8601: "2024-05-17T09:30:00Z"
    QString host;           // the machine's host name
    int firstQuestion = 0;  // bank number of the test's first question; position p is question first + p - 1
    QString answers;        // one character per position 1..20: the letter given, kNoAnswer for none
    int score = 0;          // as the results window showed it
    int seconds = 0;        // from the test window's showing to the finish

    bool operator==(const TestResult&) const = default;
};

// The mark in TestResult::answers for a question left unanswered.
constexpr char16_t kNoAnswer = u'-';

// The table's name and its columns, in their order, with whether each holds whole numbers.
QString ResultsTableName();
struct ResultsColumn {
    QString name;
    bool integer;
};
const QList<ResultsColumn>& ResultsColumns();
// A result's values in the columns' order, and back.
QVariantList ResultValues(const TestResult& result);
TestResult ResultFromValues(const QVariantList& values);

// Whether the course database has the table (in any letter case). Asked once, when the database
// opens: a database without it keeps no results, and says nothing about it.
bool ResultsTableExists(Connection& connection);
// Stores one result: one autocommit INSERT with bound values, read to its end, so that a commit the
// database refused (a lock held past the wait, a read-only file, a full disk, a server gone) throws.
// A server connection lost since the last statement is made afresh first; the INSERT itself is
// never sent twice.
void StoreTestResult(Connection& connection, const TestResult& result);

// A result as one line of JSON, its keys the columns' names, with why it was not stored.
QString ResultJsonLine(const TestResult& result, const QString& why);
