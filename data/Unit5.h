#pragma once

#include <QList>
#include <QObject>

#include "content/rules/ContentRules.h"
#include "data/cursor/TestResults.h"

class Connection;
class DataSet;
class DataSource;
class StatusBar;

// The non-visual holder of the course database: the connection, the question bank (ADOTable1),
// the user register (ADOTable2) and the sources the data-aware controls are bound to.
class TDataModule5 : public QObject {
    Q_OBJECT

public:
    TDataModule5();
    ~TDataModule5() override;

    DataSource* DataSource1;  // question bank, for the testing window
    DataSource* DataSource2;  // user register, for the register window and every read of user/glava
    DataSet* ADOTable1;       // question bank: "test" or "test_kz"
    DataSet* ADOTable2;       // user register "user1"; its current row is the current user record
    Connection* ADOConnection1;

    // Opens the course database under Form1's content root with the language's question bank,
    // then the user register. A step that fails throws and the later steps do not run.
    void OpenCourseDatabase(Language language);
    // Writes the current user's name and chapter into panels 2 and 4 of a main window's status bar.
    void ShowCurrentUser(StatusBar* statusBar);
    // Writes the chapter into the current user record and stores it at once.
    void RecordChapter(const QString& chapter);
    // The current user's name, as the test results head it.
    QString CurrentUserName() const;
    // The current user's chapter, where the student goes back to with Ctrl+Enter.
    QString CurrentChapter() const;

    // A finished test, kept for the teacher when the course database has the table "results" (as
    // found when it opened): stored together with any earlier result not stored yet. A store the
    // database refuses throws, in words for the student, and the results wait for the next store.
    void RecordTestResult(const TestResult& result);

    // At exit: a register row the user changed and did not store yet is stored, not lost; so are
    // test results, and one that still cannot be stored is written to standard error, one line each.
    void StorePendingChanges();

private:
    void StoreTestResults();

    bool resultsKept_ = false;
    QList<TestResult> unstoredResults_;
};

// Where the course database lies under a content root.
QString CourseDatabasePath(const QString& contentRoot);
// The course database the program opens: the PostgreSQL database that the environment variable
// TEXTBOOK_DATABASE names when it is set (a lab's shared database), else the file under the content
// root. A variable that holds anything but a PostgreSQL address is a failure.
QString CourseDatabaseAddress(const QString& contentRoot);
// Takes TEXTBOOK_DATABASE out of the environment, for CourseDatabaseAddress to use from then on. The
// address may hold a password, and every program the textbook starts (the browser engine's
// processes, the video player, the mail program) inherits the environment: main calls this first.
void TakeCourseDatabaseVariable();
