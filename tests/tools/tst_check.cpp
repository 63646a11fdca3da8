// coursedb check on a content root the textbook can use and on roots broken one way at a time,
// and the exit codes of bad usage and --help for every command.
#include <QTemporaryDir>
#include <QtTest>

#include "ContentRules.h"
#include "CourseOutline.h"
#include "Fixture.h"
#include "RunCoursedb.h"

namespace {

// A content root the textbook can use whole: every page the chapter trees and week menus name,
// each with sections a1 to a3, the five videos, and two banks of 400 questions with the register.
class GoodRoot {
public:
    // `anchor` writes the mark of section n, e.g. id="a2".
    explicit GoodRoot(const QString& anchor = QStringLiteral("<h2 id=\"a%1\">Section %1</h2>")) : root_(400) {
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

int fixCount(const QString& out) { return int(out.count(QStringLiteral("\n    Fix: "))); }

}  // namespace

class TestCheck : public QObject {
    Q_OBJECT

private slots:
    void goodRootPasses_data() {
        QTest::addColumn<QString>("anchor");
        QTest::newRow("id in double quotes") << "<h2 id=\"a%1\">Section %1</h2>";
        QTest::newRow("name in single quotes") << "<a name='a%1'></a>";
        QTest::newRow("NAME unquoted, upper case") << "<A NAME=a%1>";
    }
    void goodRootPasses() {
        QFETCH(QString, anchor);
        const GoodRoot root(anchor);
        const CoursedbRun run = RunCoursedb({"check", root.path()});
        QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
        QCOMPARE(fixCount(run.out), 0);
    }

