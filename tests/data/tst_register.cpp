// The user register window: choosing a user for a main window, and the grid, the edit box and the
// navigator working on the register's one cursor, driven with the mouse and the keyboard.
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

#include "app/Unit1.h"
#include "content/Unit2.h"
#include "content/Unit8.h"
#include "controls/Form.h"
#include "controls/StatusBar.h"
#include "data/Unit5.h"
#include "data/Unit6.h"
#include "data/controls/DBEdit.h"
#include "data/controls/DBGrid.h"
#include "data/controls/DBNavigator.h"
#include "data/cursor/DataSet.h"
#include "tests/common/Fixture.h"
#include "tests/common/WindowSetGuard.h"

using fixture::CourseRoot;
using Nav = DBNavigator::Button;

namespace {

const QStringList kStored{"Айгерим|1 Неделя", "Борис|<null>", "Сәуле|Введение"};
const QStringList kShown{"Айгерим|1 Неделя", "Борис|", "Сәуле|Введение"};

DataSet* users() { return DataModule5->ADOTable2; }

QStringList panels(TMainForm* window) { return {window->StatusBar1->panelText(2), window->StatusBar1->panelText(4)}; }

// What the grid shows, one "user|glava" per line.
QStringList gridRows() {
    const QAbstractItemModel* model = Form6->DBGrid1->model();
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row)
        rows << model->index(row, 0).data().toString() + u'|' + model->index(row, 1).data().toString();
    return rows;
}

QString stateName() {
    switch (users()->state()) {
        case DataSet::State::Inactive:
            return QStringLiteral("inactive");
        case DataSet::State::Browse:
            return QStringLiteral("browse");
        case DataSet::State::Edit:
            return QStringLiteral("edit");
        case DataSet::State::Insert:
            return QStringLiteral("insert");
    }
    return {};
}

// The navigator buttons a user can press now.
QString enabledButtons() {
    QStringList names;
    if (Form6->DBNavigator1->button(Nav::Insert)->isEnabled()) names << QStringLiteral("insert");
    if (Form6->DBNavigator1->button(Nav::Delete)->isEnabled()) names << QStringLiteral("delete");
    if (Form6->DBNavigator1->button(Nav::Post)->isEnabled()) names << QStringLiteral("post");
    return names.join(u' ');
}

QPoint cellCentre(int row, int column = 0) {
    return Form6->DBGrid1->visualRect(Form6->DBGrid1->model()->index(row, column)).center();
}

void clickCell(int row, int column = 0) {
    QTest::mouseClick(Form6->DBGrid1->viewport(), Qt::LeftButton, {}, cellCentre(row, column));
}

// A real double-click: the first click arrives as a press, the second as a double-click.
void doubleClickAt(QWidget* widget, QPoint at) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

void clickButton(Nav which) { QTest::mouseClick(Form6->DBNavigator1->button(which), Qt::LeftButton); }

// Keys go where the user's keys would: to the focused control (an open cell editor included).
QWidget* focused() {
    QWidget* widget = QApplication::focusWidget();
    if (!widget) qFatal("no control has the focus");
    return widget;
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(focused(), key, modifiers);
}

void typeText(const QString& text) {
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, focused(), Qt::Key(ch.toUpper().unicode()), QString(ch), Qt::NoModifier);
}

// The register button of a main window, as the user clicks it.
bool openRegister(TMainForm* from) {
    from->SpeedButton1Click();
    return QTest::qWaitForWindowActive(Form6);
}

// Runs user steps separated by ";": click:ROW[:COLUMN], key:NAME (Insert, Down, Up, Tab, Backtab, Escape,
// End, F2, Return, Space, CtrlDelete, CtrlTab), type:TEXT, nav:insert|delete|post, edit (a click into the
// edit box).
void runSteps(const QString& steps) {
    static const QHash<QString, Qt::Key> keys{
        {"Insert", Qt::Key_Insert},   {"Down", Qt::Key_Down},     {"Up", Qt::Key_Up},   {"Tab", Qt::Key_Tab},
        {"Backtab", Qt::Key_Backtab}, {"Escape", Qt::Key_Escape}, {"End", Qt::Key_End}, {"F2", Qt::Key_F2},
        {"Return", Qt::Key_Return},   {"Space", Qt::Key_Space}};
    for (const QString& step : steps.split(u';', Qt::SkipEmptyParts)) {
        const QString verb = step.section(u':', 0, 0);
        const QString rest = step.section(u':', 1);
        if (verb == u"click") {
            clickCell(rest.section(u':', 0, 0).toInt(), rest.section(u':', 1, 1).toInt());
        } else if (verb == u"key" && rest == u"CtrlDelete") {
            press(Qt::Key_Delete, Qt::ControlModifier);
        } else if (verb == u"key" && rest == u"CtrlTab") {
            press(Qt::Key_Tab, Qt::ControlModifier);
        } else if (verb == u"key" && keys.contains(rest)) {
            press(keys[rest]);
        } else if (verb == u"type") {
            typeText(rest);
        } else if (verb == u"nav") {
            clickButton(rest == u"insert" ? Nav::Insert : rest == u"delete" ? Nav::Delete : Nav::Post);
        } else if (verb == u"edit") {
            QTest::mouseClick(Form6->DBEdit1, Qt::LeftButton);
        } else {
            QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
        }
    }
}

