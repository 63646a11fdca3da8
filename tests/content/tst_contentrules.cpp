// Page, section and video addresses.
#include <QtTest>

#include "content/rules/ContentRules.h"
#include "content/rules/CourseOutline.h"
#include "platform/failure/Failure.h"

class TestContentRules : public QObject {
    Q_OBJECT

private slots:
    void addresses_data() {
        QTest::addColumn<QString>("root");
        QTest::addColumn<bool>("kazakh");
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("section");  // 0: the whole page
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("url");

        QTest::newRow("Russian page") << "/srv/Course" << false << "Введение" << 0 << "/srv/Course/web/Введение.htm"
                                      << "file:///srv/Course/web/Введение.htm";
        QTest::newRow("Russian section") << "/srv/Course" << false << "1 Неделя" << 2
                                         << "/srv/Course/web/1 Неделя.htm#a2"
                                         << "file:///srv/Course/web/1 Неделя.htm#a2";
        QTest::newRow("section 1 is a1") << "/srv/Course" << false << "1 Неделя" << 1
                                         << "/srv/Course/web/1 Неделя.htm#a1"
                                         << "file:///srv/Course/web/1 Неделя.htm#a1";
        QTest::newRow("Kazakh page") << "/srv/Course" << true << "1 Апта" << 0 << "/srv/Course/web_kz/1 Апта.htm"
                                     << "file:///srv/Course/web_kz/1 Апта.htm";
        QTest::newRow("Kazakh letters intact")
            << "/srv/Course" << true << "Јдебиет" << 0 << "/srv/Course/web_kz/Јдебиет.htm"
            << "file:///srv/Course/web_kz/Јдебиет.htm";
        QTest::newRow("root directory") << "/" << false << "Введение" << 3 << "/web/Введение.htm#a3"
                                        << "file:///web/Введение.htm#a3";
        QTest::newRow("# in a page name stays in the file name")
            << "/c" << false << "C# и .NET" << 0 << "/c/web/C# и .NET.htm"
            << "file:///c/web/C%23 и .NET.htm";
        QTest::newRow("#a1 in a page name, then a section")
            << "/c" << false << "x.htm#a1" << 2 << "/c/web/x.htm#a1.htm#a2"
            << "file:///c/web/x.htm%23a1.htm#a2";
        QTest::newRow("% and ? in a page name") << "/c" << false << "100% ?" << 0 << "/c/web/100% ?.htm"
                                                << "file:///c/web/100%25 %3F.htm";
    }
    void addresses() {
        QFETCH(QString, root);
        QFETCH(bool, kazakh);
        QFETCH(QString, page);
        QFETCH(int, section);
        QFETCH(QString, address);
        QFETCH(QString, url);
        const Language language = kazakh ? Language::Kazakh : Language::Russian;
        const QString got = section ? SectionAddress(root, language, page, section) : PageAddress(root, language, page);
        QCOMPARE(got, address);
        const QUrl u = AddressUrl(got);
        QCOMPARE(u, QUrl(url));
        QCOMPARE(u.host(), QString());
    }

    void videoPathKeepsTheRootAsJoined_data() {
        QTest::addColumn<QString>("root");
        QTest::addColumn<int>("video");
        QTest::addColumn<QString>("path");
        QTest::newRow("video 5") << "/srv/Course" << 5 << "/srv/Course/video/5.avi";
        QTest::newRow("root directory") << "/" << 3 << "//video/3.avi";
    }
    void videoPathKeepsTheRootAsJoined() {
        QFETCH(QString, root);
        QFETCH(int, video);
        QFETCH(QString, path);
        QCOMPARE(VideoPath(root, video), path);
    }

    void pageNamesLeavingTheDirectoryAreRefused_data() {
        QTest::addColumn<QString>("page");
        QTest::newRow("slash") << "../../etc/passwd";
        QTest::newRow("dot dot") << "..";
        QTest::newRow("dot") << ".";
        QTest::newRow("subdirectory") << "a/b";
    }
    void pageNamesLeavingTheDirectoryAreRefused() {
        QFETCH(QString, page);
        QVERIFY_THROWS_EXCEPTION(platform::Failure, PageAddress(QStringLiteral("/c"), Language::Russian, page));
        QVERIFY_THROWS_EXCEPTION(platform::Failure, SectionAddress(QStringLiteral("/c"), Language::Kazakh, page, 1));
    }