    // One thing broken at a time; the check names it (and nothing else) and exits with 1.
    void brokenRootIsReported_data() {
        QTest::addColumn<QString>("action");  // remove, rename, write, sql
        QTest::addColumn<QString>("target");  // a path under the root, or an SQL statement
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QStringList>("named");

        QTest::newRow("week page of tree and menu missing")
            << "remove"
            << "web/1 Неделя.htm"
            << "" << QStringList{"web/1 Неделя.htm: missing", "chapter tree", "week menu"};
        QTest::newRow("page only the Kazakh menu opens missing")
            << "remove"
            << "web_kz/8 Тарау.htm"
            << "" << QStringList{"web_kz/8 Тарау.htm: missing", "Kazakh week menu"};
        QTest::newRow("Kazakh tree's literature page missing") << "remove"
                                                               << "web_kz/Јдебиет.htm"
                                                               << "" << QStringList{"web_kz/Јдебиет.htm: missing"};
        QTest::newRow("video root's page missing") << "remove"
                                                   << "web/Видео.htm"
                                                   << "" << QStringList{"web/Видео.htm"};
        QTest::newRow("page name in another letter case")
            << "rename"
            << "web/Введение.htm"
            << "web/введение.htm" << QStringList{"web/Введение.htm: missing", "rename \"web/введение.htm\""};
        QTest::newRow("all Kazakh pages missing") << "remove"
                                                  << "web_kz"
                                                  << "" << QStringList{"web_kz/: missing"};
        QTest::newRow("anchor missing") << "write"
                                        << "web/1 Неделя.htm"
                                        << "<p id=\"a1\"></p><p id=\"a2\"></p>"
                                        << QStringList{"web/1 Неделя.htm: no anchor a3",
                                                       "\"Лабораторная работа №2\" under \"1 Неделя\""};
        QTest::newRow("a10 is not a1") << "write"
                                       << "web_kz/2 Апта.htm"
                                       << "<p id=\"a10\"></p><p id=\"a2\"></p>"
                                       << QStringList{"web_kz/2 Апта.htm: no anchor a1"};
        QTest::newRow("data-id is not id")
            << "write"
            << "web/2 Неделя.htm"
            << "<p id=\"a1\"></p><p data-id=\"a2\"></p>" << QStringList{"web/2 Неделя.htm: no anchor a2"};
        QTest::newRow("video missing") << "remove"
                                       << "video/3.avi"
                                       << "" << QStringList{"video/3.avi: missing"};
        QTest::newRow("bank with a gap in num") << "sql"
                                                << "DELETE FROM test WHERE num = 57"
                                                << "" << QStringList{"table test, row 57", "num 58"};
        QTest::newRow("bank out of order")
            << "sql"
            << "UPDATE test_kz SET num = CASE num WHEN 3 THEN 4 ELSE 3 END WHERE num IN (3, 4)"
            << "" << QStringList{"table test_kz, row 3", "num 4"};
        QTest::newRow("bank with an empty num") << "sql"
                                                << "UPDATE test SET num = NULL WHERE num = 9"
                                                << "" << QStringList{"table test, row 9", "empty num"};
        QTest::newRow("otvet upper case") << "sql"
                                          << "UPDATE test_kz SET otvet = 'A' WHERE num = 5"
                                          << "" << QStringList{"table test_kz", "otvet", "row 5 (\"A\")"};
        QTest::newRow("otvet Cyrillic") << "sql"
                                        << "UPDATE test SET otvet = 'а' WHERE num = 7"
                                        << "" << QStringList{"table test", "otvet", "row 7 (\"а\")"};
        QTest::newRow("bank too short") << "sql"
                                        << "DELETE FROM test WHERE num > 398"
                                        << "" << QStringList{"table test", "398 questions", "399"};
        QTest::newRow("bank missing") << "sql"
                                      << "DROP TABLE test_kz"
                                      << "" << QStringList{"table test_kz: missing"};
        QTest::newRow("bank field missing") << "sql"
                                            << "ALTER TABLE test DROP COLUMN tekst"
                                            << "" << QStringList{"table test", "no field tekst"};
        QTest::newRow("register field missing") << "sql"
                                                << "ALTER TABLE user1 DROP COLUMN glava"
                                                << "" << QStringList{"table user1", "no field glava"};
        QTest::newRow("database missing") << "remove"
                                          << "Base/test.db"
                                          << "" << QStringList{"Base/test.db: missing"};
        QTest::newRow("database not SQLite")
            << "write"
            << "Base/test.db"
            << "Standard Jet DB, or anything else" << QStringList{"Base/test.db: cannot be opened"};
    }
    void brokenRootIsReported() {
        QFETCH(QString, action);
        QFETCH(QString, target);
        QFETCH(QString, argument);
        QFETCH(QStringList, named);
        const GoodRoot root;
        const QString path = root.path() + u'/' + target;
        if (action == u"remove")
            QVERIFY(QFileInfo(path).isDir() ? QDir(path).removeRecursively() : QFile::remove(path));
        else if (action == u"rename")
            QVERIFY(QFile::rename(path, root.path() + u'/' + argument));
        else if (action == u"write")
            WriteFileBytes(path, argument.toUtf8());
        else
            root.database().exec(target);

        const CoursedbRun run = RunCoursedb({"check", root.path()});
        QCOMPARE(run.exitCode, 1);
        for (const QString& part : named) QVERIFY2(run.out.contains(part), qPrintable(run.out));
        QVERIFY2(fixCount(run.out) == 1, qPrintable(run.out));
    }

    // The outline the check and the windows share: tags that would open no section or a wrong
    // one, or a video root that plays the wrong videos, would go unnoticed elsewhere.
    void outlineOpensSectionsAndVideosInOrder_data() {
        QTest::addColumn<bool>("kazakh");
        QTest::newRow("Russian") << false;
        QTest::newRow("Kazakh") << true;
    }
    void outlineOpensSectionsAndVideosInOrder() {
        QFETCH(bool, kazakh);
        const Language language = kazakh ? Language::Kazakh : Language::Russian;
        const QList<ChapterEntry>& tree = ChapterTree(language);
        QCOMPARE(tree.size(), 18);
        const QStringList videos{"1", "2", "3", "4", "5"};
        int videoRoots = 0;
        for (const ChapterEntry& entry : tree) {
            QStringList labels;
            for (const ChapterItem& item : entry.items) labels << item.label;
            if (entry.label == VideoRootLabel(language)) {
                ++videoRoots;
                QCOMPARE(labels, videos);
            } else {
                QVERIFY2(labels.size() <= 3, qPrintable(entry.label));  // pages have sections a1 to a3
            }
        }
        QCOMPARE(videoRoots, 1);

        int weeks = 0;
        for (const MenuEntry& entry : WeekMenu(language)) {
            QList<int> tags, expected;
            for (const MenuItem& item : entry.items) tags << item.tag;
            if (entry.tag == kVideoSubmenuTag) {
                for (int n = 1; n <= 5; ++n) {
                    QCOMPARE(entry.items[n - 1].caption, QString::number(n));
                    QCOMPARE(MenuVideo(entry.items[n - 1].tag), n);
                }
                continue;
            }
            if (entry.items.isEmpty()) continue;
            ++weeks;
            QCOMPARE(entry.tag, kPageTag);
            for (int i = 0; i < tags.size(); ++i) expected << i + 2;  // sections 1, 2, 3 in order
            QVERIFY2(tags == expected && tags.size() <= 3, qPrintable(entry.caption));
        }
        QCOMPARE(weeks, 15);
    }

