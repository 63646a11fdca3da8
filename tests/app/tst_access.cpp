// Every window worked from the keyboard and read by a screen reader: the tab order of each window and
// where the keyboard is when it appears, buttons pressed with Space and Enter, the focus frame shown
// only once Tab is used, and the name every control a student can reach has, in the window's language,
// as Qt's accessibility interface gives it to a screen reader.
#include <QAccessible>
#include <QMenuBar>
#include <QWebEngineView>
#include <QtTest>

#include "app/Unit1.h"
#include "content/Unit2.h"
#include "content/Unit3.h"
#include "content/Unit8.h"
#include "content/Unit9.h"
#include "controls/StatusBar.h"
#include "data/Unit5.h"
#include "data/Unit6.h"
#include "data/controls/DBText.h"
#include "data/cursor/DataSet.h"
#include "testing/Unit4.h"
#include "testing/Unit7.h"
#include "tests/common/Fixture.h"
#include "tests/common/WindowSetGuard.h"
#include "tests/testing/TestRun.h"
#include "translations/Translations.h"

using fixture::CourseRoot;
using testrun::FixedWindowStart;

namespace {

// The names a screen reader reads for each control a student can reach, window by window, by the
// controls' object names. The testing window stands on question 6 of the fixture's bank.
using Names = QHash<QString, QString>;
const QHash<QString, Names> kRussianNames = {
    {"TForm1",
     {{"SpeedButton2", "Kaz — қазақ тілі"}, {"SpeedButton1", "Rus — русский язык"}, {"SpeedButton3", "Выход"}}},
    {"TForm2",
     {{"TreeView1", "Главы курса"},
      {"test5", "Тестирование"},
      {"SpeedButton1", "Регистрация пользователя"},
      {"Memo1", "Титульная страница"},
      {"SpeedButton2", "Закрыть"}}},
    {"TForm3", {{"MainMenu1", "Меню недель"}}},
    {"TForm4",
     {{"DBMemo1", "Вопрос"},
      {"DBText2", "Ответ A: 6-a"},
      {"DBText3", "Ответ B: 6-b"},
      {"DBText4", "Ответ C: 6-c"},
      {"DBText5", "Ответ D: 6-d"},
      {"DBText6", "Ответ E: 6-e"},
      {"SpeedButton1", "Предыдущий вопрос"},
      {"SpeedButton2", "Следующий вопрос"},
      {"SpeedButton20", "Закончить тест"}}},
    {"TForm6",
     {{"DBGrid1", "Список пользователей"},
      {"DBEdit1", "Имя пользователя"},
      {"InsertButton", "Вставить запись"},
      {"DeleteButton", "Удалить запись"},
      {"PostButton", "Сохранить запись"},
      {"Button1", "Закрыть"}}},
    {"TForm7", {{"Memo1", "Итоги теста"}, {"BitBtn1", "Ok"}, {"Button1", "Отправить"}, {"Button2", "Печать"}}},
};
const QHash<QString, Names> kKazakhNames = {
    {"TForm8",
     {{"TreeView1", "Курс тараулары"},
      {"test5", "Тестілеу"},
      {"SpeedButton1", "Пайдаланушыны тіркеу"},
      {"Memo2", "Титул беті"},
      {"SpeedButton3", "Жабу"}}},
    {"TForm9", {{"MainMenu1", "Апталар мәзірі"}}},
    {"TForm4",
     {{"DBMemo1", "Сұрақ"},
      {"DBText2", "A жауабы: 6-a"},
      {"DBText3", "B жауабы: 6-b"},
      {"DBText4", "C жауабы: 6-c"},
      {"DBText5", "D жауабы: 6-d"},
      {"DBText6", "E жауабы: 6-e"},
      {"SpeedButton1", "Алдыңғы сұрақ"},
      {"SpeedButton2", "Келесі сұрақ"},
      {"SpeedButton20", "Тестті аяқтау"}}},
    {"TForm6",
     {{"DBGrid1", "Пайдаланушылар тізімі"},
      {"DBEdit1", "Пайдаланушы аты"},
      {"InsertButton", "Жазба қосу"},
      {"DeleteButton", "Жазбаны жою"},
      {"PostButton", "Жазбаны сақтау"},
      {"Button1", "Жабу"}}},
    {"TForm7", {{"Memo1", "Тест қорытындысы"}, {"BitBtn1", "Ok"}, {"Button1", "Жіберу"}, {"Button2", "Басып шығару"}}},
};

bool insideBrowser(const QWidget* control, const QWidget* window) {
    for (const QWidget* up = control->parentWidget(); up && up != window; up = up->parentWidget())
        if (qobject_cast<const QWebEngineView*>(up)) return true;
    return false;
}

// The controls of a window a student reaches with Tab or uses with a click, the drag pictures aside
// (the page inside a viewer's browser pane is read as the page's own; Tab reaches it once loaded).
QList<QWidget*> reachableControls(QWidget* window) {
    QList<QWidget*> controls;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (!control->isVisibleTo(window) || insideBrowser(control, window)) continue;
        const bool clickable = qobject_cast<QAbstractButton*>(control) || qobject_cast<DBText*>(control) ||
                               qobject_cast<QMenuBar*>(control);
        if ((control->focusPolicy() & Qt::TabFocus) || clickable) controls << control;
    }
    return controls;
}

