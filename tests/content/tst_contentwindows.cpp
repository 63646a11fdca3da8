// The main windows' chapter trees and the viewers' week menus: what each entry opens, what it
// records, and which windows are shown.
#include <QMenu>
#include <QMenuBar>
#include <QWebEngineView>
#include <QtTest>

#include "DataSet.h"
#include "Fixture.h"
#include "StatusBar.h"
#include "TreeView.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit5.h"
#include "Unit8.h"
#include "Unit9.h"
#include "WindowSetGuard.h"

using fixture::CourseRoot;

namespace {

TMainForm* mainWindow(bool kazakh) { return kazakh ? static_cast<TMainForm*>(Form8) : Form2; }
TViewer* viewer(bool kazakh) { return kazakh ? static_cast<TViewer*>(Form9) : Form3; }

QTreeWidgetItem* treeEntry(TMainForm* window, const QString& top, int item) {
    for (int i = 0; i < window->TreeView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* entry = window->TreeView1->topLevelItem(i);
        if (entry->text(0) == top) return item ? entry->child(item - 1) : entry;
    }
    return nullptr;
}

QAction* menuItem(TViewer* window, const QString& top, const QString& caption) {
    for (QAction* action : window->MainMenu1->actions()) {
        if (action->text() != top) continue;
        if (caption.isEmpty()) return action;
        for (QAction* sub : action->menu()->actions())
            if (sub->text() == caption) return sub;
    }
    return nullptr;
}

// Double-clicks the tree's viewport over the given entry (or below the last entry when null).
void doubleClick(TreeView* tree, QTreeWidgetItem* entry) {
    const QPoint at = entry ? tree->visualItemRect(entry).center() : QPoint(10, tree->viewport()->height() - 5);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
}

// Puts a video file in place, as the course has it.
void writeVideo(const CourseRoot& root, int video) {
    QDir().mkpath(root.path() + QStringLiteral("/video"));
    QFile file(root.path() + QStringLiteral("/video/%1.avi").arg(video));
    if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write the fixture video");
}

// A language chosen on a fresh window set over a course root.
struct Chosen {
    Chosen(const CourseRoot& root, bool kazakh) : windows(root.path()) {
        Form1->show();
        (kazakh ? Form1->SpeedButton2 : Form1->SpeedButton1)->click();
    }
    WindowSetGuard windows;
};

}  // namespace

class TestContentWindows : public QObject {
    Q_OBJECT

private slots:
    void treesAsDescribed() {
        CourseRoot root;
        WindowSetGuard windows(root.path());
        for (bool kazakh : {false, true}) {
            TreeView* tree = mainWindow(kazakh)->TreeView1;
            QCOMPARE(tree->topLevelItemCount(), 18);
            for (int i = 0; i < 18; ++i) QVERIFY(!tree->topLevelItem(i)->isExpanded());
        }
        QCOMPARE(Form2->TreeView1->topLevelItem(3)->child(1)->text(0), QStringLiteral("Лабораторная  работа №3"));
        QCOMPARE(Form8->TreeView1->topLevelItem(17)->text(0), QStringLiteral("Јдебиет"));
        QCOMPARE(Form8->TreeView1->topLevelItem(4)->child(2)->text(0), QStringLiteral("Зертханалық жұмыс№3"));
        QCOMPARE(Form2->windowTitle(), QStringLiteral("Электронный учебник"));
        QCOMPARE(Form8->windowTitle(), QStringLiteral("Form8"));
    }

