#pragma once

// Six finished tests with known answers, for what coursedb says about them. Both banks have 400
// questions; the right answer of question n is "abcde"[(n - 1) % 5]. The figures the tests expect
// are worked out by hand below, in the time zone the tests run coursedb in: UTC+5 (Asia/Tashkent,
// no summer time).
//
//   row  student   language  finished (UTC)        local (UTC+5)     first  answers                score
//   R1   Айгерим   rus       2025-03-03T04:00:00Z  2025-03-03 09:00   6    abcdeabcdeabcdeabcde     20
//   R2   Айгерим   rus       2025-03-04T20:30:00Z  2025-03-05 01:30   6    accdeabcdeabcdeabcd-     18
//   R3   Борис     rus       2025-03-05T06:15:00Z  2025-03-05 11:15   1    e-----c-------------      0
//   R4   Ерлан…    kaz       2025-03-01T10:00:00Z  2025-03-01 15:00   6    abcdeabcdeabcdeabcde     20
//   R5   Ерлан…    kaz       2025-03-05T18:59:00Z  2025-03-05 23:59  10    a-------------------      0
//   R6   Борис     kaz       2025-03-05T19:00:00Z  2025-03-06 00:00 379    deabcdeabcdeabcdeabc     20
//
// Newest first: R6, R5, R3, R2, R1, R4.
// Per student (last = the newest attempt): Айгерим 2 attempts, last 18, best 20, 2025-03-05 01:30;
// Борис 2, last 20, best 20, 2025-03-06 00:00; Ерлан… 2, last 0, best 20, 2025-03-05 23:59.
// Scores: 0 twice, 18 once, 20 three times.
// Russian bank: asked q6–q25 (R1, R2) and q1–q20 (R3). Wrong: q7 (R2 gave c, R3 gave c; right b)
// twice, q1 (R3 gave e; right a) once. q7 asked 3 times, unanswered never; q1 asked once.
// Kazakh bank: q10 (R5 gave a; right e) wrong once, asked twice (R4 q6–q25, R5 q10–q29).
// Tests per local day: 03-01 1, 03-02 0, 03-03 1, 03-04 0, 03-05 3 (R2, R3, R5), 03-06 1.
#include <QString>
#include <QStringList>

#include "tests/common/Fixture.h"

namespace resultsfixture {

// The third student's name: quotes, markup and Kazakh letters, all of which must arrive as text.
inline QString Erlan() { return QStringLiteral("Ерлан O'Brien <b>\"Жан\"</b> & Қ"); }

inline coursedb::Table Results() {
    coursedb::Table results = coursedb::ResultsTable();
    results.rows = {
        {"Айгерим", "rus", "2025-03-03T04:00:00Z", "lab-1", "6", "abcdeabcdeabcdeabcde", "20", "600"},
        {"Айгерим", "rus", "2025-03-04T20:30:00Z", "lab-2", "6", "accdeabcdeabcdeabcd-", "18", "540"},
        {"Борис", "rus", "2025-03-05T06:15:00Z", "lab-3", "1", "e-----c-------------", "0", "95"},
        {Erlan(), "kaz", "2025-03-01T10:00:00Z", "lab-1", "6", "abcdeabcdeabcdeabcde", "20", "1200"},
        {Erlan(), "kaz", "2025-03-05T18:59:00Z", "lab-2", "10", "a-------------------", "0", "30"},
        {"Борис", "kaz", "2025-03-05T19:00:00Z", "lab-3", "379", "deabcdeabcdeabcdeabc", "20", "700"},
    };
    return results;
}

inline QList<coursedb::Table> Course() {
    return {fixture::QuestionBank(QStringLiteral("test"), 400), fixture::QuestionBank(QStringLiteral("test_kz"), 400),
            fixture::StandardUsers(), Results()};
}

// coursedb reads the time zone from the environment it inherits.
inline void UseTimeZoneOfTheFixture() { qputenv("TZ", "Asia/Tashkent"); }

}  // namespace resultsfixture
