// Finished tests kept for the teacher: each finish leaves exactly its row in the course database's
// table results, on a file and on a lab's server; a database without the table keeps nothing and
// says nothing; a store the database refuses (a lock another program holds, a read-only file) is one
// error box over the results, which stay, and the record is stored with the next finish or at exit,
// where one that still cannot be stored is one line on standard error.
#include <fcntl.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSysInfo>
#include <QUuid>
#include <QtTest>
#include <optional>

#include "TestRun.h"
#include "tests/common/ForwardingDesktop.h"
#include "tests/common/Immutable.h"
#include "tests/common/WindowSetGuard.h"

using namespace testrun;
using fixture::Backend;
using fixture::CourseRoot;

namespace {

const QString kBoxStart = QStringLiteral(
    "Результат теста не удалось сохранить в базе данных курса. Он не потерян: программа сохранит его после "
    "следующего теста или при выходе.");
const QString kExitLine = QStringLiteral("textbook: test result not stored: ");
const QString kFields = QStringLiteral("student, language, host, first_question, answers, score");

// Two banks of 400 questions (question n has the right answer "abcde"[(n - 1) % 5]), a register of
// one user, and the table of results when asked for.
QList<coursedb::Table> Tables(bool withResults, const QString& user) {
    QList<coursedb::Table> tables{fixture::QuestionBank(QStringLiteral("test"), 400),
                                  fixture::QuestionBank(QStringLiteral("test_kz"), 400),
                                  fixture::Users({{user, QString()}})};
    return withResults ? coursedb::WithResultsTable(tables) : tables;
}

// The desktop of the window set, noting whether the results window was on show when an error box came.
class WatchingDesktop final : public ForwardingDesktop {
public:
    using ForwardingDesktop::ForwardingDesktop;

    QList<bool> resultsShownAtBox;

    void showError(const QString& caption, const QString& text) override {
        resultsShownAtBox << (Form7 && Form7->isVisible());
        ForwardingDesktop::showError(caption, text);
    }
};

// A course, the window set on it and the language chosen. The window set ends with exit(), or at the end.
struct Course {
    Course(Backend backend, bool withResults, Language language, const QString& user = QStringLiteral("Айгерим"))
        : root(Tables(withResults, user), backend) {
        windows.emplace(root.path());
        ChooseLanguage(language);
    }
    platform::RecordingDesktop& desktop() { return windows->desktop; }
    QStringList results() const { return root.rows(QStringLiteral("results"), kFields); }
    // What the program does when it ends.
    void exit() { windows.reset(); }

