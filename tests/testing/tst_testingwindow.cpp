// The testing window: starting a test from each window, moving through the questions, answering,
// the two questions it asks, scoring and the results text, and closing back to where it started.
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>
#include <QtTest>
#include <map>

#include "TestRun.h"
#include "content/Unit2.h"
#include "content/Unit3.h"
#include "content/Unit8.h"
#include "content/Unit9.h"
#include "data/Unit5.h"
#include "data/cursor/DataSet.h"
#include "platform/WaitCursor.h"
#include "tests/common/WindowSetGuard.h"

using namespace testrun;
using fixture::CourseRoot;

namespace {

const QString kRuWarning = QStringLiteral("Предупреждение: Вы не ответили на несколько вопросов, продолжить");
const QString kKzWarning = QStringLiteral("Ескерту: Сіздер жауап бермедіѕіздер бірнеше сўраќтыѕ , жалєастыру");
const QString kRuAnswered = QStringLiteral("Предупреждение: Вы уже ответили на этот вопрос, хотите заменить");
const QString kKzAnswered = QStringLiteral("Ескерту: Сіздер жауап бердіѕіздер мынауды сўраќ, ауыстыруды ќалаѕыздар");

// With window start 6 over the fixture bank, every right answer in order.
const QString kAllRight = QStringLiteral("abcdeabcdeabcdeabcde");

QStringList Asked(const platform::RecordingDesktop& desktop) {
    QStringList asked;
    for (const auto& box : desktop.questions) asked << box.caption + QStringLiteral(": ") + box.text;
    return asked;
}

QString AllPositions() {
    QString list;
    for (int p = 1; p <= 20; ++p) list += QStringLiteral(", ") + QString::number(p);
    return list;
}

// A course with both banks (their answer keys changed as "num=otvet" says), the register whose
// current user is "Айгерим", and the window set on it.
struct Course {
    explicit Course(int bankRows = 40, const QStringList& keys = {}) : root(bankRows), windows(root.path()) {
        for (const QString& key : keys)
            for (const char* table : {"test", "test_kz"})
                root.exec(QStringLiteral("UPDATE %1 SET otvet = '%2' WHERE num = %3")
                              .arg(table, key.section(u'=', 1), key.section(u'=', 0, 0)));
    }
    CourseRoot root;
    WindowSetGuard windows;
};

// A test started from the language's main window at a fixed window start.
struct Started : Course {
    Started(Language language, int start, const QStringList& keys = {}, int bankRows = 40)
        : Course(bankRows, keys), fixed(start) {
        ChooseLanguage(language);
        StartTest(language);
    }
    FixedWindowStart fixed;
};

// Clicks an item of an open popup menu, found by its caption, once the popup runs.
void clickInPopupOnceShown(const QString& caption, bool* clicked) {
    QTimer::singleShot(0, [caption, clicked] {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!popup) return;
        for (QAction* action : popup->actions()) {
            if (action->text() != caption) continue;
            *clicked = true;
            QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(action).center());
            return;
        }
        popup->close();
    });
}

// Clicks what starts a test, found by its caption, as the student does: the main window's button or
// the viewer's menu item, on the menu bar or, where the bar is too narrow for all its items, in the
// bar's list of the rest ("»").
void clickToStart(QWidget* window, const QString& caption) {
    if (auto* main = qobject_cast<TMainForm*>(window)) {
        QCOMPARE(main->test5->text(), caption);
        QTest::mouseClick(main->test5, Qt::LeftButton);
        return;
    }
    QMenuBar* bar = static_cast<TViewer*>(window)->MainMenu1;
    const QList<QAction*> items = bar->actions();
    const auto found = std::find_if(items.cbegin(), items.cend(),
                                    [&caption](const QAction* action) { return action->text() == caption; });
    QVERIFY2(found != items.cend(), qPrintable(QStringLiteral("no menu item ") + caption));
    const QRect at = bar->actionGeometry(*found);
    if (!at.isEmpty() && bar->rect().contains(at)) {
        QTest::mouseClick(bar, Qt::LeftButton, {}, at.center());
        return;
    }
    auto* rest = bar->findChild<QToolButton*>(QStringLiteral("qt_menubar_ext_button"));
    QVERIFY2(rest && rest->isVisible(), "the menu item is neither on the menu bar nor in its list of the rest");
    bool clicked = false;
    clickInPopupOnceShown(caption, &clicked);
    QTest::mouseClick(rest, Qt::LeftButton);
    QVERIFY2(clicked, "the menu item is not in the menu bar's list of the rest");
}

