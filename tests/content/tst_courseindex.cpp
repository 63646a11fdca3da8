// The course search's index over a small course: the text taken out of the pages, the hits and
// their order for words typed (letter case, ё and е, the Kazakh letters, the last word as the start
// of a word), the line and word shown for a hit, pages changed, added and removed on disk, pages
// that lie outside the course, and the thread that builds and asks the index.
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include "content/search/CourseIndex.h"
#include "content/search/CourseSearch.h"
#include "content/search/PageText.h"

using namespace Qt::StringLiterals;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray page(const QString& body) {
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Заголовок окна</title></head><body>" +
           body.toUtf8() + "</body></html>";
}

// A content root with its Russian and Kazakh pages in one folder, web/.
struct SmallCourse {
    SmallCourse() {
        write(u"1 Неделя"_s,
              u"<h1>Алгоритмы</h1><p>Алгоритм — точное правило. Каждый алгоритм конечен; "
              u"алгоритм записывают блок-схемой.</p>"_s);
        write(u"2 Неделя"_s, u"<p>"_s + u"данные массив цикл условие функция "_s.repeated(20) + u"алгоритм.</p>"_s);
        write(u"Введение"_s, u"<p>Ёлка в лесу. ЙОД полезен.</p>"_s);
        write(u"Литература"_s, u"<p>елка зелёная, иод</p>"_s);
        write(u"1 Апта"_s, u"<p>ҚАЗАҚ тілі. Әліппе ҒЫЛЫМ Өнер ҰЛЫ Үй ІЗДЕУ һәм.</p>"_s);
        write(u"2 Апта"_s, u"<p>казак ушин онер</p>"_s);
    }
    QString folder() const { return dir.path() + u"/web"_s; }
    void write(const QString& name, const QString& body) const {
        writeFile(folder() + u'/' + name + u".htm"_s, page(body));
    }

    QTemporaryDir dir;
};

QStringList pages(const QList<SearchHit>& hits) {
    QStringList names;
    for (const SearchHit& hit : hits) names << hit.page;
    return names;
}

}  // namespace

class TestCourseIndex : public QObject {
    Q_OBJECT

private slots:
    void pageText_data() {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<QString>("text");
        QTest::newRow("blocks are lines, spaces collapse, the head gives nothing")
            << QByteArray(
                   "<html><head><title>Окно</title><style>p{color:red}</style></head><body><h1>Заголовок</h1>"
                   "<p>Первый  абзац\n   текста.</p><ul><li>один</li><li>два</li></ul></body></html>")
            << u"Заголовок\nПервый абзац текста.\nодин\nдва"_s;
        QTest::newRow("inline elements do not split a word")
            << QByteArray("<p>при<b>мер</b> и <i>ещё</i>&nbsp;один &amp; всё</p>") << u"пример и ещё\u00A0один & всё"_s;
        QTest::newRow("scripts, styles and noscript give nothing")
            << QByteArray(
                   "<body><script>var скрипт = 1;</script><p>текст</p><style>.x{}</style>"
                   "<noscript>без скриптов</noscript></body>")
            << u"текст"_s;
        QTest::newRow("a line break") << QByteArray("<p>строка<br>другая</p>") << u"строка\nдругая"_s;
        QTest::newRow("table cells") << QByteArray("<table><tr><td>А</td><td>Б</td></tr></table>") << u"А\nБ"_s;
        QTest::newRow("HTML5 blocks") << QByteArray("<section>раз</section><article>два</article>") << u"раз\nдва"_s;
        QTest::newRow("a page in windows-1251")
            << QByteArray(
                   "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
                   "</head><body><p>\xC0\xEB\xE3\xEE\xF0\xE8\xF2\xEC \xB8</p></body></html>")
            << u"Алгоритм ё"_s;
        QTest::newRow("no charset declared: UTF-8") << QByteArray("<p>ёлка Қ</p>") << u"ёлка Қ"_s;
        QTest::newRow("deep nesting") << QByteArray("<div>").repeated(20000) + "глубоко" << u"глубоко"_s;
        QTest::newRow("not HTML at all") << QByteArray("просто текст") << u"просто текст"_s;
    }
    void pageText() {
        QFETCH(QByteArray, html);
        QFETCH(QString, text);
        QCOMPARE(QString::fromUtf8(PageText(html)), text);
    }

