#pragma once

// What the tests of coursedb check share: a content root the textbook can use whole, with its
// course database in Base/test.db or on the test server, and the ways its database is broken one
// at a time, which the check must report on either.
#include <QDir>
#include <QList>
#include <QString>
#include <QStringList>

#include "RunCoursedb.h"
#include "content/rules/ContentRules.h"
#include "content/rules/CourseOutline.h"
#include "tests/common/Fixture.h"

// Every page the chapter trees and week menus name, each with sections a1 to a3, the five videos,
// and two banks of 400 questions with the register.
class GoodRoot {
public:
    // `anchor` writes the mark of section n, e.g. id="a2".
    explicit GoodRoot(const QString& anchor = QStringLiteral("<h2 id=\"a%1\">Section %1</h2>"),
                      fixture::Backend backend = fixture::Backend::SQLite)
        : root_(400, backend) {
        for (const Language language : {Language::Russian, Language::Kazakh}) {
            QStringList pages;
            for (const ChapterEntry& entry : ChapterTree(language)) pages << entry.label;
            for (const MenuEntry& entry : WeekMenu(language))
                if (entry.tag == kPageTag) pages << entry.caption;
            for (const QString& page : pages) {
                QString html = QStringLiteral("<html><body><h1>%1</h1>\n").arg(page);
                for (int n = 1; n <= 3; ++n) html += anchor.arg(n) + QStringLiteral("\n<p>Text.</p>\n");
                WriteFileBytes(PageAddress(path(), language, page),
                               (html + QStringLiteral("</body></html>\n")).toUtf8());
            }
        }
        for (int n = 1; n <= 5; ++n) WriteFileBytes(QDir::cleanPath(VideoPath(path(), n)), "RIFF....AVI ");
    }
    QString path() const { return root_.path(); }
    const fixture::CourseRoot& database() const { return root_; }

private:
    fixture::CourseRoot root_;
};

inline int FixCount(const QString& out) { return int(out.count(QStringLiteral("\n    Fix: "))); }

// The fix the check printed for the one problem it found.
inline QString OnlyFix(const QString& out) {
    const qsizetype start = out.indexOf(QStringLiteral("\n    Fix: "));
    if (start < 0) return QString();
    return out.mid(start + 10).section(u'\n', 0, 0);
}

// A course database broken one way, by a statement that means the same on SQLite and PostgreSQL.
struct DatabaseCase {
    const char* name;
    QString sql;
    QStringList named;    // what the report names, after the database's own name
    QString fixOnServer;  // what the fix says when the database is on a server
};

inline QList<DatabaseCase> BrokenDatabases() {
    return {
        {"bank with a gap in num",
         "DELETE FROM test WHERE num = 57",
         {"table test, row 57", "num 58"},
         "coursedb push --force test.db"},
        {"bank out of order",
         "UPDATE test_kz SET num = CASE num WHEN 3 THEN 4 ELSE 3 END WHERE num IN (3, 4)",
         {"table test_kz, row 3", "num 4"},
         "coursedb push --force test_kz.db"},
        {"bank with an empty num",
         "UPDATE test SET num = NULL WHERE num = 9",
         {"table test, row 9", "empty num"},
         "coursedb push --force test.db"},
        {"otvet upper case",
         "UPDATE test_kz SET otvet = 'A' WHERE num = 5",
         {"table test_kz", "otvet", "row 5 (\"A\")"},
         "lower-case Latin"},
        {"otvet Cyrillic",
         "UPDATE test SET otvet = 'а' WHERE num = 7",
         {"table test", "otvet", "row 7 (\"а\")"},
         "lower-case Latin"},
        {"bank too short",
         "DELETE FROM test WHERE num > 398",
         {"table test", "398 questions", "399"},
         "add questions numbered 399 to 399"},
        {"bank missing", "DROP TABLE test_kz", {"table test_kz: missing"}, "coursedb push test_kz.db"},
        {"bank field missing",
         "ALTER TABLE test DROP COLUMN tekst",
         {"table test", "no field tekst"},
         "coursedb push --force test.db"},
        {"register field missing",
         "ALTER TABLE user1 DROP COLUMN glava",
         {"table user1", "no field glava"},
         "coursedb push --force user1.db"},
    };
}
