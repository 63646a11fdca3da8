// The window set, the placement of windows at their first showing, and closing.
#include <QtTest>

#include "DataSet.h"
#include "Fixture.h"
#include "Form.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "Unit5.h"
#include "Unit6.h"
#include "Unit7.h"
#include "Unit8.h"
#include "Unit9.h"
#include "WindowSetGuard.h"

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

    // The main window is centred over the place the language window was dragged to, and keeps
    // its own place at later showings.
    void mainWindowPlacedOnceOverForm1() {
        CourseRoot root;
        WindowSetGuard windows(root.path());
        Form1->show();
        QCOMPARE(Form1->pos(), QPoint(364, 158));
        Form1->move(400, 200);
        Form1->SpeedButton1->click();
        const QPoint expected(400 + (638 - Form2->width()) / 2, qMax(0, 200 + (452 - Form2->height()) / 2));
        QCOMPARE(Form2->pos(), expected);
        Form2->move(30, 40);
        Form2->hide();
        Form2->show();
        QCOMPARE(Form2->pos(), QPoint(30, 40));
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
