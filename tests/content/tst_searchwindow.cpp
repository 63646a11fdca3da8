// The course search window with the real browser engine: Ctrl+Shift+F opens it from the main
// windows and the viewers; words typed list the pages, and Enter opens the chosen one in the viewer
// as the week menu does (the chapter recorded and shown, a failed store keeping the page from
// loading) and finds the word there; the index is built while the window goes on answering; a page
// changed on disk is found by what it says now.
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

#include "app/Unit1.h"
#include "content/SearchWindow.h"
#include "content/Unit2.h"
#include "content/Unit3.h"
#include "content/Unit8.h"
#include "content/Unit9.h"
#include "controls/StatusBar.h"
#include "tests/common/Fixture.h"
#include "tests/common/PageScript.h"
#include "tests/common/WindowSetGuard.h"

using fixture::CourseRoot;
using namespace Qt::StringLiterals;

namespace {

void writePage(const CourseRoot& root, const QString& directory, const QString& name, const QString& body) {
    const QString path = root.path() + u'/' + directory + u'/' + name + u".htm"_s;
    QDir().mkpath(QFileInfo(path).path());
    QFile page(path);
    if (!page.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write the fixture page");
    page.write("<html><head><meta charset='utf-8'></head><body>" + body.toUtf8() + "</body></html>");
}

struct Chosen {
    Chosen(const CourseRoot& root, bool kazakh) : windows(root.path()) {
        Form1->show();
        (kazakh ? Form1->SpeedButton2 : Form1->SpeedButton1)->click();
    }
    WindowSetGuard windows;
};

void pressSearchKey(QWidget* window) {
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QWidget* focused = QApplication::focusWidget();
    QTest::keyClick(focused ? focused : window, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
}

// Types text into a widget key by key, as a keyboard with Cyrillic letters does.
void type(QWidget* widget, const QString& text) {
    for (const QChar c : text) QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QStringList listed(const TSearchWindow* search) {
    QStringList rows;
    for (int i = 0; i < search->Hits->topLevelItemCount(); ++i)
        rows << search->Hits->topLevelItem(i)->text(0) + u" | "_s + search->Hits->topLevelItem(i)->text(1);
    return rows;
}

}  // namespace

class TestSearchWindow : public QObject {
    Q_OBJECT

private slots:
    void keyOpensTheLanguagesSearch_data() {
        QTest::addColumn<bool>("kazakh");
        QTest::addColumn<bool>("fromViewer");
        QTest::newRow("Russian main window") << false << false;
        QTest::newRow("Russian viewer") << false << true;
        QTest::newRow("Kazakh main window") << true << false;
        QTest::newRow("Kazakh viewer") << true << true;
    }
    void keyOpensTheLanguagesSearch() {
        QFETCH(bool, kazakh);
        QFETCH(bool, fromViewer);
        CourseRoot root;
        writePage(root, u"web"_s, u"Введение"_s, u"<p>Черепаха</p>"_s);
        writePage(root, u"web_kz"_s, u"Кіріспе"_s, u"<p>Тасбақа</p>"_s);
        Chosen chosen(root, kazakh);
        const Language language = kazakh ? Language::Kazakh : Language::Russian;
        QWidget* window = kazakh ? static_cast<QWidget*>(Form8) : Form2;
        if (fromViewer) {
            TViewer* viewer = kazakh ? static_cast<TViewer*>(Form9) : Form3;
            QSignalSpy loaded(viewer->WebBrowser1, &QWebEngineView::loadFinished);
            viewer->ShowPage(PageAddress(root.path(), language, kazakh ? u"Кіріспе"_s : u"Введение"_s));
            viewer->show();
            QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 1, 20000);
            viewer->WebBrowser1->setFocus();
            window = viewer;
        }
        QVERIFY(!CourseSearchWindow(language));  // nothing is made before it is asked for
        pressSearchKey(window);
        TSearchWindow* search = CourseSearchWindow(language);
        QVERIFY(search && search->isVisible());
        QVERIFY(!CourseSearchWindow(kazakh ? Language::Russian : Language::Kazakh));
        QCOMPARE(search->Variant, language);
        QTRY_VERIFY(search->Words->hasFocus());
        type(search->Words, kazakh ? u"тасбақа"_s : u"черепаха"_s);
        QTRY_COMPARE_WITH_TIMEOUT(listed(search),
                                  QStringList{kazakh ? u"Кіріспе | Тасбақа"_s : u"Введение | Черепаха"_s}, 20000);
        // The window speaks the student's language.
        QCOMPARE(search->Status->text(), kazakh ? u"Табылған беттер саны: 1"_s : u"Найдено страниц: 1"_s);
        QVERIFY(chosen.windows.desktop.errors.isEmpty());
    }

    // The chosen page opens as the week menu's "Введение" opens its page: the chapter is the page's
    // name, recorded and shown in the main window's status bar; the viewer takes the main window's
    // place and the word is found in the page, far below its top.
    void enterOpensThePageAndFindsTheWord() {
        CourseRoot root;
        writePage(root, u"web"_s, u"5 Неделя"_s,
                  u"<h2 id='a1'>Раздел</h2><div style='height:3000px'>текст</div><p>Здесь живёт Черепаха.</p>"_s);
        writePage(root, u"web"_s, u"Введение"_s, u"<p>Черепаховый суп.</p>"_s);
        Chosen chosen(root, false);
        OpenCourseSearch(Language::Russian, Form2);
        TSearchWindow* search = CourseSearchWindow(Language::Russian);
        type(search->Words, u"черепаха "_s);  // the whole word: "Черепаховый" is not it
        QTRY_COMPARE_WITH_TIMEOUT(listed(search), QStringList{u"5 Неделя | Здесь живёт Черепаха."_s}, 20000);
        QVERIFY(Form2->isVisible());

        QTest::keyClick(search->Words, Qt::Key_Return);
        QVERIFY(chosen.windows.desktop.errors.isEmpty());
        QCOMPARE(Form3->LastAddress, root.path() + u"/web/5 Неделя.htm"_s);
        QCOMPARE(root.rows(u"user1"_s).first(), u"Айгерим|5 Неделя"_s);
        QCOMPARE(Form2->StatusBar1->panelText(2), u"Айгерим"_s);
        QCOMPARE(Form2->StatusBar1->panelText(4), u"5 Неделя"_s);
        QVERIFY(Form3->isVisible());
        QVERIFY(!Form2->isVisible());
        QVERIFY(search->isVisible());

        QSignalSpy findings(Form3->WebBrowser1->page(), &QWebEnginePage::findTextFinished);
        QTRY_COMPARE_WITH_TIMEOUT(findings.size(), 1, 20000);
        const auto finding = findings.first().first().value<QWebEngineFindTextResult>();
        QCOMPARE(finding.numberOfMatches(), 1);
        QCOMPARE(finding.activeMatch(), 1);
        QTRY_VERIFY(evaluate(Form3->WebBrowser1, u"window.scrollY"_s).toDouble() > 1000);

        // Both pages for the start of the word, the shorter text first; Down and Up move in the list
        // while the words keep the focus, and Enter opens the one chosen.
        search->Words->setText(u"череп"_s);
        QTRY_COMPARE_WITH_TIMEOUT(
            listed(search), (QStringList{u"Введение | Черепаховый суп."_s, u"5 Неделя | Здесь живёт Черепаха."_s}),
            20000);
        QCOMPARE(search->Hits->currentItem()->text(0), u"Введение"_s);
        QTest::keyClick(search->Words, Qt::Key_Down);
        QCOMPARE(search->Hits->currentItem()->text(0), u"5 Неделя"_s);
        QTest::keyClick(search->Words, Qt::Key_Up);
        QCOMPARE(search->Hits->currentItem()->text(0), u"Введение"_s);
        QTest::keyClick(search->Words, Qt::Key_Enter);
        QCOMPARE(Form3->LastAddress, root.path() + u"/web/Введение.htm"_s);
        QCOMPARE(Form2->StatusBar1->panelText(4), u"Введение"_s);
        QCOMPARE(root.rows(u"user1"_s).first(), u"Айгерим|Введение"_s);
        QTRY_COMPARE_WITH_TIMEOUT(findings.size(), 2, 20000);
        QCOMPARE(findings.last().first().value<QWebEngineFindTextResult>().numberOfMatches(), 1);
        QVERIFY(Form3->isVisible() && !Form2->isVisible());

        // A lone letter asks nothing yet: the list empties and nothing is said to be missing.
        search->Words->setText(u"ч"_s);
        QTRY_COMPARE_WITH_TIMEOUT(search->Status->text(), QString(), 20000);
        QCOMPARE(search->Hits->topLevelItemCount(), 0);
    }

    // A double-click opens a hit too; the same page again is loaded and the word found again.
    void doubleClickOpensAHit() {
        CourseRoot root;
        writePage(root, u"web_kz"_s, u"3 Апта"_s, u"<p>ҚАЗАҚ тілі</p>"_s);
        Chosen chosen(root, true);
        OpenCourseSearch(Language::Kazakh, Form8);
        TSearchWindow* search = CourseSearchWindow(Language::Kazakh);
        type(search->Words, u"қазақ"_s);
        QTRY_COMPARE_WITH_TIMEOUT(listed(search), QStringList{u"3 Апта | ҚАЗАҚ тілі"_s}, 20000);
        QSignalSpy loaded(Form9->WebBrowser1, &QWebEngineView::loadFinished);
        for (int time = 1; time <= 2; ++time) {
            QTreeWidgetItem* hit = search->Hits->topLevelItem(0);
            const QRect place = search->Hits->visualItemRect(hit);
            QTest::mouseClick(search->Hits->viewport(), Qt::LeftButton, {}, place.center());
            QTest::mouseDClick(search->Hits->viewport(), Qt::LeftButton, {}, place.center());
            QCOMPARE(Form9->LastAddress, root.path() + u"/web_kz/3 Апта.htm"_s);
            QCOMPARE(Form8->StatusBar1->panelText(4), u"3 Апта"_s);
            QSignalSpy findings(Form9->WebBrowser1->page(), &QWebEnginePage::findTextFinished);
            QTRY_COMPARE_WITH_TIMEOUT(findings.size(), 1, 20000);
            QCOMPARE(findings.first().first().value<QWebEngineFindTextResult>().numberOfMatches(), 1);
            QCOMPARE(loaded.size(), time);
        }
        QCOMPARE(root.rows(u"user1"_s).first(), u"Айгерим|3 Апта"_s);
        QVERIFY(Form9->isVisible() && !Form8->isVisible());
    }

    // The chapter's store is refused: the error box says why, the page is not loaded, no window
    // changes and the register keeps the chapter it had.
    void aFailedStoreKeepsThePageFromLoading() {
        CourseRoot root(30, fixture::Backend::SQLite);
        writePage(root, u"web"_s, u"5 Неделя"_s, u"<p>Черепаха</p>"_s);
        Chosen chosen(root, false);
        root.refuseStores(u"запись запрещена"_s);
        OpenCourseSearch(Language::Russian, Form2);
        TSearchWindow* search = CourseSearchWindow(Language::Russian);
        type(search->Words, u"черепаха"_s);
        QTRY_COMPARE_WITH_TIMEOUT(search->Hits->topLevelItemCount(), 1, 20000);
        QTest::keyClick(search->Words, Qt::Key_Return);
        const auto& errors = chosen.windows.desktop.errors;
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].text.contains(u"запись запрещена"_s), qPrintable(errors[0].text));
        QCOMPARE(Form3->LastAddress, QString());
        QVERIFY(Form3->WebBrowser1->url().isEmpty());
        QVERIFY(!Form3->isVisible() && Form2->isVisible());
        QCOMPARE(Form2->StatusBar1->panelText(4), u"1 Неделя"_s);
        QCOMPARE(root.rows(u"user1"_s).first(), u"Айгерим|1 Неделя"_s);
    }

