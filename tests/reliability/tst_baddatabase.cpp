// A course database in a bad state, met through the language choice and a whole test: each is an
// error box or a sound result, never a crash, and the user register is never harmed.
#include <QRandomGenerator>
#include <QtTest>

#include "../testing/TestRun.h"
#include "Fixture.h"
#include "Unit2.h"
#include "WindowSetGuard.h"

using fixture::CourseRoot;
using namespace testrun;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

}  // namespace

class TestBadDatabase : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { AllowBrowserAsRoot(); }

    // The file is not a usable database: the choice is an error box, the language window stays,
    // and the file is left exactly as it was.
    void unusableFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("zero-byte file") << "empty";
        QTest::newRow("random bytes") << "random";
        QTest::newRow("truncated copy") << "truncated";
        QTest::newRow("directory in its place") << "directory";
    }
    void unusableFile() {
        QFETCH(QString, kind);
        CourseRoot root(400);
        const QString db = root.databasePath();
        const QByteArray real = readAll(db);
        QVERIFY(QFile::remove(db));
        if (kind == u"directory") {
            QVERIFY(QDir().mkdir(db));
        } else {
            QByteArray bytes;
            if (kind == u"random") {
                QRandomGenerator random(77);
                for (int i = 0; i < 16384; ++i) bytes += char(random.bounded(256));
            } else if (kind == u"truncated") {
                bytes = real.left(real.size() / 3);
            }
            QVERIFY(writeAll(db, bytes));
        }
        const QByteArray before = readAll(db);

        WindowSetGuard windows(root.path());
        Form1->show();
        Form1->SpeedButton1->click();
        QCOMPARE(windows.desktop.errors.size(), 1);
        QCOMPARE(windows.desktop.errors[0].caption, QStringLiteral("Электронный учебник"));
        // An empty file is an empty database to SQLite: its error names the missing table instead.
        const QString names = kind == u"empty" ? QStringLiteral("no such table: test") : db;
        QVERIFY2(windows.desktop.errors[0].text.contains(names), qPrintable(windows.desktop.errors[0].text));
        QVERIFY(Form1->isVisible());
        QVERIFY(!Form2->isVisible());
        QCOMPARE(QFileInfo(db).isDir(), kind == u"directory");
        QCOMPARE(readAll(db), before);
    }

    // A question bank with odd contents: a whole test is taken and finished; it ends in the results
    // window or in an error box, and the register stays as it was.
    void oddQuestionBank_data() {
        QTest::addColumn<QString>("sql");
        QTest::newRow("num with gaps") << "UPDATE test SET num = num * 3";
        QTest::newRow("num duplicated") << "UPDATE test SET num = 1 WHERE num <= 10";
        QTest::newRow("num of another type") << "UPDATE test SET num = 'x' || num";
        QTest::newRow("fewer rows than a test") << "DELETE FROM test WHERE num > 12";
        QTest::newRow("no rows") << "DELETE FROM test";
        QTest::newRow("null texts") << "UPDATE test SET tekst = NULL, a = NULL, b = NULL, c = NULL, d = NULL, e = NULL";
        QTest::newRow("otvet null") << "UPDATE test SET otvet = NULL";
        QTest::newRow("otvet uppercase") << "UPDATE test SET otvet = upper(otvet)";
        QTest::newRow("otvet longer than a letter") << "UPDATE test SET otvet = otvet || 'bc'";
        QTest::newRow("otvet outside a to e") << "UPDATE test SET otvet = 'z'";
        QTest::newRow("otvet a number") << "UPDATE test SET otvet = 7";
    }
    void oddQuestionBank() {
        QFETCH(QString, sql);
        CourseRoot root(40);
        root.exec(sql);
        const QStringList users = root.rows(QStringLiteral("user1"));
        WindowSetGuard windows(root.path());
        FixedWindowStart fixed(1);
        ChooseLanguage(Language::Russian);
        QVERIFY(windows.desktop.errors.isEmpty());
        StartTest(Language::Russian);
        AnswerPattern(QStringLiteral("abcdeabcdeabcdeabcde"));
        Finish();
        QVERIFY2(Form7->isVisible() != !windows.desktop.errors.isEmpty(),
                 "the test ended neither in the results window nor in an error box");
        if (Form7->isVisible()) QVERIFY(!Form7->Memo1->toPlainText().isEmpty());
        QCOMPARE(root.rows(QStringLiteral("user1")), users);
    }
};

QTEST_MAIN(TestBadDatabase)
#include "tst_baddatabase.moc"
