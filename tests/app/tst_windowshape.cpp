// Shaped borderless windows: their outline, their background beneath the controls, a missing
// picture, and moving a window by its pictures.
#include <QtTest>

#include "Fixture.h"
#include "Handler.h"
#include "Image.h"
#include "TreeView.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit6.h"
#include "Unit8.h"
#include "WindowSetGuard.h"
#include "WindowShape.h"

using fixture::CourseRoot;

namespace {
qint64 pixelCount(const QRegion& region) {
    qint64 count = 0;
    for (const QRect& r : region) count += qint64(r.width()) * r.height();
    return count;
}
}  // namespace

class TestWindowShape : public QObject {
    Q_OBJECT

private slots:
    void mainWindowsTakeTheirMask() {
        CourseRoot root;
        WindowSetGuard windows(root.path());
        QVERIFY(windows.desktop.errors.isEmpty());
        for (TMainForm* window : {static_cast<TMainForm*>(Form2), static_cast<TMainForm*>(Form8)}) {
            QCOMPARE(window->size(), QSize(892, 705));
            QCOMPARE(pixelCount(window->mask()), 551368);
            // The cut-outs: the outer edge below the band, and a hole of the right panel.
            QVERIFY(!window->mask().contains(QPoint(5, 300)));
            QVERIFY(!window->mask().contains(QPoint(450, 660)));
            QVERIFY(window->mask().contains(QPoint(200, 300)));
            // The background lies beneath the tree and the buttons.
            QCOMPARE(window->childAt(700, 45), static_cast<QWidget*>(window->Image1));
            QVERIFY(window->childAt(200, 300) != window->Image1);
            QCOMPARE(window->Image1->size(), QSize(892, 705));
        }
        QCOMPARE(Form2->Image1->pos(), QPoint(0, 0));
        QCOMPARE(Form8->Image1->pos(), QPoint(0, 1));
    }

    void registerTakesItsMask() {
        CourseRoot root;
        WindowSetGuard windows(root.path());
        QVERIFY(windows.desktop.errors.isEmpty());
        QCOMPARE(Form6->size(), QSize(390, 210));
        QCOMPARE(pixelCount(Form6->mask()), 75843);
        QVERIFY(!Form6->mask().intersects(QRect(0, 0, 390, 4)));  // the top four rows are cut whole
        QCOMPARE(Form6->Image1->size(), QSize(390, 210));
        QVERIFY(Form6->childAt(200, 100) != Form6->Image1);  // the grid lies above the picture
        // The register has no drag picture.
        QTest::mousePress(Form6->Image1, Qt::LeftButton, {}, QPoint(5, 190));
        QVERIFY(windows.desktop.moves.isEmpty());
    }

    void missingPictureLeavesTheWindowRectangular_data() {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("mask");
        QTest::newRow("picture missing") << ":/images/none.jpg"
                                         << ":/images/DW1.bmp";
        QTest::newRow("picture not a JPEG") << ":/images/treeicons.png"
                                            << ":/images/DW1.bmp";
        QTest::newRow("mask missing") << ":/images/background2.jpg"
                                      << ":/images/none.bmp";
    }
    void missingPictureLeavesTheWindowRectangular() {
        QFETCH(QString, picture);
        QFETCH(QString, mask);
        CourseRoot root;
        WindowSetGuard windows(root.path());
        QWidget window;
        window.resize(949, 754);
        auto* background = new Image(&window);
        platform::runGuarded([&] { ShapeWindow(&window, background, picture, mask); });
        QCOMPARE(windows.desktop.errors.size(), 1);
        QCOMPARE(window.size(), QSize(949, 754));
        QVERIFY(window.mask().isEmpty());
    }

    void anyButtonOnADragPictureMovesTheWindow_data() {
        QTest::addColumn<int>("window");  // 1 Form1, 2 Form2, 8 Form8
        QTest::addColumn<QString>("picture");
        QTest::addColumn<int>("button");
        QTest::newRow("emblem of the language window") << 1 << "Image1" << int(Qt::LeftButton);
        QTest::newRow("background, right button") << 2 << "Image1" << int(Qt::RightButton);
        QTest::newRow("emblem of the main window, middle button") << 2 << "Image2" << int(Qt::MiddleButton);
        QTest::newRow("Kazakh emblem") << 8 << "Image2" << int(Qt::LeftButton);
    }
    void anyButtonOnADragPictureMovesTheWindow() {
        QFETCH(int, window);
        QFETCH(QString, picture);
        QFETCH(int, button);
        CourseRoot root;
        WindowSetGuard windows(root.path());
        QWidget* target = window == 1   ? static_cast<QWidget*>(Form1)
                          : window == 2 ? static_cast<QWidget*>(Form2)
                                        : Form8;
        auto* image = target->findChild<Image*>(picture);
        QVERIFY(image);
        QTest::mousePress(image, Qt::MouseButton(button), {}, QPoint(5, 5));
        QCOMPARE(windows.desktop.moves, QList<QWidget*>{target});
    }
};

QTEST_MAIN(TestWindowShape)
#include "tst_windowshape.moc"