    // The first question builds the index in its own thread: while it is built the window says so,
    // takes the student's typing and its event loop goes on; the answer is for the words typed last.
    void theWindowAnswersWhileTheIndexIsBuilt() {
        CourseRoot root;
        const QString filler = u"<p>"_s + u"данные массив цикл условие функция переменная "_s.repeated(8) + u"</p>"_s;
        for (int n = 1; n <= 400; ++n)
            writePage(root, u"web"_s, u"Страница "_s + QString::number(n),
                      filler.repeated(30) + (n == 77 ? u"<p>Черепаха</p>"_s : QString()));
        Chosen chosen(root, false);
        OpenCourseSearch(Language::Russian, Form2);
        TSearchWindow* search = CourseSearchWindow(Language::Russian);
        const QString building = u"Составляется указатель страниц…"_s;
        QCOMPARE(search->Status->text(), building);

        int ticks = 0;
        QTimer timer;
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (search->Status->text() == building) ++ticks;
        });
        timer.start();
        type(search->Words, u"чер"_s);
        QCOMPARE(search->Words->text(), u"чер"_s);
        QTRY_VERIFY_WITH_TIMEOUT(ticks >= 3, 20000);
        type(search->Words, u"епаха"_s);
        QTRY_COMPARE_WITH_TIMEOUT(listed(search), QStringList{u"Страница 77 | Черепаха"_s}, 60000);
        QCOMPARE(search->Status->text(), u"Найдено страниц: 1"_s);
    }

    // Opening the window again reads again a page changed on disk since.
    void aChangedPageIsFoundByWhatItSaysNow() {
        CourseRoot root;
        writePage(root, u"web"_s, u"6 Неделя"_s, u"<p>Слон</p>"_s);
        Chosen chosen(root, false);
        pressSearchKey(Form2);
        TSearchWindow* search = CourseSearchWindow(Language::Russian);
        QVERIFY(search);
        type(search->Words, u"жираф"_s);
        QTRY_COMPARE_WITH_TIMEOUT(search->Status->text(), u"Ничего не найдено"_s, 20000);
        QTest::keyClick(search->Words, Qt::Key_Escape);
        QVERIFY(!search->isVisible());

        writePage(root, u"web"_s, u"6 Неделя"_s, u"<p>Слон и жираф</p>"_s);
        pressSearchKey(Form2);
        QVERIFY(search->isVisible());
        QCOMPARE(search->Words->selectedText(), u"жираф"_s);
        QTRY_COMPARE_WITH_TIMEOUT(listed(search), QStringList{u"6 Неделя | Слон и жираф"_s}, 20000);
    }
};

QTEST_MAIN(TestSearchWindow)
#include "tst_searchwindow.moc"
