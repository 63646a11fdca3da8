#pragma once

#include <QList>
#include <QString>

namespace coursedb {

struct Problem {
    QString where;  // a path under the content root, with the table or row where it helps
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
QList<Problem> CheckContentRoot(const QString& root);

}  // namespace coursedb
