#pragma once

#include <QList>
#include <QString>

namespace coursedb {

struct Problem {
    QString where;  // a path under the content root or the database, with the table or row where it helps
    QString what;   // what is wrong, naming who needs it
    QString fix;    // how to put it right
};

// The question banks must hold at least this many questions: a test shows 20 consecutive ones
// from a window starting at 1 to 379 and then the row after the window.
constexpr int kMinimumBankRows = 399;

// Checks a content root the way the textbook uses it: every page, section and video that the
// chapter trees and week menus of both languages open, and the course database with both
// question banks and the user register. Returns every problem found, pages first, then videos,
// then the database.
//
// The course database is root/Base/test.db unless `database` names another: a file, or the
// address of a lab's PostgreSQL database, whose tables must also carry the column "rowid". Its
// problems then name that file, or the address without its password, and their fixes say what to
// do there.
// `notes`, when given, gets what is worth knowing but no problem: a course database without the table
// of test results (the textbooks then keep none).
QList<Problem> CheckContentRoot(const QString& root, const QString& database = QString(),
                                QList<Problem>* notes = nullptr);

}  // namespace coursedb
