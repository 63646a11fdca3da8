// The main windows' chapter trees and the viewers' week menus: what each entry opens, what it
// records, and which windows are shown.
#include <QMenu>
#include <QMenuBar>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QWebEngineView>
#include <QtTest>

#include "app/Unit1.h"
#include "content/Unit2.h"
#include "content/Unit3.h"
#include "content/Unit8.h"
#include "content/Unit9.h"
#include "controls/Form.h"
#include "controls/StatusBar.h"
#include "controls/TreeView.h"
#include "data/Unit5.h"
#include "data/cursor/DataSet.h"
#include "tests/common/Fixture.h"
#include "tests/common/WindowSetGuard.h"

using fixture::CourseRoot;
using namespace Qt::StringLiterals;

namespace {

// The course's outline as the course describes it, written out here on its own so that a slip in
// the program's tables shows. A tree entry: its label, its pictures "normal/selected", its items
// and their pictures (one "normal/selected" for every item, or one per item, separated by commas).
struct TreeRow {
    QString label;
    QString pictures;
    QStringList items;
    QString itemPictures;
};
struct SubmenuRow {
    QString caption;
    int tag;
};
struct MenuRow {
    QString caption;
    int tag;
    QList<SubmenuRow> items;
};

const QList<TreeRow> kRussianTree = {
    {u"Введение"_s, "1/0", {}, ""},
    {u"1 Неделя"_s, "0/3", {u"Лекция"_s, u"Практическая работа №1"_s, u"Лабораторная работа №2"_s}, "1/3"},
    {u"2 Неделя"_s, "0/3", {u"Практическая работа №2"_s, u"Лабораторная работа №2"_s}, "1/3"},
    {u"3 Неделя"_s, "0/3", {u"Практическая работа №3"_s, u"Лабораторная  работа №3"_s}, "1/3"},
    {u"4 Неделя"_s, "0/3", {u"Лекция"_s, u"Практическая работа №4"_s, u"Лабораторная работа №4"_s}, "1/3"},
    {u"5 Неделя"_s, "0/3", {u"Практическая работа №5"_s, u"Лабораторная работа №5"_s}, "1/3"},
    {u"6 Неделя"_s, "0/3", {u"Практическая работа №6"_s, u"Лабораторная работа №6"_s}, "1/3"},
    {u"7 Неделя"_s, "0/3", {u"Лекция"_s, u"Практическая работа №7"_s, u"Лабораторная работа №7"_s}, "1/3,1/3,0/0"},
    {u"8 Неделя"_s, "0/3", {u"Практическая работа №8"_s, u"Лабораторная работа №8"_s}, "1/3"},
    {u"9 Неделя"_s, "0/3", {u"Практическая работа №9"_s, u"Лабораторная работа №9"_s}, "1/3"},
    {u"10 Неделя"_s, "0/0", {u"Лекция"_s, u"Практическая работа №10"_s, u"Лабораторная работа №10"_s}, "0/0"},
    {u"11 Неделя"_s, "0/0", {u"Практическая работа №11"_s, u"Лабораторная работа №11"_s}, "0/0"},
    {u"12 Неделя"_s, "0/0", {u"Практическая работа №12"_s, u"Лабораторная работа №12"_s}, "0/0"},
    {u"13 Неделя"_s, "0/0", {u"Лекция"_s, u"Практическая работа №13"_s, u"Лабораторная работа №13"_s}, "0/0"},
    {u"14 Неделя"_s, "0/0", {u"Практическая работа №14"_s, u"Лабораторная работа №14"_s}, "0/0"},
    {u"15 Неделя"_s, "0/0", {u"Практическая работа №15"_s, u"Лабораторная работа №15"_s}, "0/0"},
    {u"Видео"_s, "4/0", {u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s}, "4/0"},
    {u"Литература"_s, "1/3", {}, ""},
};
const QList<TreeRow> kKazakhTree = {
    {u"Кіріспе"_s, "1/0", {}, ""},
    {u"1 Апта"_s, "0/3", {u"Дәріс"_s, u"Практикалық жұмыс №1"_s, u"Зертханалық жұмыс№1"_s}, "1/3"},
    {u"2 Апта"_s, "0/3", {u"Практикалық жұмыс №2"_s, u"Зертханалық жұмыс№2"_s}, "1/3"},
    {u"3 Апта"_s, "0/3", {u"Практикалық жұмыс №3"_s, u"Зертханалық жұмыс№3"_s}, "1/3"},
    {u"4 Апта"_s, "0/3", {u"Дәріс"_s, u"Практикалық жұмыс №4"_s, u"Зертханалық жұмыс№3"_s}, "1/3"},
    {u"5 Апта"_s, "0/3", {u"Практикалық жұмыс №5"_s, u"Зертханалық жұмыс№5"_s}, "1/0"},
    {u"6 Апта"_s, "0/3", {u"Практикалық жұмыс №6"_s, u"Зертханалық жұмыс№6"_s}, "1/0"},
    {u"7 Апта"_s, "0/3", {u"Дәріс"_s, u"Практикалық жұмыс №7"_s, u"Зертханалық жұмыс№7"_s}, "1/0"},
    {u"8 Апта"_s, "0/3", {u"Практикалық жұмыс №8"_s, u"Зертханалық жұмыс№8"_s}, "1/0"},
    {u"9 Апта"_s, "0/0", {u"Практикалық жұмыс №9"_s, u"Зертханалық жұмыс№9"_s}, "1/0"},
    {u"10 Апта"_s, "0/0", {u"Дәріс"_s, u"Практикалық жұмыс №10"_s, u"Зертханалық жұмыс№10"_s}, "0/0"},
    {u"11 Апта"_s, "0/0", {u"Практикалық жұмыс №11"_s, u"Зертханалық жұмыс№11"_s}, "0/0"},
    {u"12 Апта"_s, "0/0", {u"Практикалық жұмыс №12"_s, u"Зертханалық жұмыс№12"_s}, "0/0"},
    {u"13 Апта"_s, "0/0", {u"Дәріс"_s, u"Практикалық жұмыс №13"_s, u"Зертханалық жұмыс№13"_s}, "0/0"},
    {u"14 Апта"_s, "0/0", {u"Практикалық жұмыс №14"_s, u"Зертханалық жұмыс№14"_s}, "0/0"},
    {u"15 Апта"_s, "0/0", {u"Практикалық жұмыс №15"_s, u"Зертханалық жұмыс№15"_s}, "0/0"},
    {u"Видеоматериал"_s, "4/0", {u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s}, "4/0"},
    {u"Јдебиет"_s, "1/3", {}, ""},
};
const QList<MenuRow> kRussianMenu = {
    {u"Введение"_s, 1, {}},
    {u"1 Неделя"_s, 1, {{u"Лекция"_s, 2}, {u"Практическая работа №1"_s, 3}, {u"Практическая работа №2"_s, 4}}},
    {u"2 Неделя"_s, 1, {{u"Практическая работа №2"_s, 2}, {u"Лабораторная работа №2"_s, 3}}},
    {u"3 Неделя"_s, 1, {{u"Практическая работа №3"_s, 2}, {u"Лабораторная работа №3"_s, 3}}},
    {u"4 Неделя"_s, 1, {{u"Лекция"_s, 2}, {u"Практическая работа №4"_s, 3}, {u"Лабораторная работа №4"_s, 4}}},
    {u"5 Неделя"_s, 1, {{u"Практическая работа №5"_s, 2}, {u"Лабораторная работа №5"_s, 3}}},
    {u"6 Неделя"_s, 1, {{u"Практическая работа №6"_s, 2}, {u"Лабораторная работа №6"_s, 3}}},
    {u"7 Неделя"_s, 1, {{u"Лекция"_s, 2}, {u"Практическая работа№7"_s, 3}, {u"Лабораторная работа№7"_s, 4}}},
    {u"8 Неделя"_s, 1, {{u"Практическая работа №8"_s, 2}, {u"Лабораторная работа №8"_s, 3}}},
    {u"9 Неделя"_s, 1, {{u"Практическая работа №9"_s, 2}, {u"Лабораторная работа №9"_s, 3}}},
    {u"10 Неделя"_s, 1, {{u"Лекция"_s, 2}, {u"Практическая работа №10"_s, 3}, {u"Лабораторная работа №10"_s, 4}}},
    {u"11 Неделя"_s, 1, {{u"Практическая работа №11"_s, 2}, {u"Лабораторная работа №11"_s, 3}}},
    {u"12 Неделя"_s, 1, {{u"Практическая работа №12"_s, 2}, {u"Лабораторная работа №12"_s, 3}}},
    {u"13 Неделя"_s, 1, {{u"Лекция"_s, 2}, {u"Практическая работа №13"_s, 3}, {u"Лабораторная работа №13"_s, 4}}},
    {u"14 Неделя"_s, 1, {{u"Практическая работа №14"_s, 2}, {u"Лабораторная работа №14"_s, 3}}},
    {u"15 Неделя"_s, 1, {{u"Практическая работа №15"_s, 2}, {u"Лабораторная работа №15"_s, 3}}},
    {u"Видеоматериал"_s, 11, {{u"1"_s, 21}, {u"2"_s, 22}, {u"3"_s, 23}, {u"4"_s, 24}, {u"5"_s, 25}}},
    {u"Литература"_s, 1, {}},
    {u"Тест"_s, 13, {}},
    {u"Выход"_s, 0, {}},
};
const QList<MenuRow> kKazakhMenu = {
    {u"Кіріспе"_s, 1, {}},
    {u"1 Апта"_s, 1, {{u"Дәріс"_s, 2}, {u"Практикалық жұмыс №1"_s, 3}, {u"Зертханалық жұмыс№1"_s, 4}}},
    {u"2 Апта"_s, 1, {{u"Практикалық жұмыс №2"_s, 2}, {u"Зертханалық жұмыс№2"_s, 3}}},
    {u"3 Апта"_s, 1, {{u"Практикалық жұмыс №3"_s, 2}, {u"Зертханалық жұмыс№3"_s, 3}}},
    {u"4 Апта"_s, 1, {{u"Дәріс"_s, 2}, {u"Практикалық жұмыс №4"_s, 3}, {u"Зертханалық жұмыс№4"_s, 4}}},
    {u"5 Апта"_s, 1, {{u"Практикалық жұмыс №5"_s, 2}, {u"Зертханалық жұмыс№5"_s, 3}}},
    {u"6 Апта"_s, 1, {{u"Практикалық жұмыс №6"_s, 2}, {u"Зертханалық жұмыс№6"_s, 3}}},
    {u"7 Апта"_s, 1, {{u"Дәріс"_s, 2}, {u"Практикалық жұмыс №7"_s, 3}, {u"Зертханалық жұмыс№7"_s, 4}}},
    {u"8 Тарау"_s, 1, {{u"Практикалық жұмыс №8"_s, 2}, {u"Зертханалық жұмыс№8"_s, 3}}},
    {u"9 Апта"_s, 1, {{u"Практикалық жұмыс №9"_s, 2}, {u"Зертханалық жұмыс№9"_s, 3}}},
    {u"10 Апта"_s, 1, {{u"Дәріс"_s, 2}, {u"Практикалық жұмыс №10"_s, 3}, {u"Зертханалық жұмыс№10"_s, 4}}},
    {u"11 Апта"_s, 1, {{u"Практикалық жұмыс №11"_s, 2}, {u"Зертханалық жұмыс№11"_s, 3}}},
    {u"12 Апта"_s, 1, {{u"Практикалық жұмыс №12"_s, 2}, {u"Зертханалық жұмыс№12"_s, 3}}},
    {u"13 Апта"_s, 1, {{u"Дәріс"_s, 2}, {u"Практикалық жұмыс №13"_s, 3}, {u"Зертханалық жұмыс№13"_s, 4}}},
    {u"14 Апта"_s, 1, {{u"Практикалық жұмыс №14"_s, 2}, {u"Зертханалық жұмыс№14"_s, 3}}},
    {u"15 Апта"_s, 1, {{u"Практикалық жұмыс №15"_s, 2}, {u"Зертханалық жұмыс№15"_s, 3}}},
    {u"Видеоматериал"_s, 11, {{u"1"_s, 21}, {u"2"_s, 22}, {u"3"_s, 23}, {u"4"_s, 24}, {u"5"_s, 25}}},
    {u"Әдебиет"_s, 1, {}},
    {u"Тесті"_s, 13, {}},
    {u"Шығу"_s, 0, {}},
};

// One of the five tree pictures (folder, page, closed book, open book, video) as the artwork has it.
QImage treePicture(int index) {
    return QImage(u":/images/treeicons.png"_s).copy(index * 16, 0, 16, 16).convertToFormat(QImage::Format_ARGB32);
}

// "normal/selected": which of the five pictures an entry shows normally and while selected.
QString pictures(const QTreeWidgetItem* entry) {
    auto index = [entry](QIcon::Mode mode) {
        const QImage shown = entry->icon(0).pixmap(16, 16, mode).toImage().convertToFormat(QImage::Format_ARGB32);
        for (int i = 0; i < 5; ++i)
            if (shown == treePicture(i)) return i;
        return -1;
    };
    return QStringLiteral("%1/%2").arg(index(QIcon::Normal)).arg(index(QIcon::Selected));
}

// A tree, one line per top-level entry: "label normal/selected: item normal/selected | ...".
QStringList describe(const QList<TreeRow>& rows) {
    QStringList lines;
    for (const TreeRow& row : rows) {
        QStringList itemPictures = row.itemPictures.split(u',', Qt::SkipEmptyParts);
        if (itemPictures.size() == 1) itemPictures = QStringList(row.items.size(), itemPictures.first());
        QStringList items;
        for (int i = 0; i < row.items.size(); ++i) items << row.items[i] + u' ' + itemPictures.value(i);
        lines << row.label + u' ' + row.pictures + u": "_s + items.join(u" | ");
    }
    return lines;
}
QStringList describe(const QTreeWidget* tree) {
    QStringList lines;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* entry = tree->topLevelItem(i);
        QStringList items;
        for (int c = 0; c < entry->childCount(); ++c)
            items << entry->child(c)->text(0) + u' ' + pictures(entry->child(c));
        lines << entry->text(0) + u' ' + pictures(entry) + u": "_s + items.join(u" | ");
    }
    return lines;
}