    void doubleClickRule_data() {
        QTest::addColumn<bool>("kazakh");
        QTest::addColumn<QString>("top");
        QTest::addColumn<int>("item");         // 0: the top-level entry itself
        QTest::addColumn<QString>("address");  // relative to the root; empty: a video was played
        QTest::addColumn<QString>("chapter");

        QTest::newRow("week page") << false << "1 Неделя" << 0 << "/web/1 Неделя.htm"
                                   << "1 Неделя";
        QTest::newRow("section by position") << false << "1 Неделя" << 2 << "/web/1 Неделя.htm#a2"
                                             << "Практическая работа №1";
        QTest::newRow("third item is a3 whatever its label") << false << "1 Неделя" << 3 << "/web/1 Неделя.htm#a3"
                                                             << "Лабораторная работа №2";
        QTest::newRow("label with two spaces") << false << "3 Неделя" << 2 << "/web/3 Неделя.htm#a2"
                                               << "Лабораторная  работа №3";
        QTest::newRow("video root is a page") << false << "Видео" << 0 << "/web/Видео.htm"
                                              << "Видео";
        QTest::newRow("video") << false << "Видео" << 3 << ""
                               << "";
        QTest::newRow("Kazakh section") << true << "4 Апта" << 3 << "/web_kz/4 Апта.htm#a3"
                                        << "Зертханалық жұмыс№3";
        QTest::newRow("Kazakh literature") << true << "Јдебиет" << 0 << "/web_kz/Јдебиет.htm"
                                           << "Јдебиет";
        QTest::newRow("Kazakh video root") << true << "Видеоматериал" << 0 << "/web_kz/Видеоматериал.htm"
                                           << "Видеоматериал";
        QTest::newRow("Kazakh video") << true << "Видеоматериал" << 5 << ""
                                      << "";
    }
    void doubleClickRule() {
        QFETCH(bool, kazakh);
        QFETCH(QString, top);
        QFETCH(int, item);
        QFETCH(QString, address);
        QFETCH(QString, chapter);
        CourseRoot root;
        Chosen chosen(root, kazakh);
        TMainForm* window = mainWindow(kazakh);
        QTreeWidgetItem* entry = treeEntry(window, top, item);
        QVERIFY(entry);
        if (address.isEmpty()) writeVideo(root, item);
        if (item) entry->parent()->setExpanded(true);
        doubleClick(window->TreeView1, entry);

        auto& desktop = chosen.windows.desktop;
        QVERIFY(desktop.errors.isEmpty());
        if (address.isEmpty()) {
            QCOMPARE(desktop.opened,
                     QList<QUrl>{QUrl::fromLocalFile(root.path() + QStringLiteral("/video/%1.avi").arg(item))});
            QCOMPARE(viewer(kazakh)->LastAddress, QString());
            QVERIFY(window->isVisible() && !viewer(kazakh)->isVisible());
            QCOMPARE(root.rows(QStringLiteral("user1")).first(), QStringLiteral("Айгерим|1 Неделя"));
            return;
        }
        QCOMPARE(viewer(kazakh)->LastAddress, root.path() + address);
        QCOMPARE(root.rows(QStringLiteral("user1")).first(), QStringLiteral("Айгерим|") + chapter);
        QCOMPARE(window->StatusBar1->panelText(4), chapter);
        QVERIFY(viewer(kazakh)->isVisible());
        QVERIFY(!window->isVisible());
        QVERIFY(desktop.opened.isEmpty());
    }

    // A double-click below the entries acts on the entry selected before; an edited label is
    // what is opened and recorded.
    void selectedAndEditedEntries() {
        CourseRoot root;
        Chosen chosen(root, false);
        QTreeWidgetItem* intro = treeEntry(Form2, QStringLiteral("Введение"), 0);
        Form2->TreeView1->setCurrentItem(intro);
        intro->setText(0, QStringLiteral("Литература"));
        doubleClick(Form2->TreeView1, nullptr);
        QCOMPARE(Form3->LastAddress, root.path() + QStringLiteral("/web/Литература.htm"));
        QCOMPARE(Form2->StatusBar1->panelText(4), QStringLiteral("Литература"));
    }

    void unsafeLabelIsRefused() {
        CourseRoot root;
        Chosen chosen(root, false);
        QTreeWidgetItem* intro = treeEntry(Form2, QStringLiteral("Введение"), 0);
        intro->setText(0, QStringLiteral("../../etc/passwd"));
        doubleClick(Form2->TreeView1, intro);
        QCOMPARE(chosen.windows.desktop.errors.size(), 1);
        QCOMPARE(Form3->LastAddress, QString());
        QCOMPARE(root.rows(QStringLiteral("user1")).first(), QStringLiteral("Айгерим|1 Неделя"));
        QVERIFY(Form2->isVisible() && !Form3->isVisible());
    }