    CourseRoot root;
    std::optional<WindowSetGuard> windows;
};

// Standard error, as this program writes it while the capture lives.
class StandardErrorCapture {
public:
    StandardErrorCapture() {
        std::fflush(stderr);
        saved_ = ::dup(STDERR_FILENO);
        QVERIFY(file_.open());
        ::dup2(file_.handle(), STDERR_FILENO);
    }
    ~StandardErrorCapture() { end(); }
    StandardErrorCapture(const StandardErrorCapture&) = delete;
    StandardErrorCapture& operator=(const StandardErrorCapture&) = delete;
    // The lines written, standard error restored.
    QStringList end() {
        if (saved_ >= 0) {
            std::fflush(stderr);
            ::dup2(saved_, STDERR_FILENO);
            ::close(saved_);
            saved_ = -1;
        }
        file_.seek(0);
        return QString::fromUtf8(file_.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

private:
    QTemporaryFile file_;
    int saved_ = -1;
};

// Another program holding the database file: a read transaction ("read lock"), a write transaction
// ("write lock"), or the file made read-only ("read-only file"), until ended.
class Refusal {
public:
    Refusal(const QString& kind, const QString& path) : name_(QUuid::createUuid().toString()) {
        if (kind == u"read-only file") {
            immutable_.emplace(path);
            ok_ = immutable_->ok();
            return;
        }
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(path);
        QSqlQuery query(db);
        ok_ = db.open() &&
              query.exec(kind == u"read lock" ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE")) &&
              query.exec(QStringLiteral("SELECT count(*) FROM user1")) && query.next();
    }
    ~Refusal() {
        end();
        QSqlDatabase::removeDatabase(name_);
    }
    Refusal(const Refusal&) = delete;
    Refusal& operator=(const Refusal&) = delete;
    bool ok() const { return ok_; }
    void end() {
        immutable_.reset();
        if (!QSqlDatabase::contains(name_)) return;
        QSqlDatabase db = QSqlDatabase::database(name_, false);
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        db.close();
    }

private:
    QString name_;
    std::optional<fixture::Immutable> immutable_;
    bool ok_ = false;
};

}  // namespace

class TestTestResults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { AllowBrowserAsRoot(); }

    // One finished test, one row: who, the language, this host, the first question, the answer at
    // each position ('-' for none), the score; when it finished, in UTC, and how long it took. The
    // right answer of question n is "abcde"[(n - 1) % 5]; "." passes a question with ">", a 21st
    // letter answers the row after the test, which is not part of it.
    void finishedTestLeavesItsRow_data() {
        QTest::addColumn<Backend>("backend");
        QTest::addColumn<Language>("language");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<int>("score");
        for (const Backend backend : {Backend::SQLite, Backend::PostgreSQL}) {
            const char* on = backend == Backend::SQLite ? "file" : "server";
            QTest::addRow("%s: all answered and right, Russian", on)
                << backend << Language::Russian << 6 << "abcdeabcdeabcdeabcde"
                << "Айгерим"
                << "abcdeabcdeabcdeabcde" << 20;
            QTest::addRow("%s: none answered, Kazakh", on) << backend << Language::Kazakh << 6 << ""
                                                           << "Борис"
                                                           << "--------------------" << 0;
            QTest::addRow("%s: some wrong, some passed, a name with quotes and Kazakh letters", on)
                << backend << Language::Russian << 6 << "b.cdeaaaaa"
                << "O'Brien \"Жан\" Әлия Ғұмар Қожа Ұлан"
                << "b-cdeaaaaa----------" << 4;
            QTest::addRow("%s: the last window, Kazakh", on)
                << backend << Language::Kazakh << 379 << "deabcdeabcdeabcdeabc"
                << "Сәуле"
                << "deabcdeabcdeabcdeabc" << 20;
            QTest::addRow("%s: an answer after the test is no part of it", on)
                << backend << Language::Russian << 6 << "abcdeabcdeabcdeabcdeb"
                << "Айгерим"
                << "abcdeabcdeabcdeabcde" << 20;
        }
    }
    void finishedTestLeavesItsRow() {
        QFETCH(Backend, backend);
        QFETCH(Language, language);
        QFETCH(int, start);
        QFETCH(QString, pattern);
        QFETCH(QString, user);
        QFETCH(QString, answers);
        QFETCH(int, score);
        Course course(backend, true, language, user);
        const QDateTime before = QDateTime::currentDateTimeUtc().addMSecs(-1000);
        QElapsedTimer took;
        took.start();
        TakeTest(course.desktop(), language, start, pattern);
        const qint64 tookSeconds = took.elapsed() / 1000;
        const QDateTime after = QDateTime::currentDateTimeUtc().addMSecs(1000);

        QVERIFY2(course.desktop().errors.isEmpty(), qPrintable(course.desktop().errors.value(0).text));
        const QString row = QStringList{user,
                                        language == Language::Kazakh ? "kaz" : "rus",
                                        QSysInfo::machineHostName(),
                                        QString::number(start),
                                        answers,
                                        QString::number(score)}
                                .join(u'|');
        QCOMPARE(course.results(), QStringList{row});
        const QString finished = course.root.rows(QStringLiteral("results"), QStringLiteral("finished")).value(0);
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$"))
                     .match(finished)
                     .hasMatch(),
                 qPrintable(finished));
        const QDateTime moment = QDateTime::fromString(finished, Qt::ISODate);
        QVERIFY2(moment >= before && moment <= after, qPrintable(finished));
        const int seconds = course.root.rows(QStringLiteral("results"), QStringLiteral("seconds")).value(0).toInt();
        QVERIFY2(seconds >= 0 && seconds <= tookSeconds, qPrintable(QString::number(seconds)));
        // The results window is as it would be without the record.
        QCOMPARE(ResultLines().value(0), QStringLiteral("Студент - ") + user);
        QVERIFY(Form7->isVisible());
    }

    // An older course database has no table results: the test ends as before, with no box, and
    // the database is left as it was.
    void noTableNoRecord_data() {
        QTest::addColumn<Backend>("backend");
        QTest::newRow("file") << Backend::SQLite;
        QTest::newRow("server") << Backend::PostgreSQL;
    }
    void noTableNoRecord() {
        QFETCH(Backend, backend);
        Course course(backend, false, Language::Russian);
        const QString tables = backend == Backend::SQLite
                                   ? QStringLiteral("SELECT name FROM sqlite_master ORDER BY name")
                                   : QStringLiteral(
                                         "SELECT tablename FROM pg_tables WHERE schemaname = 'public' "
                                         "ORDER BY tablename");
        const QStringList before = fixture::QueryRows(course.root.connectionString(), tables);
        QCOMPARE(before, QStringList({"test", "test_kz", "user1"}));
        TakeTest(course.desktop(), Language::Russian, 6, QStringLiteral("abcde"));
        QVERIFY(Form7->isVisible());
        Form7->BitBtn1->click();
        TakeTest(course.desktop(), Language::Russian, 10, QStringLiteral("abcdeabcdeabcdeabcde"));
        course.exit();
        QCOMPARE(course.desktop().errors.size(), 0);
        QCOMPARE(fixture::QueryRows(course.root.connectionString(), tables), before);
    }

