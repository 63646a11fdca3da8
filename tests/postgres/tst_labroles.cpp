// A lab's two roles, set up with the SQL the README gives, run as it stands there: the owner pushes
// the course; the textbooks' role opens it in the textbook, records chapters, registers and deletes
// users, stores finished tests, and can change nothing else (nor read the results), also after the
// owner pushed the course again with --force.
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QtTest>

#include "app/Unit1.h"
#include "content/Unit2.h"
#include "controls/StatusBar.h"
#include "data/Unit5.h"
#include "data/cursor/Connection.h"
#include "data/cursor/DataSet.h"
#include "tests/common/Fixture.h"
#include "tests/common/WindowSetGuard.h"
#include "tests/testing/TestRun.h"
#include "tools/coursedb/ContentCheck.h"
#include "tools/coursedb/CourseDb.h"
#include "tools/coursedb/CourseFile.h"
#include "tools/coursedb/ServerPush.h"

namespace {

// The statements of the README's SQL blocks, in order, each block a list; comments left out.
QList<QStringList> ReadmeSql() {
    QFile readme(QStringLiteral(TEXTBOOK_SOURCE_DIR "/README.md"));
    if (!readme.open(QIODevice::ReadOnly)) qFatal("cannot read README.md");
    QList<QStringList> blocks;
    QString text;
    bool inBlock = false;
    for (const QString& line : QString::fromUtf8(readme.readAll()).split(u'\n')) {
        if (!inBlock && line == u"```sql") {
            inBlock = true;
            text.clear();
        } else if (inBlock && line == u"```") {
            inBlock = false;
            QStringList statements;
            for (const QString& statement : text.split(u';', Qt::SkipEmptyParts))
                if (!statement.trimmed().isEmpty()) statements << statement.trimmed();
            blocks << statements;
        } else if (inBlock && !line.trimmed().startsWith(QStringLiteral("--"))) {
            text += line + u'\n';
        }
    }
    return blocks;
}

// The README's roles and database, under names of this test's own on the test run's server (roles
// belong to the whole server); dropped at the end.
class Lab {
public:
    Lab() {
        const QString id = QUuid::createUuid().toString(QUuid::Id128).left(12);
        owner_ = QStringLiteral("course_owner_") + id;
        textbook_ = QStringLiteral("textbook_") + id;
        database_ = QStringLiteral("course_") + id;
        // What createuser and createdb do.
        superuser(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD 'owner-pw'").arg(owner_));
        superuser(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD 'textbook-pw'").arg(textbook_));
        superuser(QStringLiteral("CREATE DATABASE %1 OWNER %2").arg(database_, owner_));
    }
    ~Lab() {
        fixture::DropServerDatabase(database_);
        superuser(QStringLiteral("DROP ROLE IF EXISTS %1, %2").arg(owner_, textbook_));
    }
    Lab(const Lab&) = delete;
    Lab& operator=(const Lab&) = delete;

    QString asSuperuser() const { return fixture::ServerAddress(database_); }
    QString asOwner() const { return fixture::ServerAddress(database_, owner_, QStringLiteral("owner-pw")); }
    QString asTextbook() const { return fixture::ServerAddress(database_, textbook_, QStringLiteral("textbook-pw")); }
    // A statement of the README with this lab's names.
    QString named(QString sql) const {
        return sql.replace(QRegularExpression(QStringLiteral("\\bcourse_owner\\b")), owner_)
            .replace(QRegularExpression(QStringLiteral("\\btextbook\\b")), textbook_)
            .replace(QRegularExpression(QStringLiteral("\\bcourse\\b")), database_);
    }
    void run(const QString& address, const QStringList& statements) const {
        for (const QString& sql : statements) fixture::QueryRows(address, named(sql));
    }
    // The course pushed by its owner, as coursedb push does.
    void push(const QList<coursedb::Table>& tables, bool replace) const {
        QTemporaryDir dir;
        coursedb::WriteDatabase(dir.filePath(QStringLiteral("test.db")), tables);
        coursedb::PushDatabase(dir.filePath(QStringLiteral("test.db")), asOwner(), replace);
    }
    // The set-up of the README: the database closed to others, the course pushed, the grants given.
    void setUp(const QList<coursedb::Table>& tables) const {
        const QList<QStringList> sql = ReadmeSql();
        QCOMPARE(sql.size(), 2);
        run(asSuperuser(), sql[0]);
        push(tables, false);
        run(asOwner(), sql[1]);
    }

private:
    static void superuser(const QString& sql) { fixture::QueryRows(fixture::TestServerAddress(), sql); }

    QString owner_, textbook_, database_;
};

QList<coursedb::Table> Course(int bankRows) {
    return {fixture::QuestionBank(QStringLiteral("test"), bankRows),
            fixture::QuestionBank(QStringLiteral("test_kz"), bankRows), fixture::StandardUsers()};
}

// The server's message refusing a statement run as a role, empty when it went through.
QString Refusal(const QString& address, const QString& sql) {
    Connection connection;
    connection.setConnectionString(address);
    connection.open();
    QSqlQuery query(connection.database());
    return query.exec(sql) ? QString() : databaseMessage(query.lastError());
}

// The textbook on a content root of its own, opened as the textbooks' role with Russian chosen.
struct Textbook {
    explicit Textbook(const QString& address) : variable(address), windows(root.path()) {
        Form1->show();
        Form1->SpeedButton1->click();
    }
    // TEXTBOOK_DATABASE naming the database while the textbook lives.
    struct Variable {
        explicit Variable(const QString& address) { qputenv("TEXTBOOK_DATABASE", address.toUtf8()); }
        ~Variable() { qunsetenv("TEXTBOOK_DATABASE"); }
        Variable(const Variable&) = delete;
        Variable& operator=(const Variable&) = delete;
    } variable;
    QTemporaryDir root;
    WindowSetGuard windows;
};

}  // namespace

class TestLabRoles : public QObject {
    Q_OBJECT

private slots:
    // The textbook as the textbooks' role: it opens the bank and the register, records a chapter,
    // registers a user and deletes one; a change of a question is refused and the bank stays.
    void textbookWorksWithItsRole() {
        const Lab lab;
        lab.setUp(Course(30));
        Textbook textbook(lab.asTextbook());
        QCOMPARE(textbook.windows.desktop.errors.size(), 0);
        QVERIFY(Form2->isVisible());
        QCOMPARE(Form2->StatusBar1->panelText(2), QStringLiteral("Айгерим"));

        DataModule5->RecordChapter(QStringLiteral("Литература"));
        DataSet& users = *DataModule5->ADOTable2;
        users.append();
        users.setFieldText(QStringLiteral("user"), QStringLiteral("Жаңа"));
        users.post();
        QVERIFY(users.locate(QStringLiteral("user"), QStringLiteral("Борис")));
        users.remove();
        QCOMPARE(fixture::QueryRows(lab.asSuperuser(), "SELECT \"user\", glava FROM user1 ORDER BY rowid"),
                 QStringList({"Айгерим|Литература", "Сәуле|Введение", "Жаңа|<null>"}));

        const QStringList bank = fixture::QueryRows(lab.asSuperuser(), "SELECT * FROM test ORDER BY rowid");
        DataSet& questions = *DataModule5->ADOTable1;
        questions.edit();
        questions.setFieldText(QStringLiteral("tekst"), QStringLiteral("Подменённый вопрос"));
        try {
            questions.post();
            QFAIL("the textbooks' role changed a question");
        } catch (const platform::Failure& failure) {
            QVERIFY2(failure.message().contains("permission denied"), qPrintable(failure.message()));
        }
        questions.cancel();
        QCOMPARE(fixture::QueryRows(lab.asSuperuser(), "SELECT * FROM test ORDER BY rowid"), bank);

        // A finished test is stored, as the role may add to the results; it is Айгерим's again.
        QVERIFY(users.locate(QStringLiteral("user"), QStringLiteral("Айгерим")));
        testrun::TakeTest(textbook.windows.desktop, Language::Russian, 3, QStringLiteral("cdeab"));
        QCOMPARE(textbook.windows.desktop.errors.size(), 0);
        QCOMPARE(fixture::QueryRows(lab.asSuperuser(), "SELECT student, first_question, answers, score FROM results"),
                 QStringList{"Айгерим|3|cdeab---------------|5"});
        // coursedb check as the role finds nothing wrong with the results.
        QTemporaryDir root;
        for (const coursedb::Problem& problem : coursedb::CheckContentRoot(root.path(), lab.asTextbook()))
            QVERIFY2(!problem.where.contains("results"), qPrintable(problem.what));
    }

