// Opening the course database at the language choice, the current user's display and the
// chapter record.
#include <QtTest>

#include "DataSet.h"
#include "Fixture.h"
#include "StatusBar.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit5.h"
#include "Unit8.h"
#include "WindowSetGuard.h"

using fixture::CourseRoot;

namespace {
QStringList panels(TMainForm* window) {
    return {window->StatusBar1->panelText(2), window->StatusBar1->panelText(4)};
}
}  // namespace

class TestDataModule : public QObject {
    Q_OBJECT

private slots:
    void russianChoiceWritesForm2Only() {
        CourseRoot root;
        WindowSetGuard windows(root.path());
        Form1->show();
        Form1->SpeedButton1->click();
        QVERIFY(windows.desktop.errors.isEmpty());
        QCOMPARE(DataModule5->ADOTable1->tableName(), QStringLiteral("test"));
        QCOMPARE(panels(Form2), (QStringList{"Айгерим", "1 Неделя"}));
        QCOMPARE(panels(Form8), (QStringList{"", ""}));
        QVERIFY(Form2->isVisible());
        QVERIFY(!Form1->isVisible());
    }

    void kazakhChoiceWritesForm8Only() {
        CourseRoot root;
        WindowSetGuard windows(root.path());
        Form1->show();
        Form1->SpeedButton2->click();
        QVERIFY(windows.desktop.errors.isEmpty());
        QCOMPARE(DataModule5->ADOTable1->tableName(), QStringLiteral("test_kz"));
        QCOMPARE(panels(Form8), (QStringList{"Айгерим", "1 Неделя"}));
        QCOMPARE(panels(Form2), (QStringList{"", ""}));
        QVERIFY(Form8->isVisible() && !Form2->isVisible() && !Form1->isVisible());
    }

    // A failed choice: one error box naming the cause, the language window stays, nothing shown,
    // and once the cause is removed the next press succeeds.
    void failedChoiceThenRetry_data() {
        QTest::addColumn<QString>("breakSql");  // "missing", "notadb" or a statement
        QTest::addColumn<QString>("mendSql");
        QTest::addColumn<QString>("message");
        QTest::newRow("database file missing") << "missing" << "" << "the file does not exist";
        QTest::newRow("not a database") << "notadb" << "" << "file is not a database";
        QTest::newRow("question bank missing") << "DROP TABLE test"
                                               << "CREATE TABLE test (num INTEGER, tekst TEXT, a TEXT, b TEXT, c TEXT, d "
                                                  "TEXT, e TEXT, otvet TEXT)"
                                               << "no such table: test";
        QTest::newRow("register missing") << "DROP TABLE user1" << "CREATE TABLE user1 (user TEXT, glava TEXT)"
                                          << "no such table: user1";
    }
    void failedChoiceThenRetry() {
        QFETCH(QString, breakSql);
        QFETCH(QString, mendSql);
        QFETCH(QString, message);
        CourseRoot root;
        const QString db = root.databasePath();
        const QString saved = db + QStringLiteral(".saved");
        if (breakSql == u"missing" || breakSql == u"notadb") {
            QVERIFY(QFile::rename(db, saved));
            if (breakSql == u"notadb") {
                QFile junk(db);
                QVERIFY(junk.open(QIODevice::WriteOnly));
                junk.write(QByteArray(4096, 'x'));
            }
        } else {
            root.exec(breakSql);
        }
        WindowSetGuard windows(root.path());
        Form1->show();
        Form1->SpeedButton1->click();
        QCOMPARE(windows.desktop.errors.size(), 1);
        QCOMPARE(windows.desktop.errors[0].caption, QStringLiteral("Электронный учебник"));
        QVERIFY2(windows.desktop.errors[0].text.contains(message), qPrintable(windows.desktop.errors[0].text));
        QVERIFY(Form1->isVisible());
        QVERIFY(!Form2->isVisible());
        QCOMPARE(panels(Form2), (QStringList{"", ""}));
        if (breakSql == u"missing") QVERIFY2(!QFile::exists(db), "a missing database was created");

        if (breakSql == u"missing" || breakSql == u"notadb") {
            QFile::remove(db);
            QVERIFY(QFile::rename(saved, db));
        } else {
            root.exec(mendSql);
            if (mendSql.contains(u"user1")) root.exec(QStringLiteral("INSERT INTO user1 VALUES ('Дана', 'Введение')"));
        }
        Form1->SpeedButton1->click();
        QCOMPARE(windows.desktop.errors.size(), 1);
        QVERIFY(Form2->isVisible());
        QVERIFY(!Form1->isVisible());
    }