    // The database refuses the store: one error box, shown over the results, which stay; nothing
    // stored. With the cause gone, the next finish stores both results, in their order.
    void refusedStoreWaitsForTheNext_data() {
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("cause");  // in the box, after the student's words
        QTest::newRow("read lock held by another program") << "read lock"
                                                           << "database is locked";
        QTest::newRow("write lock held by another program") << "write lock"
                                                            << "database is locked";
        QTest::newRow("read-only file") << "read-only file"
                                        << "";
    }
    void refusedStoreWaitsForTheNext() {
        QFETCH(QString, refusal);
        QFETCH(QString, cause);
        Course course(Backend::SQLite, true, Language::Russian);
        WatchingDesktop watching(course.desktop());
        Refusal refused(refusal, course.root.databasePath());
        if (!refused.ok()) QSKIP("chattr +i does not work here (not root, or a file system without the flag)");

        TakeTest(course.desktop(), Language::Russian, 6, QStringLiteral("abcdeabcdeabcdeabcde"));
        const auto& errors = course.desktop().errors;
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors[0].caption, QStringLiteral("Электронный учебник"));
        QVERIFY2(errors[0].text.startsWith(kBoxStart) && errors[0].text.contains(cause), qPrintable(errors[0].text));
        QCOMPARE(watching.resultsShownAtBox, QList<bool>{true});
        QVERIFY(Form7->isVisible() && Form4->isVisible());
        QCOMPARE(ResultLines().value(1), QStringLiteral("В тестировании набрали - 20 баллов"));
        // The testing window is reset as after any finish: the answers are gone.
        QCOMPARE(Shown(), QStringLiteral("Вопрос 1 | 20 из 20"));
        refused.end();
        QCOMPARE(course.results(), QStringList());

        Form7->BitBtn1->click();
        TakeTest(course.desktop(), Language::Russian, 11, QStringLiteral("b"));
        QCOMPARE(errors.size(), 1);
        const QString host = QSysInfo::machineHostName();
        QCOMPARE(course.results(), QStringList({"Айгерим|rus|" + host + "|6|abcdeabcdeabcdeabcde|20",
                                                "Айгерим|rus|" + host + "|11|b-------------------|0"}));
    }

    // At exit a result not stored yet is stored; one the database still refuses is one line on
    // standard error, which holds the whole record and why.
    void notStoredAtExit_data() {
        QTest::addColumn<bool>("causeGone");
        QTest::newRow("cause gone before the end: stored") << true;
        QTest::newRow("cause still there: said on standard error") << false;
    }
    void notStoredAtExit() {
        QFETCH(bool, causeGone);
        const QString user = QStringLiteral("Ерлан \"Жан\" Қ");
        Course course(Backend::SQLite, true, Language::Kazakh, user);
        Refusal refused(QStringLiteral("read lock"), course.root.databasePath());
        QVERIFY(refused.ok());
        TakeTest(course.desktop(), Language::Kazakh, 7, QStringLiteral("bcd"));
        QCOMPARE(course.desktop().errors.size(), 1);
        if (causeGone) refused.end();

        StandardErrorCapture capture;
        course.exit();
        const QStringList said = capture.end();
        refused.end();
        QStringList lines;
        for (const QString& line : said)
            if (line.startsWith(u"textbook:")) lines << line;
        if (causeGone) {
            QCOMPARE(lines, QStringList());
            QCOMPARE(course.results(),
                     QStringList{user + "|kaz|" + QSysInfo::machineHostName() + "|7|bcd-----------------|3"});
            return;
        }
        QCOMPARE(course.results(), QStringList());
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith(kExitLine), qPrintable(lines[0]));
        const QJsonObject record = QJsonDocument::fromJson(lines[0].mid(kExitLine.size()).toUtf8()).object();
        QCOMPARE(record.value("student").toString(), user);
        QCOMPARE(record.value("language").toString(), QStringLiteral("kaz"));
        QCOMPARE(record.value("host").toString(), QSysInfo::machineHostName());
        QCOMPARE(record.value("first_question").toInt(), 7);
        QCOMPARE(record.value("answers").toString(), QStringLiteral("bcd-----------------"));
        QCOMPARE(record.value("score").toInt(), 3);
        QVERIFY(QDateTime::fromString(record.value("finished").toString(), Qt::ISODate).isValid());
        QVERIFY(record.value("seconds").isDouble());
        QVERIFY2(record.value("error").toString().contains("database is locked"), qPrintable(lines[0]));
    }
};

QTEST_MAIN(TestTestResults)
#include "tst_testresults.moc"