// Presses a key on the control that has the keyboard, as the student does: "Left", "PgUp", "Ctrl+Return",
// "Keypad 3", "held 1" (pressed and then repeated while held), or one typed character ("в", "B": a
// capital with Shift).
void pressKey(const QString& key) {
    QWidget* to = QApplication::focusWidget();
    QVERIFY2(to, "no control has the keyboard");
    static const QHash<QString, std::pair<Qt::Key, Qt::KeyboardModifiers>> named{
        {"Left", {Qt::Key_Left, Qt::NoModifier}},
        {"Right", {Qt::Key_Right, Qt::NoModifier}},
        {"Up", {Qt::Key_Up, Qt::NoModifier}},
        {"Down", {Qt::Key_Down, Qt::NoModifier}},
        {"PgUp", {Qt::Key_PageUp, Qt::NoModifier}},
        {"PgDn", {Qt::Key_PageDown, Qt::NoModifier}},
        {"Escape", {Qt::Key_Escape, Qt::NoModifier}},
        {"Return", {Qt::Key_Return, Qt::NoModifier}},
        {"Space", {Qt::Key_Space, Qt::NoModifier}},
        {"Ctrl+Return", {Qt::Key_Return, Qt::ControlModifier}},
        {"Ctrl+Enter", {Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier}},
        {"Shift+Right", {Qt::Key_Right, Qt::ShiftModifier}},
    };
    if (named.contains(key)) {
        const auto [code, modifiers] = named.value(key);
        QTest::keyClick(to, code, modifiers);
        return;
    }
    if (key.startsWith(u"held ")) {
        const QString typed = key.mid(5);
        const Qt::Key code = Qt::Key(typed.front().toUpper().unicode());
        for (bool repeat : {false, true, true, true}) {
            QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, typed, repeat);
            QApplication::sendEvent(QApplication::focusWidget(), &press);
        }
        QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, typed);
        QApplication::sendEvent(QApplication::focusWidget(), &release);
        return;
    }
    Qt::KeyboardModifiers modifiers;
    QString typed = key;
    if (key.startsWith(u"Keypad ")) {
        modifiers = Qt::KeypadModifier;
        typed = key.mid(7);
    } else if (key.startsWith(u"Ctrl+") || key.startsWith(u"Alt+")) {
        modifiers = key.startsWith(u"Ctrl+") ? Qt::ControlModifier : Qt::AltModifier;
        typed = key.section(u'+', 1);
    }
    QVERIFY2(typed.size() == 1, qPrintable(QStringLiteral("unknown key ") + key));
    const QChar c = typed.front();
    if (c.isUpper()) modifiers |= Qt::ShiftModifier;
    QTest::sendKeyEvent(QTest::Click, to, Qt::Key(c.toUpper().unicode()), typed, modifiers);
}

// Which of the testing window's controls a key clicked, as "a" ... "e", "<", ">" and "finish".
class ClickRecord : public QObject {
public:
    ClickRecord() {
        const std::pair<QObject*, QString> watched[] = {
            {Form4->DBText2, "a"},      {Form4->DBText3, "b"},
            {Form4->DBText4, "c"},      {Form4->DBText5, "d"},
            {Form4->DBText6, "e"},      {Form4->SpeedButton1, "<"},
            {Form4->SpeedButton2, ">"}, {Form4->SpeedButton20, "finish"},
        };
        for (const auto& [control, name] : watched) {
            const QString clicked = name;
            if (auto* text = qobject_cast<DBText*>(control))
                connect(text, &DBText::clicked, this, [this, clicked] { clicks << clicked; });
            else
                connect(static_cast<QAbstractButton*>(control), &QAbstractButton::clicked, this,
                        [this, clicked] { clicks << clicked; });
        }
    }
    QStringList clicks;
};

// Whether the wait cursor showed when a window received an event of a type (its showing, say).
class CursorWhen : public QObject {
public:
    CursorWhen(QObject* window, QEvent::Type type) : type_(type) { window->installEventFilter(this); }
    bool seen = false;
    bool waiting = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == type_ && !seen) {
            seen = true;
            waiting = platform::Waiting();
        }
        return false;
    }

private:
    QEvent::Type type_;
};

}  // namespace

class TestTestingWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { AllowBrowserAsRoot(); }

    // Scoring and the results text over a fixed question window. "answers" is one character per
    // position (a letter clicked, "." passed with ">"), a 21st letter answers the row after the window;
    // "keys" change the bank's answer key first ("num=otvet").
    void results_data() {
        QTest::addColumn<Language>("language");
        QTest::addColumn<int>("start");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<QStringList>("lines");

        const auto ru = Language::Russian;
        const auto kz = Language::Kazakh;
        const QString student = QStringLiteral("Студент - Айгерим");
        const QString ruWrong = QStringLiteral("Неправильно ответили на следующие вопросы ");
        const QString ruUnanswered = QStringLiteral("Не ответили на следующие вопросы ");
        const QString kzWrong = QStringLiteral("Келесі сўраќтарєа сенімсіз жауап берді ");
        const QString kzUnanswered = QStringLiteral("Келесі сўраќтарєа жауап бермеді ");

        QTest::newRow("ru all right") << ru << 6 << QStringList() << kAllRight << QStringList()
                                      << QStringList{student, "В тестировании набрали - 20 баллов", ruWrong};
        QTest::newRow("kz all right") << kz << 6 << QStringList() << kAllRight << QStringList()
                                      << QStringList{student, "Тестілеуде теріп алды - 20 балдардыѕ", kzWrong};
        QTest::newRow("ru wrong at 3 and 17")
            << ru << 6 << QStringList() << "abadeabcdeabcdeaecde" << QStringList()
            << QStringList{student, "В тестировании набрали - 18 баллов", ruWrong + ", 3, 17"};
        QTest::newRow("kz wrong at 3 and 17")
            << kz << 6 << QStringList() << "abadeabcdeabcdeaecde" << QStringList()
            << QStringList{student, "Тестілеуде теріп алды - 18 балдардыѕ", kzWrong + ", 3, 17"};
        QTest::newRow("ru none answered")
            << ru << 6 << QStringList() << "" << QStringList{kRuWarning}
            << QStringList{student, "В тестировании набрали - 0 баллов", ruWrong, ruUnanswered + AllPositions()};
        QTest::newRow("kz none answered")
            << kz << 6 << QStringList() << "" << QStringList{kKzWarning}
            << QStringList{student, "Тестілеуде сіз  - 0 балл алдыѕыз", kzWrong, kzUnanswered + AllPositions()};
        QTest::newRow("ru wrong and unanswered")
            << ru << 6 << QStringList() << "aacd.abcdeabcdeabc.e" << QStringList{kRuWarning}
            << QStringList{student, "В тестировании набрали - 17 баллов", ruWrong + ", 2", ruUnanswered + ", 5, 19"};
        QTest::newRow("kz wrong and unanswered")
            << kz << 6 << QStringList() << "aacd.abcdeabcdeabc.e" << QStringList{kKzWarning}
            << QStringList{student, "Тестілеуде сіз  - 17 балл алдыѕыз", kzWrong + ", 2", kzUnanswered + ", 5, 19"};
        // An empty key matches an unanswered question, which is still listed as unanswered; the
        // Kazakh score line then takes its unanswered form even with full marks.
        QTest::newRow("ru empty key left unanswered")
            << ru << 6 << QStringList{"8="} << "ab.deabcdeabcdeabcde" << QStringList{kRuWarning}
            << QStringList{student, "В тестировании набрали - 20 баллов", ruWrong, ruUnanswered + ", 3"};
        QTest::newRow("kz empty key left unanswered")
            << kz << 6 << QStringList{"8="} << "ab.deabcdeabcdeabcde" << QStringList{kKzWarning}
            << QStringList{student, "Тестілеуде сіз  - 20 балл алдыѕыз", kzWrong, kzUnanswered + ", 3"};
        QTest::newRow("empty key answered")
            << ru << 6 << QStringList{"8="} << kAllRight << QStringList()
            << QStringList{student, "В тестировании набрали - 19 баллов", ruWrong + ", 3"};
        QTest::newRow("uppercase key") << ru << 6 << QStringList{"6=A"} << kAllRight << QStringList()
                                       << QStringList{student, "В тестировании набрали - 19 баллов", ruWrong + ", 1"};
        // Row 26 is the row after the window; its key is "a".
        QTest::newRow("answer after the window") << ru << 6 << QStringList() << kAllRight + "b" << QStringList()
                                                 << QStringList{student, "В тестировании набрали - 20 баллов", ruWrong};
        // Positions within the test, not bank numbers: bank 11 is position 1, bank 30 position 20.
        QTest::newRow("positions at start 11")
            << ru << 11 << QStringList() << "bbcdeabcd.abcdeabcda" << QStringList{kRuWarning}
            << QStringList{student, "В тестировании набрали - 17 баллов", ruWrong + ", 1, 20", ruUnanswered + ", 10"};
        QTest::newRow("kz positions at start 11")
            << kz << 11 << QStringList() << "bbcdeabcdeabcdeabcda" << QStringList()
            << QStringList{student, "Тестілеуде теріп алды - 18 балдардыѕ", kzWrong + ", 1, 20"};
        QTest::newRow("start 1") << ru << 1 << QStringList() << "abcdeabcdeabcdeabce." << QStringList{kRuWarning}
                                 << QStringList{student, "В тестировании набрали - 18 баллов", ruWrong + ", 19",
                                                ruUnanswered + ", 20"};
    }
    void results() {
        QFETCH(Language, language);
        QFETCH(int, start);
        QFETCH(QStringList, keys);
        QFETCH(QString, answers);
        QFETCH(QStringList, asked);
        QFETCH(QStringList, lines);

        Started course(language, start, keys);
        AnswerPattern(answers);
        course.windows.desktop.answers = {true};
        Finish();

        QCOMPARE(Asked(course.windows.desktop), asked);
        QCOMPARE(ResultLines(), lines);
        QVERIFY(Form7->isVisible());
        QCOMPARE(Form7->windowTitle(),
                 language == Language::Kazakh ? QStringLiteral("Тесті жиынылары") : QStringLiteral("Итоги теста"));
        QVERIFY(course.windows.desktop.errors.isEmpty());
    }

    // The window's keys do what clicks do, whichever of its controls has the keyboard, and leave the
    // controls' own keys to them: Space and Enter press the focused answer or button, Up and Down
    // scroll the question. The test stands on position 2 (question 7) when the key comes.
    void keys_data() {
        QTest::addColumn<QString>("focus");    // the control with the keyboard
        QTest::addColumn<QString>("key");      // see pressKey()
        QTest::addColumn<QString>("clicked");  // what the key clicked, if anything
        QTest::addColumn<QString>("shown");    // the question and the counter afterwards
        const QString answered = QStringLiteral("Вопрос 8 | 2 из 20");
        const QString stays = QStringLiteral("Вопрос 7 | 2 из 20");
        const QString back = QStringLiteral("Вопрос 6 | 1 из 20");
        const QString on = QStringLiteral("Вопрос 8 | 3 из 20");
        const char* const letters[] = {"a", "b", "c", "d", "e"};
        const char* const cyrillic[] = {"а", "Б", "в", "Г", "д"};
        const char* const latin[] = {"a", "B", "c", "D", "e"};
        for (int i = 0; i < 5; ++i) {
            QTest::addRow("%d", i + 1) << "DBMemo1" << QString::number(i + 1) << letters[i] << answered;
            QTest::addRow("Latin %s", latin[i]) << "DBMemo1" << latin[i] << letters[i] << answered;
            QTest::addRow("Cyrillic %s", cyrillic[i]) << "DBMemo1" << cyrillic[i] << letters[i] << answered;
        }
        QTest::newRow("keypad 4") << "DBMemo1"
                                  << "Keypad 4"
                                  << "d" << answered;
        QTest::newRow("1 on another answer") << "DBText4"
                                             << "1"
                                             << "a" << answered;
        QTest::newRow("в on the > button") << "SpeedButton2"
                                           << "в"
                                           << "c" << answered;
        for (const char* other : {"6", "f", "с", "е", "Ctrl+1", "Alt+a"})  // с and е are Cyrillic
            QTest::addRow("%s answers nothing", other) << "DBMemo1" << other << "" << stays;
        QTest::newRow("Left") << "DBMemo1"
                              << "Left"
                              << "<" << back;
        QTest::newRow("PgUp") << "DBText2"
                              << "PgUp"
                              << "<" << back;
        QTest::newRow("Right") << "DBMemo1"
                               << "Right"
                               << ">" << on;
        QTest::newRow("PgDn") << "SpeedButton20"
                              << "PgDn"
                              << ">" << on;
        QTest::newRow("Left on the > button is still <") << "SpeedButton2"
                                                         << "Left"
                                                         << "<" << back;
        QTest::newRow("Shift+Right is nothing") << "DBMemo1"
                                                << "Shift+Right"
                                                << "" << stays;
        QTest::newRow("Ctrl+Return finishes") << "DBMemo1"
                                              << "Ctrl+Return"
                                              << "finish" << stays;
        QTest::newRow("Ctrl+Enter on the keypad finishes") << "DBText5"
                                                           << "Ctrl+Enter"
                                                           << "finish" << stays;
        QTest::newRow("Space on an answer") << "DBText4"
                                            << "Space"
                                            << "c" << answered;
        QTest::newRow("Return on an answer") << "DBText6"
                                             << "Return"
                                             << "e" << answered;
        QTest::newRow("Return on <") << "SpeedButton1"
                                     << "Return"
                                     << "<" << back;
        QTest::newRow("Space on >") << "SpeedButton2"
                                    << "Space"
                                    << ">" << on;
        QTest::newRow("Return on the question") << "DBMemo1"
                                                << "Return"
                                                << "" << stays;
        QTest::newRow("Down is the question's own") << "DBMemo1"
                                                    << "Down"
                                                    << "" << stays;
        QTest::newRow("Escape does nothing") << "DBText3"
                                             << "Escape"
                                             << "" << stays;
        QTest::newRow("1 held down answers once") << "DBMemo1"
                                                  << "held 1"
                                                  << "a" << answered;
    }
    void keys() {
        QFETCH(QString, focus);
        QFETCH(QString, key);
        QFETCH(QString, clicked);
        QFETCH(QString, shown);
        Started course(Language::Russian, 6);
        QVERIFY(QTest::qWaitForWindowActive(Form4));
        Next();
        QCOMPARE(Shown(), QStringLiteral("Вопрос 7 | 2 из 20"));
        auto* control = Form4->findChild<QWidget*>(focus);
        QVERIFY(control);
        control->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), control);

        ClickRecord record;
        pressKey(key);
        QCOMPARE(record.clicks, clicked.isEmpty() ? QStringList() : QStringList{clicked});
        QCOMPARE(Shown(), shown);
        // Finishing with questions unanswered asks, and the answer No changes nothing; no key closes.
        QCOMPARE(Asked(course.windows.desktop), clicked == u"finish" ? QStringList{kRuWarning} : QStringList());
        QVERIFY(Form4->isVisible());
        QVERIFY(!Form7->isVisible());
        QVERIFY(course.windows.desktop.errors.isEmpty());
    }

    // A whole test from the keyboard: digits, Latin and Cyrillic letters answer, Ctrl+Return finishes
    // and, all answered, asks nothing; a key for an answered question asks as a click does.
    void wholeTestByKeys() {
        Started course(Language::Kazakh, 6);
        QVERIFY(QTest::qWaitForWindowActive(Form4));
        QCOMPARE(QApplication::focusWidget(), Form4->DBMemo1);
        for (const QChar key : QStringLiteral("1bвD5аБcГe12345abвгд")) pressKey(key);
        QCOMPARE(Shown(), QStringLiteral("Вопрос 26 | 20 из 20"));
        pressKey(QStringLiteral("PgUp"));
        pressKey(QStringLiteral("2"));  // question 25, answered "e": asks, and No keeps it
        QCOMPARE(Asked(course.windows.desktop), QStringList{kKzAnswered});
        pressKey(QStringLiteral("Ctrl+Return"));
        QCOMPARE(Asked(course.windows.desktop).size(), 1);
        QCOMPARE(ResultLines(), (QStringList{"Студент - Айгерим", "Тестілеуде теріп алды - 20 балдардыѕ",
                                             "Келесі сўраќтарєа сенімсіз жауап берді "}));
    }

    // Each test starts with the keyboard on the question, wherever Tab left it in the test before; the
    // wait cursor shows while the window comes up and is gone once it is there.
    void startingATest() {
        Course course;
        FixedWindowStart fixed(6);
        ChooseLanguage(Language::Russian);
        QVERIFY(!QGuiApplication::overrideCursor());
        CursorWhen shown(Form4, QEvent::Show);
        StartTest(Language::Russian);
        QVERIFY(shown.seen);
        QVERIFY2(shown.waiting, "no wait cursor while the testing window came up");
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(QTest::qWaitForWindowActive(Form4));
        Form4->SpeedButton20->setFocus(Qt::TabFocusReason);
        Form4->close();
        StartTest(Language::Russian);
        QVERIFY(QTest::qWaitForWindowActive(Form4));
        QCOMPARE(QApplication::focusWidget(), Form4->DBMemo1);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // After finishing, the testing window stays open on the first row with a wiped answer sheet,
    // the counter keeping its text, until the results window's "Ok".
    void finishedWindowStaysOpenAndWiped() {
        Started course(Language::Russian, 6);
        AnswerPattern(kAllRight);
        Finish();
        QVERIFY(Form4->isVisible() && Form7->isVisible());
        QCOMPARE(Shown(), QStringLiteral("Вопрос 1 | 20 из 20"));
        QCOMPARE(DataModule5->ADOTable1->fieldText(QStringLiteral("num")), QStringLiteral("1"));

        Finish();  // nothing answered any more, so finishing asks
        QCOMPARE(Asked(course.windows.desktop), QStringList{kRuWarning});
        QCOMPARE(ResultLines().at(1), QStringLiteral("В тестировании набрали - 20 баллов"));
    }

    void counterSequence_data() {
        QTest::addColumn<Language>("language");
        QTest::newRow("ru") << Language::Russian;
        QTest::newRow("kz") << Language::Kazakh;  // the counter is not translated
    }
    void counterSequence() {
        QFETCH(Language, language);
        Started course(language, 6);
        QCOMPARE(Shown(), QStringLiteral("Вопрос 6 | 1 из 20"));
        QCOMPARE((QStringList{Form4->DBText2->text(), Form4->DBText3->text(), Form4->DBText4->text(),
                              Form4->DBText5->text(), Form4->DBText6->text()}),
                 (QStringList{"6-a", "6-b", "6-c", "6-d", "6-e"}));
        ClickAnswer(u'a');
        QCOMPARE(Shown(), QStringLiteral("Вопрос 7 | 1 из 20"));
        QCOMPARE(Form4->DBText4->text(), QStringLiteral("7-c"));
        Next();
        QCOMPARE(Shown(), QStringLiteral("Вопрос 8 | 3 из 20"));
        Previous();
        QCOMPARE(Shown(), QStringLiteral("Вопрос 7 | 2 из 20"));
        QVERIFY(course.windows.desktop.questions.isEmpty());
    }

    // The arrows never leave the question window; only the 20th answer moves past it, to the row
    // after, where an answer is kept and a second one asks.
    void windowEnds_data() {
        QTest::addColumn<int>("start");
        QTest::newRow("start 1") << 1;
        QTest::newRow("start 379") << 379;
    }
    void windowEnds() {
        QFETCH(int, start);
        const auto question = [](int num, int position) {
            return QStringLiteral("Вопрос %1 | %2 из 20").arg(num).arg(position);
        };
        Started course(Language::Russian, start, {}, 400);
        QCOMPARE(Shown(), question(start, 1));
        Previous();
        QCOMPARE(Shown(), question(start, 1));
        for (int i = 0; i < 19; ++i) Next();
        QCOMPARE(Shown(), question(start + 19, 20));
        Next();
        QCOMPARE(Shown(), question(start + 19, 20));
        ClickAnswer(u'a');
        QCOMPARE(Shown(), question(start + 20, 20));
        QCOMPARE(DataModule5->ADOTable1->fieldText(QStringLiteral("num")), QString::number(start + 20));
        Next();
        QCOMPARE(Shown(), question(start + 20, 20));
        ClickAnswer(u'b');
        QCOMPARE(Shown(), question(start + 20, 20));
        QVERIFY(course.windows.desktop.questions.isEmpty());
        ClickAnswer(u'c');
        QCOMPARE(Asked(course.windows.desktop), QStringList{kRuAnswered});
        QCOMPARE(Shown(), question(start + 20, 20));
        Previous();
        QCOMPARE(Shown(), question(start + 19, 20));
    }

    // A click on an answered question asks; No keeps the first answer, Yes replaces it, and the
    // question, the counter and the next slot stay either way.
    void answeredQuestion_data() {
        QTest::addColumn<Language>("language");
        QTest::addColumn<bool>("replace");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QStringList>("scoreAndWrong");
        const QStringList kept{"В тестировании набрали - 1 баллов", "Неправильно ответили на следующие вопросы , 1"};
        const QStringList replaced{"В тестировании набрали - 2 баллов", "Неправильно ответили на следующие вопросы "};
        QTest::newRow("ru no keeps") << Language::Russian << false << kRuAnswered << kept;
        QTest::newRow("ru yes replaces") << Language::Russian << true << kRuAnswered << replaced;
        QTest::newRow("kz no keeps") << Language::Kazakh << false << kKzAnswered
                                     << QStringList{"Тестілеуде сіз  - 1 балл алдыѕыз",
                                                    "Келесі сўраќтарєа сенімсіз жауап берді , 1"};
        QTest::newRow("kz yes replaces") << Language::Kazakh << true << kKzAnswered
                                         << QStringList{"Тестілеуде сіз  - 2 балл алдыѕыз",
                                                        "Келесі сўраќтарєа сенімсіз жауап берді "};
    }
    void answeredQuestion() {
        QFETCH(Language, language);
        QFETCH(bool, replace);
        QFETCH(QString, question);
        QFETCH(QStringList, scoreAndWrong);
        Started course(language, 6);
        ClickAnswer(u'b');  // position 1 is "a"
        Previous();
        QCOMPARE(Shown(), QStringLiteral("Вопрос 6 | 1 из 20"));
        course.windows.desktop.answers = {replace};
        ClickAnswer(u'a');
        QCOMPARE(Asked(course.windows.desktop), QStringList{question});
        QCOMPARE(Shown(), QStringLiteral("Вопрос 6 | 1 из 20"));
        // The next slot is still position 2: the answer below lands there.
        Next();
        ClickAnswer(u'b');
        QCOMPARE(Shown(), QStringLiteral("Вопрос 8 | 2 из 20"));

        course.windows.desktop.answers = {true};
        Finish();
        QCOMPARE(ResultLines().mid(1, 2), scoreAndWrong);
    }

    // No at the finishing warning leaves the test as it was; finishing again asks again.
    void finishingWarningNo_data() {
        QTest::addColumn<Language>("language");
        QTest::addColumn<QString>("warning");
        QTest::newRow("ru") << Language::Russian << kRuWarning;
        QTest::newRow("kz") << Language::Kazakh << kKzWarning;
    }
    void finishingWarningNo() {
        QFETCH(Language, language);
        QFETCH(QString, warning);
        Started course(language, 6);
        AnswerPattern(QStringLiteral("ab."));
        QCOMPARE(Shown(), QStringLiteral("Вопрос 9 | 4 из 20"));
        course.windows.desktop.answers = {false};
        Finish();
        QCOMPARE(Asked(course.windows.desktop), QStringList{warning});
        QVERIFY(!Form7->isVisible());
        QVERIFY(Form4->isVisible());
        QCOMPARE(Shown(), QStringLiteral("Вопрос 9 | 4 из 20"));
        ClickAnswer(u'd');  // position 4 is still the slot the next answer fills
        QCOMPARE(Shown(), QStringLiteral("Вопрос 10 | 4 из 20"));

        course.windows.desktop.answers = {true};
        Finish();
        QCOMPARE(Asked(course.windows.desktop), (QStringList{warning, warning}));
        QVERIFY(Form7->isVisible());
        QString unanswered = QStringLiteral(", 3");
        for (int p = 5; p <= 20; ++p) unanswered += QStringLiteral(", ") + QString::number(p);
        QVERIFY2(ResultLines().at(3).endsWith(u' ' + unanswered), qPrintable(ResultLines().at(3)));
        QVERIFY2(ResultLines().at(1).contains(QStringLiteral(" 3 ")), qPrintable(ResultLines().at(1)));
    }

    // A test started from each of the four places (the main window's button, or the viewer's menu
    // item while the viewer is open) hides it, and "Ok" in the results shows it again. The origin
    // follows the main window: with it visible, the viewer's menu starts from it too.
    void origins_data() {
        QTest::addColumn<Language>("language");
        QTest::addColumn<bool>("viewerOpen");
        QTest::addColumn<bool>("mainHidden");
        QTest::addColumn<QString>("clicked");  // the caption of what is clicked
        QTest::addColumn<int>("tag");
        QTest::addColumn<QString>("finishCaption");
        const QString ruFinish = QStringLiteral("закончить тест");
        const QString kzFinish = QStringLiteral("Тесті аяќтау");
        QTest::newRow("Form2") << Language::Russian << false << false << "Тестирование" << 2 << ruFinish;
        QTest::newRow("Form3") << Language::Russian << true << true << "Тест" << 3 << ruFinish;
        QTest::newRow("Form8") << Language::Kazakh << false << false << "Тестілеу" << 4 << kzFinish;
        QTest::newRow("Form9") << Language::Kazakh << true << true << "Тесті" << 5 << kzFinish;
        QTest::newRow("viewer beside a visible main window")
            << Language::Russian << true << false << "Тест" << 2 << ruFinish;
    }
    void origins() {
        QFETCH(Language, language);
        QFETCH(bool, viewerOpen);
        QFETCH(bool, mainHidden);
        QFETCH(QString, clicked);
        QFETCH(int, tag);
        QFETCH(QString, finishCaption);
        Course course;
        FixedWindowStart fixed(6);
        ChooseLanguage(language);
        const bool kazakh = language == Language::Kazakh;
        QWidget* main = kazakh ? static_cast<QWidget*>(Form8) : Form2;
        QWidget* viewer = kazakh ? static_cast<QWidget*>(Form9) : Form3;
        if (viewerOpen) viewer->show();
        if (mainHidden) main->hide();
        const std::map<int, QWidget*> places{{2, Form2}, {3, Form3}, {4, Form8}, {5, Form9}};
        QWidget* origin = places.at(tag);

        clickToStart(viewerOpen ? viewer : main, clicked);
        QCOMPARE(Form4->Tag, tag);
        QVERIFY(Form4->isVisible());
        QVERIFY(!origin->isVisible());
        QCOMPARE(Form4->SpeedButton20->text(), finishCaption);
        QCOMPARE(Form4->SpeedButton20->toolTip(),
                 QStringLiteral("При выходе из тестирования все ваши баллы набранные в тестирование будут потеряны"));

        AnswerPattern(kAllRight);
        Finish();
        QVERIFY(Form7->isVisible());
        Form7->BitBtn1->click();
        QVERIFY(Form7->Memo1->toPlainText().isEmpty());
        QVERIFY(!Form7->isVisible());
        QVERIFY(!Form4->isVisible());
        for (const auto& [placeTag, place] : places) {
            const bool stillOpen = place == viewer && viewerOpen && !mainHidden;
            QCOMPARE(place->isVisible(), place == origin || stillOpen);
        }
        QVERIFY(course.windows.desktop.errors.isEmpty());
    }

    // Closing the testing window mid-test wipes it: the next test starts with nothing answered.
    void closingWipesTheSheet() {
        Started course(Language::Russian, 6);
        AnswerPattern(kAllRight);
        Form4->close();
        QVERIFY(Form2->isVisible());
        QCOMPARE(DataModule5->ADOTable1->fieldText(QStringLiteral("num")), QStringLiteral("1"));

        StartTest(Language::Russian);
        QCOMPARE(Shown(), QStringLiteral("Вопрос 6 | 1 из 20"));
        course.windows.desktop.answers = {true};
        Finish();
        QCOMPARE(Asked(course.windows.desktop), QStringList{kRuWarning});
        QCOMPARE(ResultLines().at(1), QStringLiteral("В тестировании набрали - 0 баллов"));
    }

    // A bank the window cannot use is an error box at the failing step, never a crash; the test
    // window stays open and the results are not shown.
    void unusableBank_data() {
        QTest::addColumn<QString>("breakSql");
        QTest::addColumn<QString>("message");
        QTest::newRow("no answer key") << "ALTER TABLE test RENAME COLUMN otvet TO key"
                                       << "Поле «otvet» не найдено.";
        QTest::newRow("no question numbers") << "ALTER TABLE test RENAME COLUMN num TO n"
                                             << "Поле «num» не найдено.";
    }
    void unusableBank() {
        QFETCH(QString, breakSql);
        QFETCH(QString, message);
        Course course;
        course.root.exec(breakSql);
        FixedWindowStart fixed(6);
        ChooseLanguage(Language::Russian);
        StartTest(Language::Russian);
        QVERIFY(Form4->isVisible());
        AnswerPattern(kAllRight);
        Finish();
        QVERIFY(!course.windows.desktop.errors.isEmpty());
        QCOMPARE(course.windows.desktop.errors.last().text, message);
        QVERIFY(!Form7->isVisible());
        QVERIFY(Form4->isVisible());
    }

    // A bank shorter than the window: the cursor stops at its last row, and the test still ends.
    void shortBank() {
        Started course(Language::Russian, 6, {}, 10);
        QCOMPARE(Shown(), QStringLiteral("Вопрос 6 | 1 из 20"));
        AnswerPattern(kAllRight);
        Finish();
        QVERIFY(course.windows.desktop.errors.isEmpty());
        QVERIFY(Form7->isVisible());
        QCOMPARE(ResultLines().size(), 3);
    }

    // Every start is one of 1..379, equally likely: a chi-square test over many draws of a generator
    // with a fixed seed, between the 0.1% and 99.9% points for 378 degrees of freedom.
    void windowStartIsUniform() {
        constexpr int kValues = 379;
        constexpr int kPerValue = 200;
        std::mt19937 generator(20240917);
        std::vector<int> counts(kValues + 2, 0);
        for (int i = 0; i < kValues * kPerValue; ++i) {
            const int start = DrawWindowStart(generator);
            QVERIFY2(start >= 1 && start <= kValues, qPrintable(QString::number(start)));
            ++counts[start];
        }
        double chiSquare = 0;
        for (int v = 1; v <= kValues; ++v)
            chiSquare += double(counts[v] - kPerValue) * (counts[v] - kPerValue) / kPerValue;
        qInfo("chi-square over %d draws: %.1f (378 degrees of freedom)", kValues * kPerValue, chiSquare);
        QVERIFY2(chiSquare > 298.7 && chiSquare < 468.7, qPrintable(QString::number(chiSquare)));
    }

    // Without a fixed start each test draws its own, from the clock, and shows that question first.
    void eachTestDrawsItsStart() {
        Course course(400);
        ChooseLanguage(Language::Russian);
        QSet<int> starts;
        for (int test = 0; test < 12; ++test) {
            StartTest(Language::Russian);
            const int start = DataModule5->ADOTable1->fieldText(QStringLiteral("num")).toInt();
            QVERIFY2(start >= 1 && start <= 379, qPrintable(QString::number(start)));
            QCOMPARE(Shown(), QStringLiteral("Вопрос %1 | 1 из 20").arg(start));
            starts << start;
            Form4->close();
        }
        QVERIFY2(starts.size() > 1, "every test drew the same window start");
    }

    void layout() {
        Course course;
        ChooseLanguage(Language::Russian);
        StartTest(Language::Russian);
        QVERIFY(Form4->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(Form4->size(), QSize(636, 533));
        QCOMPARE(Form4->windowTitle(), QStringLiteral("Тестирование"));
        // Centred over the language window (638 x 452 at 364, 158 on the recording desktop).
        QCOMPARE(Form1->geometry(), QRect(364, 158, 638, 452));
        QCOMPARE(Form4->pos(), QPoint(365, 118));
        QCOMPARE(Form4->DBMemo1->size(), QSize(567, 132));
        QVERIFY(Form4->DBMemo1->isReadOnly());

        // Answers: a and b in the first row, c and d in the second, e alone on the left of the third,
        // each with its red letter to its left.
        const QList<DBText*> answers{Form4->DBText2, Form4->DBText3, Form4->DBText4, Form4->DBText5, Form4->DBText6};
        const QList<QLabel*> letters{Form4->Label2, Form4->Label3, Form4->Label4, Form4->Label5, Form4->Label6};
        for (int i = 0; i < 5; ++i) {
            const QRect box = answers[i]->geometry();
            QVERIFY2(box.height() == 90 && box.width() >= 253 && box.width() <= 266,
                     qPrintable(answers[i]->objectName()));
            QVERIFY(answers[i]->wordWrap());
            QCOMPARE(answers[i]->alignment(), Qt::AlignCenter);
            QCOMPARE(letters[i]->text(), QString(QChar(u'A' + i)));
            QVERIFY(letters[i]->geometry().right() < box.left());
            QVERIFY(letters[i]->geometry().center().y() >= box.top() &&
                    letters[i]->geometry().center().y() <= box.bottom());
            QVERIFY(box.top() >= Form4->DBMemo1->geometry().bottom());
        }
        QCOMPARE(answers[0]->y(), answers[1]->y());
        QCOMPARE(answers[2]->y(), answers[3]->y());
        QVERIFY(answers[0]->x() < answers[1]->x() && answers[2]->x() < answers[3]->x());
        QVERIFY(answers[0]->y() < answers[2]->y() && answers[2]->y() < answers[4]->y());
        QCOMPARE(answers[4]->x(), answers[0]->x());

        QCOMPARE(Form4->SpeedButton1->size(), QSize(22, 22));
        QCOMPARE(Form4->SpeedButton2->size(), QSize(22, 22));
        QCOMPARE(Form4->SpeedButton1->text(), QStringLiteral("<"));
        QCOMPARE(Form4->SpeedButton2->text(), QStringLiteral(">"));
        QVERIFY(Form4->SpeedButton1->x() < Form4->Label1->x() &&
                Form4->Label1->geometry().right() < Form4->SpeedButton2->x());
        QCOMPARE(Form4->SpeedButton20->size(), QSize(136, 35));
        QVERIFY(Form4->SpeedButton20->x() > 636 / 2 && Form4->SpeedButton20->y() > answers[4]->geometry().bottom());
        QCOMPARE(Form4->SpeedButton20->text(), QStringLiteral("закончить тест"));
        for (QWidget* w : std::initializer_list<QWidget*>{Form4->SpeedButton1, Form4->SpeedButton2,
                                                          Form4->SpeedButton20, Form4->DBMemo1, Form4->Label1})
            QVERIFY2(QRect(QPoint(), Form4->size()).contains(w->geometry()), qPrintable(w->objectName()));
    }
};

QTEST_MAIN(TestTestingWindow)
#include "tst_testingwindow.moc"