    void search_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("expected");
        // "1 Неделя" holds the word three times in a short text, "2 Неделя" once in a long one.
        QTest::newRow("best first") << u"алгоритм"_s << QStringList{u"1 Неделя"_s, u"2 Неделя"_s};
        QTest::newRow("letter case") << u"АЛГОРИТМ"_s << QStringList{u"1 Неделя"_s, u"2 Неделя"_s};
        QTest::newRow("every word required") << u"алгоритм блок"_s << QStringList{u"1 Неделя"_s};
        QTest::newRow("the last word as a start") << u"алго"_s << QStringList{u"1 Неделя"_s, u"2 Неделя"_s};
        QTest::newRow("a space ends the word") << u"алго "_s << QStringList{};
        QTest::newRow("only the last word is a start") << u"алго правило"_s << QStringList{};
        QTest::newRow("a single letter waits for the next")
            << u"алгоритм б"_s << QStringList{u"1 Неделя"_s, u"2 Неделя"_s};
        QTest::newRow("a lone letter asks nothing") << u"А"_s << QStringList{};
        QTest::newRow("a single letter and a space is a word") << u"В "_s << QStringList{u"Введение"_s};
        // Both once; "Литература" is the shorter text.
        QTest::newRow("е finds ё") << u"елка"_s << QStringList{u"Литература"_s, u"Введение"_s};
        QTest::newRow("Ё finds е") << u"ЁЛКА"_s << QStringList{u"Литература"_s, u"Введение"_s};
        QTest::newRow("е finds ё within a word") << u"зеленая"_s << QStringList{u"Литература"_s};
        QTest::newRow("й is not и") << u"йод"_s << QStringList{u"Введение"_s};
        QTest::newRow("и is not й") << u"иод"_s << QStringList{u"Литература"_s};
        QTest::newRow("Kazakh lower case finds upper") << u"қазақ"_s << QStringList{u"1 Апта"_s};
        QTest::newRow("Kazakh upper case finds upper") << u"ҚАЗАҚ"_s << QStringList{u"1 Апта"_s};
        QTest::newRow("қ is not к") << u"казак"_s << QStringList{u"2 Апта"_s};
        QTest::newRow("ө") << u"ӨНЕР"_s << QStringList{u"1 Апта"_s};
        QTest::newRow("ө is not о") << u"онер"_s << QStringList{u"2 Апта"_s};
        QTest::newRow("ә") << u"әліппе"_s << QStringList{u"1 Апта"_s};
        QTest::newRow("ғ") << u"ғылым"_s << QStringList{u"1 Апта"_s};
        QTest::newRow("ұ") << u"Ұлы"_s << QStringList{u"1 Апта"_s};
        QTest::newRow("ү") << u"ҮЙ"_s << QStringList{u"1 Апта"_s};
        QTest::newRow("ү is not у") << u"уй"_s << QStringList{};
        QTest::newRow("һ") << u"ҺӘМ"_s << QStringList{u"1 Апта"_s};
        QTest::newRow("і, as a start") << u"ізд"_s << QStringList{u"1 Апта"_s};
        QTest::newRow("і is not и") << u"издеу"_s << QStringList{};
        QTest::newRow("the window's title is not shown") << u"окна"_s << QStringList{};
        QTest::newRow("quotes typed") << u"\"алгоритм\""_s << QStringList{u"1 Неделя"_s, u"2 Неделя"_s};
        QTest::newRow("nothing typed") << u"   "_s << QStringList{};
    }
    void search() {
        QFETCH(QString, typed);
        QFETCH(QStringList, expected);
        SmallCourse course;
        CourseIndex index(course.dir.path(), course.folder());
        QVERIFY(index.refresh());
        QCOMPARE(index.pageCount(), 6);
        QCOMPARE(pages(index.search(typed, 10)), expected);
    }

    // The line shown for a hit: the block of text around the first match, cut to some 40
    // characters before it and 80 after at spaces; the word as the page writes it.
    void lineAndWord_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("word");
        const QString cut = u"…"_s + u"слово "_s.repeated(6) + u"цель"_s + u" слово"_s.repeated(13) + u"…"_s;
        QTest::newRow("the first match's block") << u"абзац"_s << u"Первый абзац."_s << u"абзац"_s;
        QTest::newRow("a later block") << u"рыбе"_s << u"Второй абзац о рыбе."_s << u"рыбе"_s;
        QTest::newRow("the word as written") << u"ЕЛКОЙ"_s << u"Второй: с Ёлкой и ёлкой."_s << u"Ёлкой"_s;
        QTest::newRow("a long line is cut") << u"цел"_s << cut << u"цель"_s;
    }
    void lineAndWord() {
        QFETCH(QString, typed);
        QFETCH(QString, line);
        QFETCH(QString, word);
        SmallCourse course;
        course.write(u"3 Неделя"_s, u"<p>Первый абзац.</p><p>Второй <b>абзац</b> о рыбе.</p>"_s);
        course.write(u"4 Неделя"_s, u"<p>Первая строка.</p><p>Второй: с Ёлкой и ёлкой.</p>"_s);
        course.write(u"5 Неделя"_s,
                     u"<p>"_s + u"слово "_s.repeated(60) + u"цель"_s + u" слово"_s.repeated(100) + u"</p>"_s);
        CourseIndex index(course.dir.path(), course.folder());
        index.refresh();
        const QList<SearchHit> hits = index.search(typed, 10);
        QCOMPARE(hits.size(), 1);
        QCOMPARE(hits[0].line, line);
        QCOMPARE(hits[0].word, word);
    }

    // Each refresh reads again exactly the pages whose modification time or size changed, reads
    // the new ones and forgets the ones gone.
    void changedPagesAreReadAgain() {
        SmallCourse course;
        CourseIndex index(course.dir.path(), course.folder());
        QVERIFY(index.refresh());
        QVERIFY(!index.refresh());  // nothing changed

        const QString introduction = course.folder() + u"/Введение.htm"_s;
        const QDateTime before = QFileInfo(introduction).lastModified();
        auto setModified = [&](const QDateTime& time) {
            QFile file(introduction);
            return file.open(QIODevice::ReadWrite) && file.setFileTime(time, QFileDevice::FileModificationTime);
        };

        // Another size, the same modification time.
        course.write(u"Введение"_s, u"<p>Слон и жираф.</p>"_s);
        QVERIFY(setModified(before));
        QVERIFY(index.refresh());
        QCOMPARE(pages(index.search(u"жираф"_s, 10)), QStringList{u"Введение"_s});
        QCOMPARE(pages(index.search(u"йод"_s, 10)), QStringList{});

        // The same size, a later modification time.
        course.write(u"Введение"_s, u"<p>Слон и зебра.</p>"_s);
        QVERIFY(setModified(before.addSecs(2)));
        QVERIFY(index.refresh());
        QCOMPARE(pages(index.search(u"зебра"_s, 10)), QStringList{u"Введение"_s});
        QCOMPARE(pages(index.search(u"жираф"_s, 10)), QStringList{});

        QVERIFY(QFile::remove(course.folder() + u"/Литература.htm"_s));
        course.write(u"Видео"_s, u"<p>Зебра, зебра в кино.</p>"_s);
        QVERIFY(index.refresh());
        QCOMPARE(index.pageCount(), 6);
        QCOMPARE(pages(index.search(u"иод"_s, 10)), QStringList{});
        QCOMPARE(pages(index.search(u"зебра"_s, 10)), (QStringList{u"Видео"_s, u"Введение"_s}));
        QVERIFY(!index.refresh());
    }

    // Only files named "*.htm" are pages, as the viewer opens them; a link in the page folder to a
    // file outside the content root is never read, a link to one inside is.
    void whatIsAPage() {
        SmallCourse course;
        QTemporaryDir outside;
        writeFile(outside.path() + u"/secret.htm"_s, page(u"<p>секрет</p>"_s));
        writeFile(course.dir.path() + u"/inside/shared.htm"_s, page(u"<p>общий</p>"_s));
        QVERIFY(QFile::link(outside.path() + u"/secret.htm"_s, course.folder() + u"/Секрет.htm"_s));
        QVERIFY(QFile::link(course.dir.path() + u"/inside/shared.htm"_s, course.folder() + u"/Общий.htm"_s));
        writeFile(course.folder() + u"/Другой.HTM"_s, page(u"<p>другой</p>"_s));
        writeFile(course.folder() + u"/Ещё.html"_s, page(u"<p>другой</p>"_s));
        QVERIFY(QDir().mkpath(course.folder() + u"/Папка.htm"_s));

        CourseIndex index(course.dir.path(), course.folder());
        index.refresh();
        QCOMPARE(pages(index.search(u"секрет"_s, 10)), QStringList{});
        QCOMPARE(pages(index.search(u"общий"_s, 10)), QStringList{u"Общий"_s});
        QCOMPARE(pages(index.search(u"другой"_s, 10)), QStringList{});
        QCOMPARE(index.pageCount(), 7);
    }

    // The page folder itself reached through a link out of the content root: nothing is read.
    void pageFolderOutsideTheRoot() {
        SmallCourse course;
        QTemporaryDir root;
        QVERIFY(QFile::link(course.folder(), root.path() + u"/web"_s));
        CourseIndex index(root.path(), root.path() + u"/web"_s);
        QVERIFY(!index.refresh());
        QCOMPARE(index.pageCount(), 0);
    }

    // The thread answers the last question asked; the first question builds the index there.
    void searchInItsOwnThread() {
        SmallCourse course;
        CourseSearch search(course.dir.path(), course.folder());
        QSignalSpy found(&search, &CourseSearch::found);
        search.find(u"а"_s, 10);
        search.find(u"ал"_s, 10);
        search.find(u"алгоритм"_s, 10);
        QCOMPARE(found.size(), 0);  // nothing is answered within the asking
        QTRY_VERIFY(!found.isEmpty() && found.last().first().toString() == u"алгоритм"_s);
        QCOMPARE(pages(found.last().at(1).value<QList<SearchHit>>()), (QStringList{u"1 Неделя"_s, u"2 Неделя"_s}));
    }

    // The program's SQLite, which the index uses, is the one Qt's driver uses, and has FTS5.
    void systemSqliteHasFts5() {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"check"_s);
            db.setDatabaseName(u":memory:"_s);
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec(u"SELECT sqlite_version()"_s) && query.next());
            QCOMPARE(query.value(0).toString(), QString::fromLatin1(sqlite3_libversion()));
            QStringList options;
            QVERIFY(query.exec(u"PRAGMA compile_options"_s));
            while (query.next()) options << query.value(0).toString();
            QVERIFY2(options.contains(u"ENABLE_FTS5"_s), qPrintable(options.join(u' ')));
            // One SQLite library in the process: the driver's is the system's, which the index links.
            QFile maps(u"/proc/self/maps"_s);
            QVERIFY(maps.open(QIODevice::ReadOnly));
            QSet<QString> libraries;
            for (const QByteArray& line : maps.readAll().split('\n'))
                if (line.contains("libsqlite3")) libraries << QString::fromUtf8(line.mid(line.lastIndexOf(' ') + 1));
            QCOMPARE(libraries.size(), 1);
        }
        QSqlDatabase::removeDatabase(u"check"_s);
    }
};

QTEST_GUILESS_MAIN(TestCourseIndex)
#include "tst_courseindex.moc"