    // Without the README's grant on the results, coursedb check says what the role may not do.
    void checkFindsTheMissingGrant() {
        const Lab lab;
        lab.setUp(Course(5));
        lab.run(lab.asOwner(), {QStringLiteral("REVOKE INSERT ON results FROM textbook")});
        QTemporaryDir root;
        QStringList said;
        for (const coursedb::Problem& problem : coursedb::CheckContentRoot(root.path(), lab.asTextbook()))
            if (problem.where.contains("table results")) said << problem.what + " / " + problem.fix;
        QCOMPARE(said.size(), 1);
        QVERIFY2(said[0].contains("may not add rows") && said[0].contains("GRANT INSERT ON results TO"),
                 qPrintable(said[0]));
    }

    // Whatever else the role tries is refused, and nothing changes.
    void nothingElseIsAllowed_data() {
        QTest::addColumn<QString>("sql");
        QTest::newRow("change a question") << "UPDATE test SET otvet = 'a'";
        QTest::newRow("add a question") << "INSERT INTO test_kz (num) VALUES (401)";
        QTest::newRow("delete the questions") << "DELETE FROM test_kz";
        QTest::newRow("empty the register at once") << "TRUNCATE user1";
        QTest::newRow("drop the register") << "DROP TABLE user1";
        QTest::newRow("change the register's fields") << "ALTER TABLE user1 ADD COLUMN note text";
        QTest::newRow("make a table") << "CREATE TABLE notes (note text)";
        QTest::newRow("make a temporary table") << "CREATE TEMP TABLE notes (note text)";
        QTest::newRow("read the results") << "SELECT * FROM results";
        QTest::newRow("count the results") << "SELECT count(*) FROM results";
        QTest::newRow("change a result") << "UPDATE results SET score = 20";
        QTest::newRow("delete the results") << "DELETE FROM results";
        QTest::newRow("add a result and read it back") << "INSERT INTO results (student) VALUES ('x') RETURNING *";
    }
    void nothingElseIsAllowed() {
        QFETCH(QString, sql);
        const Lab lab;
        lab.setUp(Course(5));
        // A result there, for the role to try to read, change or delete.
        fixture::QueryRows(lab.asSuperuser(), "INSERT INTO results (student, score) VALUES ('Айгерим', 7)");
        auto everything = [&] {
            return fixture::QueryRows(lab.asSuperuser(), "SELECT * FROM results") +
                   fixture::QueryRows(lab.asSuperuser(), "SELECT * FROM test") +
                   fixture::QueryRows(lab.asSuperuser(), "SELECT * FROM test_kz") +
                   fixture::QueryRows(lab.asSuperuser(), "SELECT * FROM user1") +
                   fixture::QueryRows(lab.asSuperuser(),
                                      "SELECT table_name, column_name FROM "
                                      "information_schema.columns WHERE table_schema = 'public'") +
                   fixture::QueryRows(lab.asSuperuser(), "SELECT relacl::text FROM pg_class WHERE relname = 'test'");
        };
        const QStringList before = everything();
        const QString refusal = Refusal(lab.asTextbook(), sql);
        QVERIFY2(refusal.contains("permission denied") || refusal.contains("must be owner"),
                 qPrintable(refusal.isEmpty() ? QStringLiteral("it went through") : refusal));
        QCOMPARE(everything(), before);
    }