    // A content root with nothing in it lists each part that is missing, with its fix.
    void emptyRootListsEveryPart() {
        QTemporaryDir dir;
        const CoursedbRun run = RunCoursedb({"check", dir.path()});
        QCOMPARE(run.exitCode, 1);
        for (const char* part : {"web/: missing", "web_kz/: missing", "video/: missing", "Base/test.db: missing"})
            QVERIFY2(run.out.contains(QLatin1String(part)), qPrintable(run.out));
        QCOMPARE(fixCount(run.out), 4);
    }

    void badUsageExitsWith2_data() {
        QTest::addColumn<QStringList>("arguments");  // DIR is replaced by an empty directory
        QTest::newRow("no command") << QStringList{};
        QTest::newRow("unknown command") << QStringList{"frob"};
        QTest::newRow("help on an unknown command") << QStringList{"help", "frob"};
        QTest::newRow("check without DIR") << QStringList{"check"};
        QTest::newRow("check with two") << QStringList{"check", "DIR", "DIR"};
        QTest::newRow("check of no directory") << QStringList{"check", "DIR/absent"};
        QTest::newRow("unknown option") << QStringList{"check", "--verbose", "DIR"};
        QTest::newRow("import-mdb without DATABASE") << QStringList{"import-mdb", "DIR/x.mdb"};
        QTest::newRow("--table without SOURCE") << QStringList{"import-mdb", "--table", "=s", "DIR/x.mdb", "DIR/t.db"};
        QTest::newRow("two tables into one")
            << QStringList{"import-mdb", "--table", "a=s", "--table", "b=S", "DIR/x.mdb", "DIR/t.db"};
        QTest::newRow("--table without value") << QStringList{"import-csv", "DIR/x.csv", "DIR/t.db", "--table"};
        QTest::newRow("export-csv without FILE") << QStringList{"export-csv", "DIR/t.db", "user1"};
        QTest::newRow("build with one") << QStringList{"build", "DIR"};
    }
    void badUsageExitsWith2() {
        QFETCH(QStringList, arguments);
        QTemporaryDir dir;
        for (QString& a : arguments) a.replace("DIR", dir.path());
        const CoursedbRun run = RunCoursedb(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.err.startsWith("coursedb: "));
        QVERIFY2(run.out.isEmpty(), qPrintable(run.out));
        QCOMPARE(DirectoryEntries(dir.path()), QStringList());
    }

    void helpForEveryCommand_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("usage");
        for (const char* command : {"import-mdb", "import-csv", "export-csv", "check", "build"}) {
            const QString name = QLatin1String(command);
            QTest::addRow("%s --help", command) << QStringList{name, "--help"} << "usage: coursedb " + name;
            QTest::addRow("help %s", command) << QStringList{"help", name} << "usage: coursedb " + name;
        }
        QTest::newRow("--help") << QStringList{"--help"} << "usage: coursedb COMMAND";
    }
    void helpForEveryCommand() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, usage);
        const CoursedbRun run = RunCoursedb(arguments);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.startsWith(usage), qPrintable(run.out));
        QVERIFY(run.err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCheck)
#include "tst_check.moc"
