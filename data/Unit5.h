#pragma once

#include <QObject>

#include "content/rules/ContentRules.h"

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

    // At exit: a register row the user changed and did not store yet is stored, not lost.
    void StorePendingChanges();
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