    // The owner pushes the course again with --force: the new tables keep the grants, and the
    // textbooks read the new bank and store as before.
    void forcedPushKeepsTheGrants() {
        const Lab lab;
        lab.setUp(Course(30));
        lab.push(Course(40), true);
        const Textbook textbook(lab.asTextbook());
        QCOMPARE(textbook.windows.desktop.errors.size(), 0);
        QCOMPARE(DataModule5->ADOTable1->recordCount(), 40);
        DataModule5->RecordChapter(QStringLiteral("2 Неделя"));
        QCOMPARE(fixture::QueryRows(lab.asSuperuser(), "SELECT glava FROM user1 ORDER BY rowid LIMIT 1"),
                 QStringList{"2 Неделя"});
        QVERIFY(!Refusal(lab.asTextbook(), "DELETE FROM test").isEmpty());
        // The results table stayed, with its grant: the role adds a row, numbered by its identity
        // column without a grant on the column's sequence.
        QCOMPARE(Refusal(lab.asTextbook(), "INSERT INTO results (student, score) VALUES ('Борис', 3)"), QString());
        QCOMPARE(fixture::QueryRows(lab.asSuperuser(), "SELECT rowid, student, score FROM results"),
                 QStringList{"1|Борис|3"});
    }
};

QTEST_MAIN(TestLabRoles)
#include "tst_labroles.moc"