    void weekMenu_data() {
        QTest::addColumn<bool>("kazakh");
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("address");  // empty: nothing opened
        QTest::addColumn<QString>("chapter");  // empty: nothing recorded
        QTest::addColumn<int>("video");

        QTest::newRow("section") << false << "1 Неделя"
                                 << "Практическая работа №1"
                                 << "/web/1 Неделя.htm#a2"
                                 << "1 НеделяПрактическая работа №1" << 0;
        QTest::newRow("lecture") << false << "1 Неделя"
                                 << "Лекция"
                                 << "/web/1 Неделя.htm#a1"
                                 << "1 НеделяЛекция" << 0;
        QTest::newRow("top-level page") << false << "Введение"
                                        << ""
                                        << "/web/Введение.htm"
                                        << "Введение" << 0;
        QTest::newRow("week 7 laboratory work acts like its twins") << false << "7 Неделя"
                                                                    << "Лабораторная работа№7"
                                                                    << "/web/7 Неделя.htm#a3"
                                                                    << "7 НеделяЛабораторная работа№7" << 0;
        QTest::newRow("video") << false << "Видеоматериал"
                               << "4"
                               << ""
                               << "" << 4;
        QTest::newRow("video submenu itself") << false << "Видеоматериал"
                                              << ""
                                              << ""
                                              << "" << 0;
        QTest::newRow("Kazakh 8 Тарау") << true << "8 Тарау"
                                        << "Практикалық жұмыс №8"
                                        << "/web_kz/8 Тарау.htm#a1"
                                        << "8 ТарауПрактикалық жұмыс №8" << 0;
        QTest::newRow("Kazakh literature") << true << "Әдебиет"
                                           << ""
                                           << "/web_kz/Әдебиет.htm"
                                           << "Әдебиет" << 0;
        QTest::newRow("Kazakh lecture of week 1") << true << "1 Апта"
                                                  << "Дәріс"
                                                  << "/web_kz/1 Апта.htm#a1"
                                                  << "1 АптаДәріс" << 0;
        QTest::newRow("Kazakh laboratory work of week 1") << true << "1 Апта"
                                                          << "Зертханалық жұмыс№1"
                                                          << "/web_kz/1 Апта.htm#a3"
                                                          << "1 АптаЗертханалық жұмыс№1" << 0;
    }
    void weekMenu() {
        QFETCH(bool, kazakh);
        QFETCH(QString, top);
        QFETCH(QString, caption);
        QFETCH(QString, address);
        QFETCH(QString, chapter);
        QFETCH(int, video);
        CourseRoot root;
        Chosen chosen(root, kazakh);
        TViewer* window = viewer(kazakh);
        window->show();
        mainWindow(kazakh)->hide();
        QAction* action = menuItem(window, top, caption);
        QVERIFY(action);
        if (video) writeVideo(root, video);
        action->trigger();

        auto& desktop = chosen.windows.desktop;
        QVERIFY(desktop.errors.isEmpty());
        QCOMPARE(window->LastAddress, address.isEmpty() ? QString() : root.path() + address);
        QCOMPARE(root.rows(QStringLiteral("user1")).first(),
                 QStringLiteral("Айгерим|") + (chapter.isEmpty() ? QStringLiteral("1 Неделя") : chapter));
        if (!chapter.isEmpty()) QCOMPARE(mainWindow(kazakh)->StatusBar1->panelText(4), chapter);
        QCOMPARE(desktop.opened.size(), video ? 1 : 0);
        if (video)
            QCOMPARE(desktop.opened[0], QUrl::fromLocalFile(root.path() + QStringLiteral("/video/%1.avi").arg(video)));
        QVERIFY(window->isVisible());
        QVERIFY(!mainWindow(kazakh)->isVisible());
    }

    void closingTheViewerShowsItsMainWindow() {
        CourseRoot root;
        Chosen chosen(root, true);
        Form9->show();
        Form8->hide();
        menuItem(Form9, QStringLiteral("Шығу"), QString())->trigger();
        QVERIFY(!Form9->isVisible());
        QVERIFY(Form8->isVisible());
        QVERIFY(!Form2->isVisible());
    }

    void viewerGeometry_data() {
        QTest::addColumn<QRect>("workArea");
        QTest::addColumn<QSize>("viewer");
        QTest::addColumn<QSize>("pane");
        QTest::newRow("taskbar at the bottom") << QRect(0, 0, 1366, 728) << QSize(1366, 728) << QSize(1356, 648);
        QTest::newRow("taskbar at the left") << QRect(60, 0, 1306, 768) << QSize(1366, 768) << QSize(1356, 688);
        QTest::newRow("taskbar at the top") << QRect(0, 40, 1366, 728) << QSize(1366, 768) << QSize(1356, 688);
    }
    void viewerGeometry() {
        QFETCH(QRect, workArea);
        QFETCH(QSize, viewer);
        QFETCH(QSize, pane);
        CourseRoot root;
        WindowSetGuard windows(root.path());
        windows.desktop.workArea_ = workArea;
        Form3->move(200, 100);
        Form3->show();
        QCOMPARE(Form3->frameGeometry().topLeft(), QPoint(0, 0));
        QCOMPARE(Form3->frameGeometry().size(), viewer);
        QCOMPARE(Form3->WebBrowser1->size(), pane);
        // The user makes the whole window, frame included, 800 x 600.
        const QSize frame = Form3->frameGeometry().size() - Form3->size();
        Form3->resize(QSize(800, 600) - frame);
        QCOMPARE(Form3->frameGeometry().size(), QSize(800, 600));
        QCOMPARE(Form3->WebBrowser1->size(), QSize(790, 520));
    }
};

QTEST_MAIN(TestContentWindows)
#include "tst_contentwindows.moc"