// Each reachable control's name as a screen reader gets it, or a line naming what is wrong.
QStringList misnamed(QWidget* window, const Names& expected) {
    QStringList wrong;
    const QString form = QString::fromLatin1(window->metaObject()->className());
    QStringList seen;
    for (QWidget* control : reachableControls(window)) {
        const QString name = control->objectName();
        seen << name;
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(control);
        const QString said = reader ? reader->text(QAccessible::Name) : QString();
        if (!expected.contains(name))
            wrong << QStringLiteral("%1.%2 (%3) is not expected; it reads «%4»")
                         .arg(form, name, QString::fromLatin1(control->metaObject()->className()), said);
        else if (said != expected.value(name))
            wrong << QStringLiteral("%1.%2 reads «%3», expected «%4»").arg(form, name, said, expected.value(name));
        // A picture button also tells what it does.
        const bool button = qobject_cast<QAbstractButton*>(control) || qobject_cast<DBText*>(control);
        if (button && reader && reader->text(QAccessible::Description).isEmpty())
            wrong << QStringLiteral("%1.%2 has no description").arg(form, name);
    }
    for (auto name = expected.constBegin(); name != expected.constEnd(); ++name)
        if (!seen.contains(name.key())) wrong << QStringLiteral("%1.%2 is not reachable").arg(form, name.key());
    return wrong;
}

// A window brought up as the student brings it up, by the object name of its class.
enum class Window { Form1, Form2, Form8, Form4, Form6, Form7 };

QWidget* bringUp(Window which, platform::RecordingDesktop& desktop) {
    Form1->show();
    if (which == Window::Form1) return Form1;
    (which == Window::Form8 ? Form1->SpeedButton2 : Form1->SpeedButton1)->click();
    switch (which) {
        case Window::Form1:
        case Window::Form2:
            return Form2;
        case Window::Form8:
            return Form8;
        case Window::Form6:
            Form2->SpeedButton1->click();
            return Form6;
        case Window::Form4:
            StartTest(Language::Russian);
            return Form4;
        case Window::Form7:
            StartTest(Language::Russian);
            desktop.answers << true;  // finish with nothing answered
            Form4->SpeedButton20->click();
            return Form7;
    }
    return nullptr;
}

QString focusName() {
    const QWidget* focus = QApplication::focusWidget();
    return !focus ? QStringLiteral("(none)") : focus->isWindow() ? QStringLiteral("(window)") : focus->objectName();
}

// Tab, or in a grid, where Tab walks the cells, Ctrl+Tab.
void tab(bool forward) {
    QWidget* focus = QApplication::focusWidget();
    const bool grid = qobject_cast<QTableView*>(focus);
    if (forward)
        QTest::keyClick(focus, Qt::Key_Tab, grid ? Qt::ControlModifier : Qt::NoModifier);
    else
        QTest::keyClick(focus, Qt::Key_Backtab, grid ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ShiftModifier);
}

}  // namespace

Q_DECLARE_METATYPE(Window)