    void menuChapterText() {
        QCOMPARE(MenuChapterText(QStringLiteral("1 Неделя"), QStringLiteral("Лекция")),
                 QStringLiteral("1 НеделяЛекция"));
        QCOMPARE(MenuChapterText(QString(), QStringLiteral("Введение")), QStringLiteral("Введение"));
    }

    // A recorded chapter back to the pages and sections that record it, written out from the
    // course's tree and menu tables: "page#section" (0: the whole page), tree places first.
    void chapterPlaces_data() {
        QTest::addColumn<bool>("kazakh");
        QTest::addColumn<QString>("chapter");
        QTest::addColumn<QStringList>("places");

        QTest::newRow("week page") << false << "1 Неделя" << QStringList{"1 Неделя#0"};
        QTest::newRow("tree section") << false << "Практическая работа №1" << QStringList{"1 Неделя#2"};
        QTest::newRow("tree label with two spaces") << false << "Лабораторная  работа №3" << QStringList{"3 Неделя#2"};
        QTest::newRow("that label with one space is no tree label")
            << false << "Лабораторная работа №3" << QStringList{};
        QTest::newRow("a section label of two weeks")
            << false << "Лабораторная работа №2" << QStringList{"1 Неделя#3", "2 Неделя#2"};
        QTest::newRow("the lectures") << false << "Лекция"
                                      << QStringList{"1 Неделя#1", "4 Неделя#1", "7 Неделя#1", "10 Неделя#1",
                                                     "13 Неделя#1"};
        QTest::newRow("menu section by its tag")
            << false << "1 НеделяПрактическая работа №2" << QStringList{"1 Неделя#3"};
        QTest::newRow("menu item without an action of its own")
            << false << "7 НеделяЛабораторная работа№7" << QStringList{"7 Неделя#3"};
        QTest::newRow("tree and menu open the same page") << false << "Введение" << QStringList{"Введение#0"};
        QTest::newRow("video root is a page") << false << "Видео" << QStringList{"Видео#0"};
        QTest::newRow("the menu's video item records nothing") << false << "Видеоматериал" << QStringList{};
        QTest::newRow("a video's label") << false << "3" << QStringList{};
        QTest::newRow("nothing recorded") << false << "" << QStringList{};
        QTest::newRow("a chapter of the other language") << false << "1 Апта" << QStringList{};
        QTest::newRow("a text with one more space names nothing") << false << "1 НеделяЛекция " << QStringList{};
        QTest::newRow("Kazakh 8 Тарау") << true << "8 ТарауПрактикалық жұмыс №8" << QStringList{"8 Тарау#1"};
        QTest::newRow("Kazakh tree's literature") << true << "Јдебиет" << QStringList{"Јдебиет#0"};
        QTest::newRow("Kazakh menu's literature") << true << "Әдебиет" << QStringList{"Әдебиет#0"};
        QTest::newRow("Kazakh label of two weeks")
            << true << "Зертханалық жұмыс№3" << QStringList{"3 Апта#2", "4 Апта#3"};
        QTest::newRow("Kazakh menu lecture of week 1") << true << "1 АптаДәріс" << QStringList{"1 Апта#1"};
        QTest::newRow("Kazakh video root") << true << "Видеоматериал" << QStringList{"Видеоматериал#0"};
        QTest::newRow("Russian chapter in Kazakh") << true << "Введение" << QStringList{};
    }
    void chapterPlaces() {
        QFETCH(bool, kazakh);
        QFETCH(QString, chapter);
        QFETCH(QStringList, places);
        QStringList found;
        for (const ChapterPlace& place : ChapterPlaces(kazakh ? Language::Kazakh : Language::Russian, chapter))
            found << place.page + u'#' + QString::number(place.section);
        QCOMPARE(found, places);
    }
};

QTEST_GUILESS_MAIN(TestContentRules)
#include "tst_contentrules.moc"