// A menu bar, one line per item: "caption (tag): item (tag) | ...".
QStringList describe(const QList<MenuRow>& rows) {
    QStringList lines;
    for (const MenuRow& row : rows) {
        QStringList items;
        for (const SubmenuRow& item : row.items) items << QStringLiteral("%1 (%2)").arg(item.caption).arg(item.tag);
        lines << QStringLiteral("%1 (%2): ").arg(row.caption).arg(row.tag) + items.join(u" | ");
    }
    return lines;
}
QStringList describe(const QMenuBar* bar) {
    QStringList lines;
    for (const QAction* action : bar->actions()) {
        QStringList items;
        if (action->menu())
            for (const QAction* item : action->menu()->actions())
                items << QStringLiteral("%1 (%2)").arg(item->text()).arg(tagOf(item));
        lines << QStringLiteral("%1 (%2): ").arg(action->text()).arg(tagOf(action)) + items.join(u" | ");
    }
    return lines;
}

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
    // The chapter trees and week menus of both languages hold the course's outline exactly: labels,
    // pictures and tags, odd spaces and letters included; every entry starts collapsed.
    void outlineAsDescribed() {
        CourseRoot root;
        WindowSetGuard windows(root.path());
        for (int i = 0; i < 5; ++i)
            for (int j = i + 1; j < 5; ++j) QVERIFY2(treePicture(i) != treePicture(j), "two tree pictures are alike");
        QCOMPARE(describe(Form2->TreeView1), describe(kRussianTree));
        QCOMPARE(describe(Form8->TreeView1), describe(kKazakhTree));
        QCOMPARE(describe(Form3->MainMenu1), describe(kRussianMenu));
        QCOMPARE(describe(Form9->MainMenu1), describe(kKazakhMenu));
        for (bool kazakh : {false, true}) {
            TreeView* tree = mainWindow(kazakh)->TreeView1;
            for (int i = 0; i < tree->topLevelItemCount(); ++i) QVERIFY(!tree->topLevelItem(i)->isExpanded());
        }
        QCOMPARE(Form2->windowTitle(), u"Электронный учебник"_s);
        QCOMPARE(Form8->windowTitle(), u"Form8"_s);
        QCOMPARE(Form3->windowTitle(), u"3"_s);
        QCOMPARE(Form9->windowTitle(), u"Электрондык окулык"_s);
    }

    // Each entry opened by a double-click and, from the keyboard, by Enter (Return on the main block or
    // Enter on the keypad) on the entry the arrows have made current.
    void doubleClickRule_data() {
        QTest::addColumn<QString>("gesture");  // "double-click", "Return" or "Enter"
        QTest::addColumn<bool>("kazakh");
        QTest::addColumn<QString>("top");
        QTest::addColumn<int>("item");         // 0: the top-level entry itself
        QTest::addColumn<QString>("address");  // relative to the root; empty: a video was played
        QTest::addColumn<QString>("chapter");

        for (const char* gesture : {"double-click", "Return", "Enter"}) {
            auto row = [gesture](const char* name) -> QTestData& { return QTest::addRow("%s: %s", gesture, name); };
            row("week page") << gesture << false << "1 Неделя" << 0 << "/web/1 Неделя.htm"
                             << "1 Неделя";
            row("section by position") << gesture << false << "1 Неделя" << 2 << "/web/1 Неделя.htm#a2"
                                       << "Практическая работа №1";
            row("third item is a3 whatever its label") << gesture << false << "1 Неделя" << 3 << "/web/1 Неделя.htm#a3"
                                                       << "Лабораторная работа №2";
            row("label with two spaces") << gesture << false << "3 Неделя" << 2 << "/web/3 Неделя.htm#a2"
                                         << "Лабораторная  работа №3";
            row("video root is a page") << gesture << false << "Видео" << 0 << "/web/Видео.htm"
                                        << "Видео";
            row("video") << gesture << false << "Видео" << 3 << ""
                         << "";
            row("Kazakh section") << gesture << true << "4 Апта" << 3 << "/web_kz/4 Апта.htm#a3"
                                  << "Зертханалық жұмыс№3";
            row("Kazakh literature") << gesture << true << "Јдебиет" << 0 << "/web_kz/Јдебиет.htm"
                                     << "Јдебиет";
            row("Kazakh video root") << gesture << true << "Видеоматериал" << 0 << "/web_kz/Видеоматериал.htm"
                                     << "Видеоматериал";
            row("Kazakh video") << gesture << true << "Видеоматериал" << 5 << ""
                                << "";
        }
    }
    void doubleClickRule() {
        QFETCH(QString, gesture);
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
        if (gesture == u"double-click") {
            doubleClick(window->TreeView1, entry);
        } else {
            QVERIFY(QTest::qWaitForWindowActive(window));
            QVERIFY(window->TreeView1->hasFocus());
            window->TreeView1->setCurrentItem(entry);
            QTest::keyClick(window->TreeView1, gesture == u"Return" ? Qt::Key_Return : Qt::Key_Enter,
                            gesture == u"Return" ? Qt::NoModifier : Qt::KeypadModifier);
            // Enter opens the entry, no more: a week keeps its expansion, which the arrows change.
            QCOMPARE(entry->isExpanded(), false);
        }

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
        QVERIFY(intro);
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
        QVERIFY(intro);
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
        QTest::addColumn<int>("tag");  // -1: the item is chosen as it is; else svChange gets it carrying this tag

        QTest::newRow("section") << false << "1 Неделя"
                                 << "Практическая работа №1"
                                 << "/web/1 Неделя.htm#a2"
                                 << "1 НеделяПрактическая работа №1" << 0 << -1;
        QTest::newRow("lecture") << false << "1 Неделя"
                                 << "Лекция"
                                 << "/web/1 Неделя.htm#a1"
                                 << "1 НеделяЛекция" << 0 << -1;
        QTest::newRow("top-level page") << false << "Введение"
                                        << ""
                                        << "/web/Введение.htm"
                                        << "Введение" << 0 << -1;
        QTest::newRow("week 7 laboratory work acts like its twins") << false << "7 Неделя"
                                                                    << "Лабораторная работа№7"
                                                                    << "/web/7 Неделя.htm#a3"
                                                                    << "7 НеделяЛабораторная работа№7" << 0 << -1;
        QTest::newRow("video") << false << "Видеоматериал"
                               << "4"
                               << ""
                               << "" << 4 << -1;
        QTest::newRow("video submenu itself") << false << "Видеоматериал"
                                              << ""
                                              << ""
                                              << "" << 0 << 11;
        QTest::newRow("tag after the sections") << false << "1 Неделя"
                                                << "Лекция"
                                                << ""
                                                << "" << 0 << 10;
        QTest::newRow("tag after the videos") << false << "Видеоматериал"
                                              << "5"
                                              << ""
                                              << "" << 0 << 26;
        QTest::newRow("Kazakh 8 Тарау") << true << "8 Тарау"
                                        << "Практикалық жұмыс №8"
                                        << "/web_kz/8 Тарау.htm#a1"
                                        << "8 ТарауПрактикалық жұмыс №8" << 0 << -1;
        QTest::newRow("Kazakh literature") << true << "Әдебиет"
                                           << ""
                                           << "/web_kz/Әдебиет.htm"
                                           << "Әдебиет" << 0 << -1;
        QTest::newRow("Kazakh lecture of week 1") << true << "1 Апта"
                                                  << "Дәріс"
                                                  << "/web_kz/1 Апта.htm#a1"
                                                  << "1 АптаДәріс" << 0 << -1;
        QTest::newRow("Kazakh laboratory work of week 1") << true << "1 Апта"
                                                          << "Зертханалық жұмыс№1"
                                                          << "/web_kz/1 Апта.htm#a3"
                                                          << "1 АптаЗертханалық жұмыс№1" << 0 << -1;
    }
    void weekMenu() {
        QFETCH(bool, kazakh);
        QFETCH(QString, top);
        QFETCH(QString, caption);
        QFETCH(QString, address);
        QFETCH(QString, chapter);
        QFETCH(int, video);
        QFETCH(int, tag);
        CourseRoot root;
        Chosen chosen(root, kazakh);
        TViewer* window = viewer(kazakh);
        window->show();
        mainWindow(kazakh)->hide();
        QAction* action = menuItem(window, top, caption);
        QVERIFY(action);
        if (video) writeVideo(root, video);
        if (tag < 0) {
            action->trigger();
        } else {
            // An item with no action of its own (or a tag no item has) reaches the shared handler.
            action->setProperty("tag", tag);
            window->svChange(action);
        }

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

    // The chapter's store fails, here because another program reads the database (an open read
    // transaction that has read a row holds its lock): the error box says so, the page is not
    // loaded and the hidden main window's status bar is not refreshed.
    void weekMenuWhenTheStoreFails() {
        CourseRoot root(30, fixture::Backend::SQLite);
        Chosen chosen(root, false);
        Form3->show();
        Form2->hide();
        {
            QSqlDatabase reader = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"reader"_s);
            reader.setDatabaseName(root.databasePath());
            QVERIFY(reader.open());
            QSqlQuery read(reader);
            QVERIFY(read.exec(u"BEGIN"_s));
            QVERIFY(read.exec(u"SELECT \"user\" FROM user1"_s));
            QVERIFY(read.next());

            menuItem(Form3, u"1 Неделя"_s, u"Практическая работа №1"_s)->trigger();
            const auto& errors = chosen.windows.desktop.errors;
            QCOMPARE(errors.size(), 1);
            QVERIFY2(errors[0].text.contains(u"locked"_s), qPrintable(errors[0].text));
            QCOMPARE(Form3->LastAddress, QString());
            QVERIFY(Form3->WebBrowser1->url().isEmpty());
            QCOMPARE(Form2->StatusBar1->panelText(4), u"1 Неделя"_s);
            QVERIFY(Form3->isVisible() && !Form2->isVisible());

            read.finish();
            QVERIFY(reader.rollback());
            reader.close();
        }
        QSqlDatabase::removeDatabase(u"reader"_s);
        QCOMPARE(root.rows(u"user1"_s).first(), u"Айгерим|1 Неделя"_s);
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
