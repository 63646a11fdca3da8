#pragma once

#include <QString>
#include <QTemporaryDir>

#include "CourseDb.h"

// A small content root in a temporary directory: Base/test.db made by the same code as the demo
// course's database, with a few rows in each table.
namespace fixture {

// A question bank of `rows` questions numbered 1..rows; question n has the right answer
// "abcde"[(n - 1) % 5] and texts that name its number ("Вопрос n", "n-a" ...).
coursedb::Table QuestionBank(const QString& name, int rows);
// A user register with the given (user, glava) rows.
coursedb::Table Users(const QList<QStringList>& rows);
// The standard register: three users, the first with a chapter.
coursedb::Table StandardUsers();

class CourseRoot {
public:
    // With both banks (`bankRows` questions each) and the standard register.
    explicit CourseRoot(int bankRows = 30);
    // With exactly these tables.
    explicit CourseRoot(const QList<coursedb::Table>& tables);

    QString path() const { return dir_.path(); }
    QString databasePath() const { return dir_.path() + QStringLiteral("/Base/test.db"); }
    // Runs one statement on the database directly, as another program would.
    void exec(const QString& sql) const;
    // The rows of a table as the file holds them now, fields joined with "|".
    QStringList rows(const QString& table, const QString& fields = QStringLiteral("user, glava")) const;

private:
    QTemporaryDir dir_;
};

}  // namespace fixture
