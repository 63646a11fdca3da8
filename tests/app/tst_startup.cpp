// The window set, the placement of windows at their first showing, and closing.
#include <QtTest>

#include "app/Unit1.h"
#include "content/Unit2.h"
#include "content/Unit3.h"
#include "content/Unit8.h"
#include "content/Unit9.h"
#include "controls/Form.h"
#include "data/Unit5.h"
#include "data/Unit6.h"
#include "data/cursor/DataSet.h"
#include "platform/WaitCursor.h"
#include "testing/Unit4.h"
#include "testing/Unit7.h"
#include "tests/common/Fixture.h"
#include "tests/common/WindowSetGuard.h"

using fixture::CourseRoot;

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void windowSetIsCreatedHidden() {
        CourseRoot root;
        WindowSetGuard windows(root.path());
        const QList<QPair<QObject*, const char*>> set{
            {Form1, "TForm1"}, {Form2, "TForm2"}, {Form3, "TForm3"}, {Form4, "TForm4"}, {DataModule5, "TDataModule5"},
            {Form6, "TForm6"}, {Form7, "TForm7"}, {Form8, "TForm8"}, {Form9, "TForm9"}};
        for (const auto& [object, className] : set) {
            QVERIFY(object);
            QCOMPARE(object->metaObject()->className(), className);
            if (auto* widget = qobject_cast<QWidget*>(object)) QVERIFY(!widget->isVisible());
        }
        QVERIFY(windows.desktop.errors.isEmpty());
        QCOMPARE(Form1->ContentRoot, root.path());
        QCOMPARE(Form2->ContentRoot, root.path());
        QCOMPARE(Form9->ContentRoot, root.path());
        QCOMPARE(Form1->windowTitle(), QStringLiteral("Выбор языка"));
        QCOMPARE(Form1->size(), QSize(638, 452));
        QVERIFY(!DataModule5->ADOTable1->isActive());
    }

    void centring_data() {
        QTest::addColumn<QRect>("over");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("language window on a 1366x768 screen")
            << QRect(0, 0, 1366, 768) << QSize(638, 452) << QPoint(364, 158);
        QTest::newRow("odd difference truncates toward zero")
            << QRect(364, 158, 638, 452) << QSize(949, 754) << QPoint(209, 7);
        QTest::newRow("negative result raised to the desktop edge")
            << QRect(10, 20, 638, 452) << QSize(949, 754) << QPoint(0, 0);
        QTest::newRow("smaller window") << QRect(364, 158, 638, 452) << QSize(377, 368) << QPoint(494, 200);
    }
    void centring() {
        QFETCH(QRect, over);
        QFETCH(QSize, window);
        QFETCH(QPoint, expected);
        QCOMPARE(centredOver(over, window, QPoint(0, 0)), expected);
    }

    // The language window as the user sees it: the emblem, the title lines and the prompt where the
    // course puts them, "Kaz" on the left and "Rus" on the right beneath the prompt, and the small
    // "Выход" at the lower right.
    void languageWindowLayout() {
        QTemporaryDir root;
        WindowSetGuard windows(root.path());
        Form1->show();
        QCOMPARE(Form1->windowTitle(), QStringLiteral("Выбор языка"));
        QCOMPARE(Form1->size(), QSize(638, 452));
        QCOMPARE(Form1->Image1->geometry(), QRect(231, 16, 187, 174));
        const QList<std::pair<QLabel*, QPoint>> lines{{Form1->Label2, {144, 196}}, {Form1->Label3, {231, 228}},
                                                      {Form1->Label4, {191, 257}}, {Form1->Label5, {78, 286}},
                                                      {Form1->Label6, {110, 315}}, {Form1->Label1, {242, 360}}};
        for (const auto& [label, at] : lines) {
            QCOMPARE(label->pos(), at);
            QVERIFY2(!label->text().isEmpty(), qPrintable(label->objectName()));
        }
        QCOMPARE(Form1->Label4->text(), QStringLiteral("Учебно-методическое пособие"));
        QCOMPARE(Form1->Label1->text(), QStringLiteral("Выберите язык обучения"));
        QCOMPARE(Form1->SpeedButton2->text(), QStringLiteral("Kaz"));
        QCOMPARE(Form1->SpeedButton2->geometry(), QRect(144, 388, 68, 41));
        QCOMPARE(Form1->SpeedButton1->text(), QStringLiteral("Rus"));
        QCOMPARE(Form1->SpeedButton1->geometry(), QRect(450, 388, 66, 41));
        QCOMPARE(Form1->SpeedButton3->text(), QStringLiteral("Выход"));
        QCOMPARE(Form1->SpeedButton3->geometry(), QRect(542, 411, 60, 15));
    }

    // Where each window that centres itself first appears on a 1366 x 768 screen: the language
    // window in the middle, each other one centred over it (hidden by then) by its own size, also
    // where the user dragged it first, and never beyond the desktop's top-left corner.
    void firstShowing_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QPoint>("dragged");  // where the language window was dragged; (-1, -1): not
        QTest::addColumn<QPoint>("place");
        const QPoint none(-1, -1);
        QTest::newRow("language window, 638 x 452") << "Form1" << none << QPoint(364, 158);
        QTest::newRow("Russian main window, 892 x 705") << "Form2" << none << QPoint(237, 32);
        QTest::newRow("Kazakh main window, 892 x 705") << "Form8" << none << QPoint(237, 32);
        QTest::newRow("testing window, 636 x 533") << "Form4" << none << QPoint(365, 118);
        QTest::newRow("user register, 390 x 210") << "Form6" << none << QPoint(488, 279);
        QTest::newRow("test results, 377 x 368") << "Form7" << none << QPoint(494, 200);
        QTest::newRow("testing window, language window dragged") << "Form4" << QPoint(500, 300) << QPoint(501, 260);
        QTest::newRow("user register, language window dragged") << "Form6" << QPoint(500, 300) << QPoint(624, 421);
        QTest::newRow("test results, language window dragged") << "Form7" << QPoint(500, 300) << QPoint(630, 342);
        QTest::newRow("Kazakh main window, raised to the desktop's corner")
            << "Form8" << QPoint(100, 60) << QPoint(0, 0);
    }
    void firstShowing() {
        QFETCH(QString, window);
        QFETCH(QPoint, dragged);
        QFETCH(QPoint, place);
        QTemporaryDir root;
        WindowSetGuard windows(root.path());
        const QHash<QString, QWidget*> byName{{"Form1", Form1}, {"Form2", Form2}, {"Form8", Form8},
                                              {"Form4", Form4}, {"Form6", Form6}, {"Form7", Form7}};
        Form1->show();
        if (dragged.x() >= 0) Form1->move(dragged);
        QWidget* shown = byName.value(window);
        if (shown != Form1) {
            Form1->hide();
            shown->show();
        }
        QCOMPARE(shown->frameGeometry().topLeft(), place);
        QVERIFY(windows.desktop.errors.isEmpty());
    }

    // The main window is centred over the place the language window was dragged to, and keeps
    // its own place at later showings.
    void mainWindowPlacedOnceOverForm1() {
        CourseRoot root;
        WindowSetGuard windows(root.path());
        Form1->show();
        QCOMPARE(Form1->pos(), QPoint(364, 158));
        Form1->move(400, 200);
        Form1->SpeedButton1->click();
        // 892 x 705 over 638 x 452 at 400, 200: 400 - 254 / 2 and 200 - 253 / 2, truncated toward zero.
        QCOMPARE(Form2->pos(), QPoint(273, 74));
        Form2->move(30, 40);
        Form2->hide();
        Form2->show();
        QCOMPARE(Form2->pos(), QPoint(30, 40));
    }

    // The wait cursor shows while the language choice opens the course database (a lab server may take
    // seconds), and is gone once the choice is done, however it ended; an error box comes up with the
    // ordinary pointer.
    void waitCursorWhileTheDatabaseOpens_data() {
        QTest::addColumn<QString>("course");
        QTest::addColumn<bool>("opened");
        QTest::addColumn<bool>("tablesRead");  // the tables were read while the wait cursor showed
        QTest::newRow("the course opens") << "whole" << true << true;
        QTest::newRow("no course database") << "none" << false << false;
        QTest::newRow("the register lacks glava") << "no glava" << false << true;
    }
    void waitCursorWhileTheDatabaseOpens() {
        QFETCH(QString, course);
        QFETCH(bool, opened);
        QFETCH(bool, tablesRead);
        CourseRoot root;
        if (course == u"none") QVERIFY(QFile::remove(root.databasePath()));
        if (course == u"no glava") root.exec(QStringLiteral("ALTER TABLE user1 DROP COLUMN glava"));
        // Before the windows: closing the database at their end resets the tables once more.
        QStringList read;
        WindowSetGuard windows(root.path());
        for (DataSet* table : {DataModule5->ADOTable1, DataModule5->ADOTable2})
            connect(table, &DataSet::reset, this, [&read, table] {
                read << table->tableName() + (platform::Waiting() ? QStringLiteral(" waiting") : QString());
            });
        Form1->show();
        for (int press = 0; press < 2; ++press) {
            Form1->SpeedButton1->click();  // "Rus"
            QVERIFY(!QGuiApplication::overrideCursor());
            QCOMPARE(Form2->isVisible(), opened);
            QCOMPARE(Form1->isVisible(), !opened);
            if (opened) break;
        }
        if (tablesRead) QCOMPARE(read.value(0), QStringLiteral("test waiting"));
        QCOMPARE(windows.desktop.errors.size(), opened ? 0 : 2);
        for (const auto& box : windows.desktop.errors) QVERIFY2(!box.waitCursor, qPrintable(box.text));
    }

    void closingOtherWindowsOnlyHidesThem() {
        CourseRoot root;
        WindowSetGuard windows(root.path());
        for (QWidget* w : std::initializer_list<QWidget*>{Form3, Form4, Form6, Form7, Form9}) {
            w->show();
            QVERIFY(w->close());
            QVERIFY(!w->isVisible());
        }
        QVERIFY(windows.desktop.errors.isEmpty());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