// The program started in one language with the register opened from that language's main window.
struct Session {
    explicit Session(const QString& contentRoot, Language language = Language::Russian) : windows(contentRoot) {
        Form1->show();
        (language == Language::Russian ? Form1->SpeedButton1 : Form1->SpeedButton2)->click();
        opener = language == Language::Russian ? static_cast<TMainForm*>(Form2) : static_cast<TMainForm*>(Form8);
        active = openRegister(opener);
    }
    WindowSetGuard windows;
    TMainForm* opener = nullptr;
    bool active = false;
};

}  // namespace

class TestRegister : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { fixture::AddBackendRows(); }
    void init() { fixture::UseBackendOfThisRow(); }

    // A choice writes the current row into the opener's panels only, hides the register, and neither
    // stores nor moves.
    void choiceWritesTheOpenersPanels_data() {
        QTest::addColumn<Language>("language");
        QTest::addColumn<int>("tag");        // -1: the main window's register button sets it
        QTest::addColumn<QString>("where");  // what is double-clicked
        QTest::addColumn<int>("written");    // 2 or 8
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("currentRow");
        QTest::newRow("Form2, a row") << Language::Russian << -1 << "row 2" << 2 << QStringList{"Сәуле", "Введение"}
                                      << 2;
        QTest::newRow("Form8, a row") << Language::Kazakh << -1 << "row 2" << 8 << QStringList{"Сәуле", "Введение"}
                                      << 2;
        QTest::newRow("title row: the current row")
            << Language::Russian << -1 << "title" << 2 << QStringList{"Борис", ""} << 1;
        QTest::newRow("below the rows: the current row")
            << Language::Kazakh << -1 << "below" << 8 << QStringList{"Борис", ""} << 1;
        QTest::newRow("tag other than 1: Form8")
            << Language::Russian << 0 << "row 2" << 8 << QStringList{"Сәуле", "Введение"} << 2;
        QTest::newRow("Form2, Enter on a row")
            << Language::Russian << -1 << "Enter" << 2 << QStringList{"Сәуле", "Введение"} << 2;
        QTest::newRow("Form8, Enter on a row")
            << Language::Kazakh << -1 << "Enter" << 8 << QStringList{"Сәуле", "Введение"} << 2;
    }
    void choiceWritesTheOpenersPanels() {
        QFETCH(Language, language);
        QFETCH(int, tag);
        QFETCH(QString, where);
        QFETCH(int, written);
        QFETCH(QStringList, expected);
        QFETCH(int, currentRow);
        CourseRoot root;
        Session session(root.path(), language);
        if (tag >= 0) Form6->Tag = tag;
        QVERIFY(Form6->isVisible());
        TMainForm* target = written == 2 ? static_cast<TMainForm*>(Form2) : static_cast<TMainForm*>(Form8);
        TMainForm* other = written == 2 ? static_cast<TMainForm*>(Form8) : static_cast<TMainForm*>(Form2);
        const QStringList otherBefore = panels(other);

        DBGrid* grid = Form6->DBGrid1;
        if (where == u"row 2") {
            doubleClickAt(grid->viewport(), cellCentre(2));
        } else if (where == u"Enter") {
            runSteps(QStringLiteral("key:Down;key:Down;key:Return"));
        } else {
            clickCell(1);
            if (where == u"title")
                doubleClickAt(grid->horizontalHeader()->viewport(), grid->horizontalHeader()->rect().center());
            else
                doubleClickAt(grid->viewport(), QPoint(20, grid->viewport()->height() - 5));
        }

        QVERIFY(session.windows.desktop.errors.isEmpty());
        QVERIFY(!Form6->isVisible());
        QCOMPARE(panels(target), expected);
        QCOMPARE(panels(other), otherBefore);
        QCOMPARE(users()->currentRow(), currentRow);
        QCOMPARE(stateName(), QStringLiteral("browse"));
        QCOMPARE(root.rows(QStringLiteral("user1")), kStored);
    }

    // Enter in an open cell only closes it, the typed name in the row; the next Enter chooses the row,
    // the name still waiting to be stored.
    void enterInAnOpenCell() {
        CourseRoot root;
        Session session(root.path());
        QVERIFY(session.active);
        runSteps(QStringLiteral("click:0;type:Ася;key:Return"));
        // The cell's editor closes once the event loop runs, as the item delegate has it.
        QTRY_VERIFY(!Form6->DBGrid1->cellEditor());
        QVERIFY(Form6->isVisible());
        QCOMPARE(gridRows(), (QStringList{"Ася|1 Неделя", kShown[1], kShown[2]}));
        QCOMPARE(stateName(), QStringLiteral("edit"));
        runSteps(QStringLiteral("key:Return"));
        QVERIFY(!Form6->isVisible());
        QCOMPARE(panels(Form2), (QStringList{"Ася", "1 Неделя"}));
        QCOMPARE(stateName(), QStringLiteral("edit"));
        QCOMPARE(root.rows(QStringLiteral("user1")), kStored);
        QVERIFY(session.windows.desktop.errors.isEmpty());
    }

    // A click on another row and "X": that row is the current user record from then on, for the chapter
    // record too, while the status bar keeps the old name until it is written again.
    void clickAndCloseMovesTheCurrentUser() {
        CourseRoot root;
        Session session(root.path());
        clickCell(1);
        QTest::mouseClick(Form6->Button1, Qt::LeftButton);
        QVERIFY(!Form6->isVisible());
        QCOMPARE(panels(Form2), (QStringList{"Айгерим", "1 Неделя"}));
        QCOMPARE(DataModule5->CurrentUserName(), QStringLiteral("Борис"));

        DataModule5->RecordChapter(QStringLiteral("Лекция 2"));
        DataModule5->ShowCurrentUser(Form2->StatusBar1);
        QCOMPARE(root.rows(QStringLiteral("user1")),
                 (QStringList{"Айгерим|1 Неделя", "Борис|Лекция 2", "Сәуле|Введение"}));
        QCOMPARE(panels(Form2), (QStringList{"Борис", "Лекция 2"}));

        // Shown again, the register stands where it was left.
        QVERIFY(openRegister(Form2));
        QCOMPARE(Form6->DBGrid1->currentIndex().row(), 1);
        QCOMPARE(Form6->DBEdit1->text(), QStringLiteral("Борис"));
    }

    // The grid, the edit box and the navigator as the user drives them; what the grid shows, where the
    // cursor stands, the table's state, the navigator buttons and what the database holds afterwards.
    void gridSteps_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("buttons");
        QTest::addColumn<QStringList>("stored");
        const QString a = kShown[0], b = kShown[1], c = kShown[2];

        QTest::newRow("Insert adds a row before the current one")
            << "click:1;key:Insert" << QStringList{a, "|", b, c} << 1 << 0 << "insert"
            << "insert delete post" << kStored;
        QTest::newRow("Esc drops an untouched new row")
            << "click:1;key:Insert;key:Escape" << kShown << 1 << 0 << "browse"
            << "insert delete" << kStored;
        QTest::newRow("Esc undoes the typing: the new row is untouched again and a click elsewhere drops it")
            << "click:1;key:Insert;type:Дана;key:Escape;click:3" << kShown << 2 << 0 << "browse"
            << "insert delete" << kStored;
        QTest::newRow("a second Esc abandons the new row")
            << "click:1;key:Insert;type:Дана;key:Escape;key:Escape" << kShown << 1 << 0 << "browse"
            << "insert delete" << kStored;
        QTest::newRow("Esc puts an edited cell back and the row stays in edit")
            << "click:0;type:Ася;key:Escape" << kShown << 0 << 0 << "edit"
            << "insert delete post" << kStored;
        QTest::newRow("Esc after leaving the cell abandons the row's change")
            << "click:0;type:Ася;key:Tab;key:Escape" << kShown << 0 << 1 << "browse"
            << "insert delete" << kStored;
        QTest::newRow("a typed cell is stored by moving to another row")
            << "click:0;type:Ася;key:Down" << QStringList{"Ася|1 Неделя", b, c} << 1 << 0 << "browse"
            << "insert delete" << QStringList{"Ася|1 Неделя", kStored[1], kStored[2]};
        QTest::newRow("the chapter column is not edited") << "click:0:1;type:x" << kShown << 0 << 1 << "browse"
                                                          << "insert delete" << kStored;
        QTest::newRow("Down on the last row appends once")
            << "click:2;key:Down;key:Down" << QStringList{a, b, c, "|"} << 3 << 0 << "insert"
            << "insert delete post" << kStored;
        QTest::newRow("Down stores a typed new row and appends the next")
            << "click:2;key:Down;type:Дана;key:Down" << QStringList{a, b, c, "Дана|", "|"} << 4 << 0 << "insert"
            << "insert delete post" << QStringList{kStored[0], kStored[1], kStored[2], "Дана|<null>"};
        QTest::newRow("Up from an untouched appended row drops it")
            << "click:2;key:Down;key:Up" << kShown << 2 << 0 << "browse"
            << "insert delete" << kStored;
        QTest::newRow("Tab walks the cells and appends after the last one")
            << "click:2;key:Tab;key:Tab" << QStringList{a, b, c, "|"} << 3 << 0 << "insert"
            << "insert delete post" << kStored;
        QTest::newRow("Shift+Tab goes back to the last cell of the previous row")
            << "click:1;key:Backtab" << kShown << 0 << 1 << "browse"
            << "insert delete" << kStored;
        QTest::newRow("a click below an untouched new row lands on the row clicked")
            << "click:0;key:Insert;click:2" << kShown << 1 << 0 << "browse"
            << "insert delete" << kStored;
        QTest::newRow("a cell editor opened on a new row and left untyped leaves the row untouched")
            << "click:1;key:Insert;key:F2;edit" << kShown << 1 << 0 << "browse"
            << "insert delete" << kStored;
        QTest::newRow("a click above an untouched new row")
            << "click:2;key:Insert;click:0" << kShown << 0 << 0 << "browse"
            << "insert delete" << kStored;
        QTest::newRow("navigator insert while a cell is typed stores that row first")
            << "click:0;type:Ася;nav:insert" << QStringList{"|", "Ася|1 Неделя", b, c} << 0 << 0 << "insert"
            << "insert delete post" << QStringList{"Ася|1 Неделя", kStored[1], kStored[2]};
        QTest::newRow("navigator post stores an empty new row")
            << "click:1;nav:insert;nav:post" << QStringList{a, "|", b, c} << 1 << 0 << "browse"
            << "insert delete" << QStringList{kStored[0], kStored[1], kStored[2], "<null>|<null>"};
        QTest::newRow("navigator post takes the open cell editor's text")
            << "click:1;type:Бо;nav:post" << QStringList{a, "Бо|", c} << 1 << 0 << "browse"
            << "insert delete" << QStringList{kStored[0], "Бо|<null>", kStored[2]};
        // The keyboard leaves the grid with Ctrl+Tab (Tab walks its cells) and works the navigator.
        QTest::newRow("Ctrl+Tab leaves the grid and drops an untouched new row")
            << "click:1;key:Insert;key:CtrlTab" << kShown << 1 << 0 << "browse"
            << "insert delete" << kStored;
        QTest::newRow("Ctrl+Tab from a typed cell keeps the typing pending")
            << "click:0;type:Ася;key:CtrlTab" << QStringList{"Ася|1 Неделя", b, c} << 0 << 0 << "edit"
            << "insert delete post" << kStored;
        QTest::newRow("Tab to the navigator's insert and Enter")
            << "click:1;key:CtrlTab;key:Tab;key:Return" << QStringList{a, "|", b, c} << 1 << 0 << "insert"
            << "insert delete post" << kStored;
        QTest::newRow("Tab to the navigator's post and Space")
            << "click:0;type:Ася;key:CtrlTab;key:Tab;key:Tab;key:Tab;key:Space" << QStringList{"Ася|1 Неделя", b, c}
            << 0 << 0 << "browse"
            << "insert delete" << QStringList{"Ася|1 Неделя", kStored[1], kStored[2]};
        QTest::newRow("the edit box edits the current row")
            << "click:2;edit;key:End;type: А.;nav:post" << QStringList{a, b, "Сәуле А.|Введение"} << 2 << 0 << "browse"
            << "insert delete" << QStringList{kStored[0], kStored[1], "Сәуле А.|Введение"};
    }
    void gridSteps() {
        QFETCH(QString, steps);
        QFETCH(QStringList, shown);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, state);
        QFETCH(QString, buttons);
        QFETCH(QStringList, stored);
        CourseRoot root;
        Session session(root.path());
        QVERIFY(session.active);
        runSteps(steps);
        QVERIFY2(session.windows.desktop.errors.isEmpty(), qPrintable(session.windows.desktop.errors.value(0).text));
        QCOMPARE(gridRows(), shown);
        QCOMPARE(users()->currentRow(), row);
        QCOMPARE(Form6->DBGrid1->currentIndex().row(), row);
        QCOMPARE(Form6->DBGrid1->currentIndex().column(), column);
        QCOMPARE(stateName(), state);
        QCOMPARE(enabledButtons(), buttons);
        QCOMPARE(root.rows(QStringLiteral("user1")), stored);
        // The edit box always shows the cursor's row.
        QCOMPARE(Form6->DBEdit1->text(), shown[row].section(u'|', 0, 0));
    }

    // The navigator deletes at once; Ctrl+Delete in the grid asks first and Cancel keeps the row.
    void deleting_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("navigator") << "click:1;nav:delete" << false << false << true;
        QTest::newRow("Ctrl+Delete, OK") << "click:1;key:CtrlDelete" << true << true << true;
        QTest::newRow("Ctrl+Delete, Cancel") << "click:1;key:CtrlDelete" << false << true << false;
        QTest::newRow("Ctrl+Delete in an open cell editor, OK")
            << "click:1;type:Бо;key:CtrlDelete" << true << true << true;
        QTest::newRow("Ctrl+Delete in an open cell editor, Cancel")
            << "click:1;type:Бо;key:CtrlDelete" << false << true << false;
    }
    void deleting() {
        QFETCH(QString, steps);
        QFETCH(bool, answer);
        QFETCH(bool, asked);
        QFETCH(bool, deleted);
        CourseRoot root;
        Session session(root.path());
        QVERIFY(session.active);
        session.windows.desktop.answers = {answer};
        runSteps(steps);
        QCOMPARE(session.windows.desktop.questions.size(), asked ? 1 : 0);
        if (asked) QCOMPARE(session.windows.desktop.questions[0].text, QStringLiteral("Delete record?"));
        QVERIFY(session.windows.desktop.errors.isEmpty());
        const QStringList left{kStored[0], kStored[2]};
        QCOMPARE(root.rows(QStringLiteral("user1")), deleted ? left : kStored);
        QCOMPARE(gridRows().size(), deleted ? 2 : 3);
        QCOMPARE(Form6->DBEdit1->text(), users()->fieldText(QStringLiteral("user")));
        if (deleted) QCOMPARE(DataModule5->CurrentUserName(), QStringLiteral("Сәуле"));
    }

    // Insert from the navigator, then a click into the edit box before typing: the new row goes, and the
    // edit box shows and edits the row that was current before.
    void insertThenEditBoxDropsTheNewRow() {
        CourseRoot root;
        Session session(root.path());
        QVERIFY(session.active);
        clickCell(1);
        QVERIFY(Form6->DBGrid1->hasFocus());
        clickButton(Nav::Insert);
        QVERIFY2(Form6->DBGrid1->hasFocus(), "the navigator took the focus");
        QCOMPARE(gridRows(), (QStringList{kShown[0], "|", kShown[1], kShown[2]}));
        QCOMPARE(Form6->DBEdit1->text(), QString());

        QTest::mouseClick(Form6->DBEdit1, Qt::LeftButton);
        QVERIFY(Form6->DBEdit1->hasFocus());
        QCOMPARE(gridRows(), kShown);
        QCOMPARE(stateName(), QStringLiteral("browse"));
        QCOMPARE(Form6->DBEdit1->text(), QStringLiteral("Борис"));
        press(Qt::Key_End);
        typeText(QStringLiteral(" К."));
        QCOMPARE(users()->currentRow(), 1);
        QCOMPARE(users()->fieldText(QStringLiteral("user")), QStringLiteral("Борис К."));
        QCOMPARE(gridRows()[1], QStringLiteral("Борис К.|"));
        clickButton(Nav::Post);
        QCOMPARE(root.rows(QStringLiteral("user1")), (QStringList{kStored[0], "Борис К.|<null>", kStored[2]}));
    }

    // A name typed into the edit box and not stored: "X" keeps it, a double-click shows it while the
    // database still holds the old name, and it is stored by the navigator's post, a move to another row
    // or the next chapter record.
    void typedNameReachesTheDatabaseOnlyWhenStored_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("glava");
        QTest::newRow("navigator post") << "post"
                                        << "1 Неделя";
        QTest::newRow("move to another row") << "move"
                                             << "1 Неделя";
        QTest::newRow("chapter record") << "chapter"
                                        << "Лекция 3";
    }
    void typedNameReachesTheDatabaseOnlyWhenStored() {
        QFETCH(QString, how);
        QFETCH(QString, glava);
        CourseRoot root;
        Session session(root.path());
        QVERIFY(session.active);
        QTest::mouseClick(Form6->DBEdit1, Qt::LeftButton);
        press(Qt::Key_A, Qt::ControlModifier);
        typeText(QStringLiteral("Айгерим Н."));
        QTest::mouseClick(Form6->Button1, Qt::LeftButton);
        QVERIFY(!Form6->isVisible());
        QCOMPARE(root.rows(QStringLiteral("user1")), kStored);

        QVERIFY(openRegister(Form2));
        QCOMPARE(Form6->DBEdit1->text(), QStringLiteral("Айгерим Н."));
        doubleClickAt(Form6->DBGrid1->viewport(), cellCentre(0));
        QVERIFY(!Form6->isVisible());
        QCOMPARE(panels(Form2), (QStringList{"Айгерим Н.", "1 Неделя"}));
        QCOMPARE(root.rows(QStringLiteral("user1")), kStored);

        if (how == u"chapter") {
            DataModule5->RecordChapter(glava);
        } else {
            QVERIFY(openRegister(Form2));
            if (how == u"post")
                clickButton(Nav::Post);
            else
                clickCell(1);
        }
        QVERIFY(session.windows.desktop.errors.isEmpty());
        QCOMPARE(root.rows(QStringLiteral("user1")).first(), QStringLiteral("Айгерим Н.|") + glava);
        QCOMPARE(root.rows(QStringLiteral("user1")).mid(1), kStored.mid(1));
    }

    // On an empty register a double-click writes two empty texts and closes; typing into the edit box
    // starts the first row.
    void emptyRegister() {
        CourseRoot root({fixture::QuestionBank(QStringLiteral("test"), 3), fixture::Users({})});
        Session session(root.path());
        QVERIFY(session.active);
        QCOMPARE(enabledButtons(), QStringLiteral("insert"));
        Form2->StatusBar1->setPanelText(2, QStringLiteral("прежний"));
        Form2->StatusBar1->setPanelText(4, QStringLiteral("текст"));
        doubleClickAt(Form6->DBGrid1->viewport(), Form6->DBGrid1->viewport()->rect().center());
        QVERIFY(session.windows.desktop.errors.isEmpty());
        QVERIFY(!Form6->isVisible());
        QCOMPARE(panels(Form2), (QStringList{"", ""}));
        QCOMPARE(users()->recordCount(), 0);

        QVERIFY(openRegister(Form2));
        QTest::mouseClick(Form6->DBEdit1, Qt::LeftButton);
        typeText(QStringLiteral("Дана"));
        QCOMPARE(gridRows(), QStringList{"Дана|"});
        QCOMPARE(enabledButtons(), QStringLiteral("insert delete post"));
        clickButton(Nav::Post);
        QCOMPARE(root.rows(QStringLiteral("user1")), QStringList{"Дана|<null>"});
    }

    // Placed once, centred over the language window; the register button of either main window while it
    // is open only sets the tag.
    void placementAndRegisterButtonWhileOpen() {
        CourseRoot root;
        Session session(root.path());
        const QPoint first = Form6->pos();
        // 390 x 210 centred over the language window, 638 x 452 at 364, 158.
        QCOMPARE(first, QPoint(488, 279));
        QCOMPARE(Form6->Tag, 1);
        QVERIFY(session.active);
        QVERIFY(Form6->DBGrid1->hasFocus());
        clickCell(1);

        Form8->SpeedButton1Click();
        QCOMPARE(Form6->Tag, 2);
        QVERIFY(Form6->isVisible());
        QCOMPARE(Form6->pos(), first);
        QCOMPARE(users()->currentRow(), 1);

        // Shown again: same place, and the focus where the user left it.
        QTest::mouseClick(Form6->DBEdit1, Qt::LeftButton);
        QTest::mouseClick(Form6->Button1, Qt::LeftButton);
        Form1->move(Form1->pos() + QPoint(100, 60));
        QVERIFY(openRegister(Form2));
        QCOMPARE(Form6->pos(), first);
        QCOMPARE(Form6->Tag, 1);
        QCOMPARE(Form6->focusWidget(), Form6->Button1);
        doubleClickAt(Form6->DBGrid1->viewport(), cellCentre(1));
        QCOMPARE(panels(Form2), (QStringList{"Борис", ""}));
    }

    // The register's caption and grid titles, and the register buttons of both main windows: all
    // Russian, the Kazakh one with its own spelling of the caption.
    void captionsAndTitles() {
        CourseRoot root;
        Session session(root.path());
        QCOMPARE(Form6->windowTitle(), QStringLiteral("Ввод пользователя"));
        const QAbstractItemModel* model = Form6->DBGrid1->model();
        QCOMPARE(model->columnCount(), 2);
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Имя пользователя"));
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("глава"));
        QCOMPARE(Form6->DBGrid1->columnWidth(0), 250);
        QCOMPARE(Form6->DBGrid1->columnWidth(1), 108);
        QCOMPARE(Form2->SpeedButton1->text(), QStringLiteral("Регистрация пользователя"));
        QCOMPARE(Form2->SpeedButton1->toolTip(), QStringLiteral("регистрация пользователя"));
        QCOMPARE(Form8->SpeedButton1->text(), QStringLiteral("Регистарция пользователя"));
        QCOMPARE(Form8->SpeedButton1->toolTip(), QStringLiteral("регистрация пользователя"));
    }

    // Names are stored and read back exactly as typed, through the grid or the edit box.
    void namesRoundTrip_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("inGrid");
        const QString quotes = QStringLiteral("O'Brien \"Jr\" `x`");
        const QString kazakh = QStringLiteral("Әлия Ғалымқызы Ұлжан Үміт Һ Іңкәр Өңір Қ");
        const QString sql = QStringLiteral("x'); DROP TABLE user1; --");
        const QString longName = QStringLiteral("Ә'q\" ").repeated(700);
        QTest::newRow("quotes, grid") << quotes << true;
        QTest::newRow("quotes, edit box") << quotes << false;
        QTest::newRow("Kazakh letters, grid") << kazakh << true;
        QTest::newRow("Kazakh letters, edit box") << kazakh << false;
        QTest::newRow("statement-like, edit box") << sql << false;
        QTest::newRow("3500 characters, grid") << longName << true;
        QTest::newRow("3500 characters, edit box") << longName << false;
    }
    void namesRoundTrip() {
        QFETCH(QString, name);
        QFETCH(bool, inGrid);
        CourseRoot root;
        {
            Session session(root.path());
            QVERIFY(session.active);
            clickCell(1);
            if (!inGrid) {
                QTest::mouseClick(Form6->DBEdit1, Qt::LeftButton);
                press(Qt::Key_A, Qt::ControlModifier);
            }
            // A long name is typed in part and pasted for the rest, as a user would.
            typeText(name.left(40));
            if (name.size() > 40) {
                QGuiApplication::clipboard()->setText(name.mid(40));
                press(Qt::Key_V, Qt::ControlModifier);
            }
            clickButton(Nav::Post);
            QVERIFY(session.windows.desktop.errors.isEmpty());
        }
        QCOMPARE(root.rows(QStringLiteral("user1"), QStringLiteral("\"user\"")).at(1), name);
        Session again(root.path());
        QCOMPARE(gridRows().at(1), name + u'|');
        doubleClickAt(Form6->DBGrid1->viewport(), cellCentre(1));
        QCOMPARE(panels(Form2).first(), name);
    }

    // A store the database refuses is reported, and the row stays current with the user's text pending;
    // once the cause is gone the next store succeeds. A row another user changed meanwhile shows
    // their values beside the pending name, and storing again (after the box) replaces only the name.
    void refusedStoreKeepsTheRow_data() {
        QTest::addColumn<QString>("breakSql");  // "refuse": the database refuses, until allowed again
        QTest::addColumn<QString>("store");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("pendingRow");
        QTest::addColumn<QString>("storedAtLast");
        QTest::newRow("refused, click on another row") << "refuse"
                                                       << "click:2"
                                                       << "names are locked"
                                                       << "Ася|1 Неделя"
                                                       << "Ася|1 Неделя";
        QTest::newRow("refused, Down") << "refuse"
                                       << "key:Down"
                                       << "names are locked"
                                       << "Ася|1 Неделя"
                                       << "Ася|1 Неделя";
        QTest::newRow("refused, navigator post") << "refuse"
                                                 << "nav:post"
                                                 << "names are locked"
                                                 << "Ася|1 Неделя"
                                                 << "Ася|1 Неделя";
        QTest::newRow("changed by another user, click on another row")
            << "UPDATE user1 SET glava = 'другая' WHERE \"user\" = 'Айгерим'"
            << "click:2"
            << "изменил или удалил другой пользователь после того, как она была прочитана; ваше изменение не "
               "записано в базу, но не потеряно (повторная запись заменит чужое изменение)"
            << "Ася|другая"
            << "Ася|другая";
    }
    void refusedStoreKeepsTheRow() {
        QFETCH(QString, breakSql);
        QFETCH(QString, store);
        QFETCH(QString, message);
        QFETCH(QString, pendingRow);
        QFETCH(QString, storedAtLast);
        CourseRoot root;
        Session session(root.path());
        QVERIFY(session.active);
        runSteps(QStringLiteral("click:0;type:Ася"));
        if (breakSql == u"refuse")
            root.refuseStores(QStringLiteral("names are locked"));
        else
            root.exec(breakSql);
        const QStringList before = root.rows(QStringLiteral("user1"));
        runSteps(store);
        QCOMPARE(session.windows.desktop.errors.size(), 1);
        QVERIFY2(session.windows.desktop.errors[0].text.contains(message),
                 qPrintable(session.windows.desktop.errors[0].text));
        QCOMPARE(root.rows(QStringLiteral("user1")), before);
        QCOMPARE(users()->currentRow(), 0);
        QCOMPARE(Form6->DBGrid1->currentIndex().row(), 0);
        QCOMPARE(stateName(), QStringLiteral("edit"));
        QCOMPARE(gridRows()[0], pendingRow);
        QCOMPARE(Form6->DBEdit1->text(), QStringLiteral("Ася"));
        if (breakSql == u"refuse") root.allowStores();
        runSteps(store);
        QCOMPARE(session.windows.desktop.errors.size(), 1);
        QCOMPARE(root.rows(QStringLiteral("user1")).first(), storedAtLast);
        QCOMPARE(root.rows(QStringLiteral("user1")).mid(1), before.mid(1));
    }

    // The grid follows the table row by row: no change, however made, reads the whole register again.
    void gridFollowsRowByRow() {
        CourseRoot root;
        Session session(root.path());
        QVERIFY(session.active);
        const QAbstractItemModel* model = Form6->DBGrid1->model();
        QSignalSpy resets(model, &QAbstractItemModel::modelReset);
        QSignalSpy layouts(model, &QAbstractItemModel::layoutChanged);
        QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy changed(model, &QAbstractItemModel::dataChanged);

        runSteps(QStringLiteral("click:1;key:Insert;type:Дана"));
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted[0][1].toInt(), 1);
        QCOMPARE(inserted[0][2].toInt(), 1);
        QVERIFY(!changed.isEmpty());
        for (const QList<QVariant>& change : changed) {
            QCOMPARE(change[0].toModelIndex().row(), 1);
            QCOMPARE(change[1].toModelIndex().row(), 1);
        }
        session.windows.desktop.answers = {true};
        runSteps(QStringLiteral("key:Down;click:1;key:CtrlDelete"));
        QCOMPARE(removed.size(), 1);
        QCOMPARE(gridRows(), kShown);
        QCOMPARE(resets.size(), 0);
        QCOMPARE(layouts.size(), 0);
    }

    // A register of 100,000 users: the grid reaches the last one, chooses it and adds a row before it.
    void largeRegister() {
        QList<QStringList> many;
        many.reserve(100000);
        for (int n = 0; n < 100000; ++n) many << QStringList{QStringLiteral("user%1").arg(n), QString()};
        CourseRoot root({fixture::QuestionBank(QStringLiteral("test"), 3), fixture::Users(many)});
        Session session(root.path());
        QVERIFY(session.active);
        QCOMPARE(Form6->DBGrid1->model()->rowCount(), 100000);
        press(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(users()->currentRow(), 99999);
        runSteps(QStringLiteral("key:Insert;type:Дана;key:Up"));
        QCOMPARE(users()->currentRow(), 99998);
        QCOMPARE(Form6->DBGrid1->model()->rowCount(), 100001);
        QCOMPARE(root.rows(QStringLiteral("user1"), QStringLiteral("\"user\"")).last(), QStringLiteral("Дана"));
        press(Qt::Key_End, Qt::ControlModifier);
        doubleClickAt(Form6->DBGrid1->viewport(), Form6->DBGrid1->visualRect(Form6->DBGrid1->currentIndex()).center());
        QCOMPARE(panels(Form2).first(), QStringLiteral("user99999"));
    }
};

QTEST_MAIN(TestRegister)
#include "tst_register.moc"
