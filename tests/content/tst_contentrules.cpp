// Page, section and video addresses.
#include <QtTest>

#include "ContentRules.h"
#include "Failure.h"

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
};

QTEST_GUILESS_MAIN(TestContentRules)
#include "tst_contentrules.moc"