    // With the bank open and the register missing, the other language is refused at the table name.
    void otherLanguageRefusedOnceTheBankIsOpen() {
        CourseRoot root;
        root.exec(QStringLiteral("DROP TABLE user1"));
        WindowSetGuard windows(root.path());
        Form1->show();
        Form1->SpeedButton1->click();
        QCOMPARE(windows.desktop.errors.size(), 1);
        QVERIFY(DataModule5->ADOTable1->isActive());
        QVERIFY(!DataModule5->ADOTable2->isActive());
        Form1->SpeedButton2->click();
        QCOMPARE(windows.desktop.errors.size(), 2);
        QCOMPARE(windows.desktop.errors[1].text, QStringLiteral("Cannot perform this operation on an open dataset."));
        QCOMPARE(DataModule5->ADOTable1->tableName(), QStringLiteral("test"));
        QVERIFY(Form1->isVisible() && !Form8->isVisible());
    }

    void missingRegisterField_data() {
        QTest::addColumn<QString>("field");
        QTest::newRow("user") << "user";
        QTest::newRow("glava") << "glava";
    }
    void missingRegisterField() {
        QFETCH(QString, field);
        const QString kept = field == u"user" ? QStringLiteral("glava") : QStringLiteral("user");
        CourseRoot root({fixture::QuestionBank(QStringLiteral("test"), 3),
                         coursedb::Table{QStringLiteral("user1"), {kept}, {{QStringLiteral("x")}}}});
        WindowSetGuard windows(root.path());
        Form1->show();
        for (int press = 1; press <= 2; ++press) {
            Form1->SpeedButton1->click();
            QCOMPARE(windows.desktop.errors.size(), press);
            QCOMPARE(windows.desktop.errors.last().text, QStringLiteral("Field '%1' not found.").arg(field));
            QVERIFY(Form1->isVisible() && !Form2->isVisible());
        }
    }

    void emptyRegister() {
        CourseRoot root({fixture::QuestionBank(QStringLiteral("test"), 3), fixture::Users({})});
        WindowSetGuard windows(root.path());
        Form1->show();
        Form1->SpeedButton1->click();
        QVERIFY(windows.desktop.errors.isEmpty());
        QCOMPARE(panels(Form2), (QStringList{"", ""}));
        Form2->StatusBar1MouseMove();
        QCOMPARE(Form2->StatusBar1->toolTip(), QStringLiteral(" - "));

        DataModule5->RecordChapter(QStringLiteral("Введение"));
        DataModule5->ShowCurrentUser(Form2->StatusBar1);
        QCOMPARE(root.rows(QStringLiteral("user1")), QStringList{"<null>|Введение"});
        QCOMPARE(panels(Form2), (QStringList{"", "Введение"}));
    }

    void nullChapterShowsEmpty() {
        CourseRoot root;
        root.exec(QStringLiteral("UPDATE user1 SET glava = NULL"));
        WindowSetGuard windows(root.path());
        Form1->SpeedButton1->click();
        QCOMPARE(panels(Form2), (QStringList{"Айгерим", ""}));
        Form2->StatusBar1MouseMove();
        QCOMPARE(Form2->StatusBar1->toolTip(), QStringLiteral("Айгерим - "));
    }

    // The chapter record stores a pending name change of the same row together with the chapter.
    void recordChapterStoresThePendingRow() {
        CourseRoot root;
        WindowSetGuard windows(root.path());
        Form1->SpeedButton1->click();
        DataModule5->ADOTable2->edit();
        DataModule5->ADOTable2->setFieldText(QStringLiteral("user"), QStringLiteral("Айгерим Н."));
        DataModule5->RecordChapter(QStringLiteral("Лекция"));
        QCOMPARE(root.rows(QStringLiteral("user1")).first(), QStringLiteral("Айгерим Н.|Лекция"));
        QCOMPARE(DataModule5->ADOTable2->state(), DataSet::State::Browse);
    }

    // A long working directory with Cyrillic letters in it is the content root, whole.
    void longCyrillicContentRoot() {
        QTemporaryDir parent;
        const QString root = parent.path() + QStringLiteral("/Электронный учебник — курс основ алгоритмизации и программирования");
        QVERIFY(root.size() > 60);
        coursedb::WriteDatabase(root + QStringLiteral("/Base/test.db"),
                                {fixture::QuestionBank(QStringLiteral("test"), 3), fixture::StandardUsers()});
        WindowSetGuard windows(root);
        Form1->SpeedButton1->click();
        QVERIFY(windows.desktop.errors.isEmpty());
        QCOMPARE(Form1->ContentRoot, root);
        QCOMPARE(panels(Form2).first(), QStringLiteral("Айгерим"));
    }

    // A register row the user changed and did not store is stored when the program ends.
    void pendingChangeStoredAtExit() {
        CourseRoot root;
        {
            WindowSetGuard windows(root.path());
            Form1->SpeedButton1->click();
            DataModule5->ADOTable2->next();
            DataModule5->ADOTable2->edit();
            DataModule5->ADOTable2->setFieldText(QStringLiteral("user"), QStringLiteral("Борис К."));
        }
        QCOMPARE(root.rows(QStringLiteral("user1")).at(1), QStringLiteral("Борис К.|<null>"));
    }
};

QTEST_MAIN(TestDataModule)
#include "tst_datamodule.moc"