class TestAccess : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { testrun::AllowBrowserAsRoot(); }

    // Where the keyboard is when a window appears (as it always was: never on a button, so that no key
    // presses one unseen), and the order Tab and Shift+Tab walk its controls in. The register and the
    // results keep the order the course gave them; the language window has no control with the keyboard
    // until Tab.
    void tabOrder_data() {
        QTest::addColumn<Window>("window");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QStringList>("cycle");  // from the first control Tab reaches, round to it again
        QTest::newRow("language") << Window::Form1 << "(window)"
                                  << QStringList{"SpeedButton2", "SpeedButton1", "SpeedButton3"};
        QTest::newRow("Russian main") << Window::Form2 << "TreeView1"
                                      << QStringList{"TreeView1", "test5", "SpeedButton1", "Memo1", "SpeedButton2"};
        QTest::newRow("Kazakh main") << Window::Form8 << "TreeView1"
                                     << QStringList{"TreeView1", "test5", "SpeedButton1", "Memo2", "SpeedButton3"};
        QTest::newRow("testing") << Window::Form4 << "DBMemo1"
                                 << QStringList{"DBMemo1", "DBText2",      "DBText3",      "DBText4",      "DBText5",
                                                "DBText6", "SpeedButton1", "SpeedButton2", "SpeedButton20"};
        // Nothing is being changed, so the navigator's post is disabled and Tab passes it by.
        QTest::newRow("register") << Window::Form6 << "DBGrid1"
                                  << QStringList{"DBGrid1", "DBEdit1", "InsertButton", "DeleteButton", "Button1"};
        QTest::newRow("results") << Window::Form7 << "Memo1" << QStringList{"Memo1", "BitBtn1", "Button1", "Button2"};
    }
    void tabOrder() {
        QFETCH(Window, window);
        QFETCH(QString, first);
        QFETCH(QStringList, cycle);
        CourseRoot root;
        WindowSetGuard windows(root.path());
        FixedWindowStart fixed(6);
        QWidget* shown = bringUp(window, windows.desktop);
        QVERIFY(QTest::qWaitForWindowActive(shown));
        QCOMPARE(focusName(), first);
        if (first == u"(window)") tab(true);

        QStringList forward{focusName()};
        for (int i = 0; i < cycle.size(); ++i) {
            tab(true);
            forward << focusName();
        }
        QCOMPARE(forward, cycle + QStringList{cycle.first()});
        QStringList backward{focusName()};
        for (int i = 0; i < cycle.size(); ++i) {
            tab(false);
            backward << focusName();
        }
        QStringList reversed{cycle.first()};
        for (qsizetype i = cycle.size() - 1; i >= 0; --i) reversed << cycle[i];
        QCOMPARE(backward, reversed);
        QVERIFY(windows.desktop.errors.isEmpty());
    }

    // A button reached with Tab is pressed with Space, as every button is, and with Enter; the keys the
    // language window gets before Tab choose nothing.
    void buttonsByKeys_data() {
        QTest::addColumn<Window>("window");
        QTest::addColumn<int>("tabs");  // Tab presses (negative: Shift+Tab) before the key
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("pressed");
        QTest::newRow("language window, Enter before Tab") << Window::Form1 << 0 << "Return"
                                                           << "(window)";
        QTest::newRow("language window, Space before Tab") << Window::Form1 << 0 << "Space"
                                                           << "(window)";
        QTest::newRow("Rus by Enter") << Window::Form1 << 2 << "Return"
                                      << "SpeedButton1";
        QTest::newRow("Kaz by Space") << Window::Form1 << 1 << "Space"
                                      << "SpeedButton2";
        QTest::newRow("testing by Enter") << Window::Form2 << 1 << "Return"
                                          << "test5";
        QTest::newRow("register by Space") << Window::Form8 << 2 << "Space"
                                           << "SpeedButton1";
        QTest::newRow("register's X by Enter") << Window::Form6 << -1 << "Return"
                                               << "Button1";
        QTest::newRow("printing by Enter") << Window::Form7 << 3 << "Return"
                                           << "Button2";
        QTest::newRow("finishing by Space") << Window::Form4 << -1 << "Space"
                                            << "SpeedButton20";
    }
    void buttonsByKeys() {
        QFETCH(Window, window);
        QFETCH(int, tabs);
        QFETCH(QString, key);
        QFETCH(QString, pressed);
        CourseRoot root;
        WindowSetGuard windows(root.path());
        FixedWindowStart fixed(6);
        QWidget* shown = bringUp(window, windows.desktop);
        QVERIFY(QTest::qWaitForWindowActive(shown));
        for (int i = 0; i < qAbs(tabs); ++i) tab(tabs > 0);
        QCOMPARE(focusName(), pressed);
        QStringList clicks;
        for (auto* button : shown->findChildren<QAbstractButton*>())
            connect(button, &QAbstractButton::clicked, this, [&clicks, button] { clicks << button->objectName(); });
        QTest::keyClick(QApplication::focusWidget(), key == u"Space" ? Qt::Key_Space : Qt::Key_Return);
        QCOMPARE(clicks, pressed == u"(window)" ? QStringList() : QStringList{pressed});
        if (pressed == u"(window)") {
            QVERIFY(Form1->isVisible());
            QVERIFY(!DataModule5->ADOTable1->isActive());
        }
    }

    // A control shows that it has the keyboard once Tab brought it there, and looks as it always did
    // when it got the keyboard otherwise (the window appearing, a program's own move).
    void focusFrameOnlyFromTheKeyboard_data() {
        QTest::addColumn<Window>("window");
        QTest::addColumn<QString>("control");
        QTest::newRow("main window's test button") << Window::Form2 << "test5";
        QTest::newRow("main window's close cross") << Window::Form8 << "SpeedButton3";
        QTest::newRow("an answer") << Window::Form4 << "DBText3";
        QTest::newRow("the > button") << Window::Form4 << "SpeedButton2";
    }
    void focusFrameOnlyFromTheKeyboard() {
        QFETCH(Window, window);
        QFETCH(QString, control);
        CourseRoot root;
        WindowSetGuard windows(root.path());
        FixedWindowStart fixed(6);
        QWidget* shown = bringUp(window, windows.desktop);
        QVERIFY(QTest::qWaitForWindowActive(shown));
        auto* target = shown->findChild<QWidget*>(control);
        QVERIFY(target);
        const QImage unfocused = target->grab().toImage();
        target->setFocus(Qt::OtherFocusReason);
        QVERIFY(target->hasFocus());
        QCOMPARE(target->grab().toImage(), unfocused);

        shown->setFocus(Qt::OtherFocusReason);
        for (int i = 0; i < 12 && QApplication::focusWidget() != target; ++i) tab(true);
        QCOMPARE(QApplication::focusWidget(), target);
        QVERIFY2(target->grab().toImage() != unfocused, "the control does not show it has the keyboard");
    }

    // Every control a student can reach reads out a name in the window's language, and every button
    // also what it does; the shared windows read in the language the student chose.
    void namesForScreenReaders_data() {
        QTest::addColumn<Language>("language");
        QTest::newRow("Russian") << Language::Russian;
        QTest::newRow("Kazakh") << Language::Kazakh;
    }
    void namesForScreenReaders() {
        QFETCH(Language, language);
        const bool kazakh = language == Language::Kazakh;
        CourseRoot root;
        WindowSetGuard windows(root.path());
        FixedWindowStart fixed(6);
        QStringList wrong;
        if (!kazakh) wrong << misnamed(Form1, kRussianNames.value("TForm1"));
        Form1->show();
        // The language choice switches the program's catalogue; the windows take it up at once.
        (kazakh ? Form1->SpeedButton2 : Form1->SpeedButton1)->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        TMainForm* main = MainWindow(language);
        main->SpeedButton1->click();  // the register
        StartTest(language);
        const QHash<QString, Names>& names = kazakh ? kKazakhNames : kRussianNames;
        const QList<QWidget*> forms{main, main->Viewer(), Form4, Form6};
        for (QWidget* form : forms) wrong << misnamed(form, names.value(form->metaObject()->className()));
        windows.desktop.answers << true;
        Form4->SpeedButton20->click();
        wrong << misnamed(Form7, names.value("TForm7"));
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
        QVERIFY(windows.desktop.errors.isEmpty());
    }

    // The testing window's tooltips tell its keys, in the student's language; the finishing button
    // keeps the tooltip the course gave it.
    void tooltipsTellTheKeys() {
        CourseRoot root;
        WindowSetGuard windows(root.path());
        QCOMPARE(Form4->SpeedButton1->toolTip(), QStringLiteral("Предыдущий вопрос (←, PgUp)"));
        QCOMPARE(Form4->SpeedButton2->toolTip(), QStringLiteral("Следующий вопрос (→, PgDn)"));
        QCOMPARE(Form4->DBText4->toolTip(), QStringLiteral("Ответ C: щелчок или клавиша C (В) или 3"));
        QVERIFY(Form4->Label1->toolTip().contains(QStringLiteral("Ctrl+Enter — закончить тест")));
        QCOMPARE(Form4->SpeedButton20->toolTip(),
                 QStringLiteral("При выходе из тестирования все ваши баллы набранные в тестирование будут потеряны"));
        QCOMPARE(Form6->DBNavigator1->button(DBNavigator::Button::Insert)->toolTip(),
                 QStringLiteral("Вставить новую запись перед текущей (в таблице: Insert)"));

        // The program's Kazakh catalogue, as the language choice installs it.
        translations::useLanguage(QLocale::Kazakh);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        QCOMPARE(Form4->DBText4->toolTip(), QStringLiteral("C жауабы: шерту немесе C (В) не 3 пернесі"));
        QCOMPARE(Form4->SpeedButton2->toolTip(), QStringLiteral("Келесі сұрақ (→, PgDn)"));
        QCOMPARE(Form6->DBNavigator1->button(DBNavigator::Button::Delete)->toolTip(),
                 QStringLiteral("Ағымдағы жазбаны сұрамай бірден жою (кестеде Ctrl+Delete алдымен сұрайды)"));
        QCOMPARE(Form4->SpeedButton20->toolTip(),
                 QStringLiteral("При выходе из тестирования все ваши баллы набранные в тестирование будут потеряны"));
    }

    // The viewer's week menu, the only way to its test and its exit, is worked from the keyboard as a
    // menu bar is: Alt gives it the keyboard, the arrows walk its items, Enter chooses one.
    void viewerMenuByKeys() {
        CourseRoot root;
        WindowSetGuard windows(root.path());
        FixedWindowStart fixed(6);
        Form1->show();
        Form1->SpeedButton1->click();  // "Rus"
        Form3->show();
        Form2->hide();  // as opening a chapter leaves it
        QVERIFY(QTest::qWaitForWindowActive(Form3));
        QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : Form3;
        QTest::keyPress(focus, Qt::Key_Alt, Qt::AltModifier);
        QTest::keyRelease(focus, Qt::Key_Alt, Qt::NoModifier);
        QMenuBar* bar = Form3->MainMenu1;
        QVERIFY(bar->hasFocus());
        QVERIFY(bar->activeAction());
        QCOMPARE(bar->activeAction()->text(), QStringLiteral("Введение"));
        // Left from the first item goes round to the last ones: the exit, then the test.
        for (int i = 0; i < bar->actions().size() && bar->activeAction() != Form3->N4; ++i)
            QTest::keyClick(bar, Qt::Key_Left);
        QCOMPARE(bar->activeAction(), Form3->N4);
        QTest::keyClick(bar, Qt::Key_Return);
        QVERIFY(Form4->isVisible());
        QCOMPARE(Form4->Tag, int(RussianViewer));
        QVERIFY(windows.desktop.errors.isEmpty());
    }

    // The status bar reads as what its panels say, each panel a text of its own, and follows them.
    void statusBarIsRead() {
        CourseRoot root;
        WindowSetGuard windows(root.path());
        Form1->show();
        Form1->SpeedButton2->click();  // "Kaz"
        QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(Form8->StatusBar1);
        QVERIFY(bar);
        QCOMPARE(bar->role(), QAccessible::StatusBar);
        QCOMPARE(bar->text(QAccessible::Name),
                 QStringLiteral("ағымдағы пайдаланушы, Айгерим, ағымдағы тарау, 1 Неделя"));
        QCOMPARE(bar->childCount(), 6);
        QStringList panels;
        for (int i = 0; i < bar->childCount(); ++i) {
            QAccessibleInterface* panel = bar->child(i);
            QVERIFY(panel && panel->isValid());
            QCOMPARE(panel->role(), QAccessible::StaticText);
            QCOMPARE(panel->parent(), bar);
            QCOMPARE(bar->indexOfChild(panel), i);
            panels << panel->text(QAccessible::Name);
        }
        QCOMPARE(panels, (QStringList{"", "ағымдағы пайдаланушы", "Айгерим", "ағымдағы тарау", "1 Неделя", ""}));
        Form8->StatusBar1->setPanelText(4, QStringLiteral("Дәріс"));
        QCOMPARE(bar->child(4)->text(QAccessible::Name), QStringLiteral("Дәріс"));
        QVERIFY(bar->text(QAccessible::Name).endsWith(QStringLiteral("ағымдағы тарау, Дәріс")));
    }
};

QTEST_MAIN(TestAccess)
#include "tst_access.moc"
