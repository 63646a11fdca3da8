// The pictures in resources/images as the windows rely on them: mask outlines and pixel counts, controls on
// kept pixels, faces white wherever their mask cuts, the emblem and the icons.

#include <QColor>
#include <QSet>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "maskregion.h"
#include "shapingtest.h"

using namespace shapingtest;

namespace {

constexpr QRgb kLightGrey = 0xFFC0C0C0;

// JPEG noise allowed on pixels meant to be pure white.
constexpr int kWhiteEnough = 235;

QImage LoadPicture(const QString& name) { return QImage(ImagePath(name)); }

int MinChannel(QRgb pixel) { return std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)}); }

// Number of colour components in a JPEG's frame header, or -1.
int JpegComponents(const QByteArray& jpeg) {
    for (qsizetype i = 0; i + 9 < jpeg.size(); ++i) {
        const auto marker = static_cast<unsigned char>(jpeg[i + 1]);
        if (static_cast<unsigned char>(jpeg[i]) == 0xFF && (marker == 0xC0 || marker == 0xC1 || marker == 0xC2)) {
            return static_cast<unsigned char>(jpeg[i + 9]);
        }
    }
    return -1;
}

struct MeanColour {
    double red = 0;
    double green = 0;
    double blue = 0;
    int pixels = 0;
};

// Mean colour of the fully opaque pixels of `area`, or of the pixels `mask` keeps when a mask is given.
MeanColour Mean(const QImage& image, const QRect& area, const QImage& mask = {}) {
    MeanColour mean;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const bool counted = mask.isNull() ? qAlpha(pixel) == 255 : !IsWhite(mask.pixel(x, y));
            if (counted) {
                mean.red += qRed(pixel);
                mean.green += qGreen(pixel);
                mean.blue += qBlue(pixel);
                ++mean.pixels;
            }
        }
    }
    if (mean.pixels > 0) {
        mean.red /= mean.pixels;
        mean.green /= mean.pixels;
        mean.blue /= mean.pixels;
    }
    return mean;
}

}  // namespace

class TestArtwork : public QObject {
    Q_OBJECT

private slots:
    void mainMask();
    void registerMask();
    void controlsOnKeptPixels_data();
    void controlsOnKeptPixels();
    void cutsAreWhite_data();
    void cutsAreWhite();
    void faces_data();
    void faces();
    void emblem();
    void treeIcons_data();
    void treeIcons();
    void registerIcons();
};

void TestArtwork::mainMask() {
    const QImage mask = LoadMask(ImagePath(QStringLiteral("DW1.bmp")));
    QCOMPARE(mask.size(), QSize(892, 705));
    QVERIFY2(mask.depth() <= 8 && mask.colorCount() <= 16, "not a 16-colour palette picture");

    QSet<QRgb> used;
    int lightGrey = 0;
    for (int y = 0; y < mask.height(); ++y) {
        for (int x = 0; x < mask.width(); ++x) {
            const QRgb pixel = mask.pixel(x, y) | 0xFF000000u;
            used.insert(pixel);
            lightGrey += pixel == kLightGrey ? 1 : 0;
        }
    }
    QVERIFY(used.size() <= 16);
    QCOMPARE(mask.width() * mask.height(), 628860);
    QCOMPARE(CountKept(mask), 551368);
    QCOMPARE(lightGrey, 169);
}

void TestArtwork::registerMask() {
    const QImage mask = LoadMask(ImagePath(QStringLiteral("DW3.bmp")));
    QCOMPARE(mask.size(), QSize(390, 210));
    QCOMPARE(mask.colorCount(), 2);
    QVERIFY(mask.colorTable().contains(qRgb(255, 255, 255)));
    QCOMPARE(mask.width() * mask.height(), 81900);
    QCOMPARE(CountKept(mask), 75843);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < mask.width(); ++x) {
            QVERIFY2(IsWhite(mask.pixel(x, y)), qPrintable(QStringLiteral("%1,%2 kept").arg(x).arg(y)));
        }
    }
}

void TestArtwork::controlsOnKeptPixels_data() {
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QRect>("control");

    const QString main = QStringLiteral("DW1.bmp");
    QTest::newRow("main: status bar") << main << QRect(24, 16, 797, 19);
    QTest::newRow("main: close button") << main << QRect(827, 16, 28, 25);
    QTest::newRow("main: contents button in the neck") << main << QRect(114, 54, 191, 22);
    QTest::newRow("main: left group box") << main << QRect(35, 82, 350, 499);
    QTest::newRow("main: right group box") << main << QRect(409, 82, 446, 497);
    QTest::newRow("main: button under the left panel") << main << QRect(45, 639, 308, 37);

    const QString reg = QStringLiteral("DW3.bmp");
    QTest::newRow("register: grid") << reg << QRect(14, 17, 358, 144);
    // The close button starts at row 3, in the band cut off the top; the rest of it must be kept.
    QTest::newRow("register: close button below row 3") << reg << QRect(368, 4, 17, 14);
    QTest::newRow("register: edit box") << reg << QRect(19, 188, 256, 21);
    QTest::newRow("register: navigator") << reg << QRect(287, 187, 60, 20);
}

void TestArtwork::controlsOnKeptPixels() {
    QFETCH(QString, mask);
    QFETCH(QRect, control);
    const QImage image = LoadMask(ImagePath(mask));
    QVERIFY(image.rect().contains(control));
    for (int y = control.top(); y <= control.bottom(); ++y) {
        for (int x = control.left(); x <= control.right(); ++x) {
            QVERIFY2(!IsWhite(image.pixel(x, y)), qPrintable(QStringLiteral("%1,%2 is cut").arg(x).arg(y)));
        }
    }
}

void TestArtwork::cutsAreWhite_data() {
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QRect>("cut");

    const QString main = QStringLiteral("DW1.bmp");
    QTest::newRow("main: gap left of the neck") << main << QRect(20, 52, 84, 23);
    QTest::newRow("main: gap between the neck and the post") << main << QRect(315, 52, 78, 23);
    QTest::newRow("main: gap over the right panel") << main << QRect(405, 52, 468, 23);
    QTest::newRow("main: left outer edge") << main << QRect(0, 75, 16, 630);
    QTest::newRow("main: left outer edge above the foot") << main << QRect(16, 75, 7, 615);
    QTest::newRow("main: right outer edge") << main << QRect(885, 75, 7, 630);
    QTest::newRow("main: right outer edge above the foot") << main << QRect(873, 75, 12, 615);
    QTest::newRow("main: band's right margin") << main << QRect(889, 0, 3, 75);
    QTest::newRow("main: cut over the left strip") << main << QRect(31, 602, 356, 22);
    QTest::newRow("main: divider between the panels") << main << QRect(393, 76, 12, 614);
    QTest::newRow("main: between the left feet") << main << QRect(38, 690, 340, 15);
    QTest::newRow("main: between the right feet") << main << QRect(414, 690, 452, 15);

    const QString reg = QStringLiteral("DW3.bmp");
    QTest::newRow("register: top rows") << reg << QRect(0, 0, 390, 4);
    QTest::newRow("register: left of the body") << reg << QRect(0, 4, 3, 181);
    QTest::newRow("register: right of the body") << reg << QRect(385, 4, 5, 181);
    QTest::newRow("register: between the legs") << reg << QRect(42, 177, 305, 8);
    QTest::newRow("register: left of the left leg") << reg << QRect(0, 177, 18, 8);
    QTest::newRow("register: right of the right leg") << reg << QRect(368, 177, 22, 8);
    QTest::newRow("register: right of the bar") << reg << QRect(388, 185, 2, 25);
}

void TestArtwork::cutsAreWhite() {
    QFETCH(QString, mask);
    QFETCH(QRect, cut);
    const QImage image = LoadMask(ImagePath(mask));
    QVERIFY(image.rect().contains(cut));
    for (int y = cut.top(); y <= cut.bottom(); ++y) {
        for (int x = cut.left(); x <= cut.right(); ++x) {
            QVERIFY2(IsWhite(image.pixel(x, y)), qPrintable(QStringLiteral("%1,%2 is kept").arg(x).arg(y)));
        }
    }
}

void TestArtwork::faces_data() {
    QTest::addColumn<QString>("face");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<bool>("violet");  // otherwise pale blue

    QTest::newRow("main window") << QStringLiteral("background2.jpg") << QStringLiteral("DW1.bmp") << false;
    QTest::newRow("register window") << QStringLiteral("background4.jpg") << QStringLiteral("DW3.bmp") << true;
}

void TestArtwork::faces() {
    QFETCH(QString, face);
    QFETCH(QString, mask);
    QFETCH(bool, violet);
    const QImage picture = LoadPicture(face);
    const QImage shape = LoadMask(ImagePath(mask));
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.size(), shape.size());
    QCOMPARE(JpegComponents(ReadFile(ImagePath(face))), 3);

    // Wherever the mask cuts, the face must be white, give or take JPEG noise.
    for (int y = 0; y < shape.height(); ++y) {
        for (int x = 0; x < shape.width(); ++x) {
            if (IsWhite(shape.pixel(x, y)) && MinChannel(picture.pixel(x, y)) < kWhiteEnough) {
                const QString colour = QColor::fromRgb(picture.pixel(x, y)).name();
                QFAIL(qPrintable(QStringLiteral("cut pixel %1,%2 is %3").arg(x).arg(y).arg(colour)));
            }
        }
    }

    const MeanColour kept = Mean(picture, picture.rect(), shape);
    QCOMPARE(kept.pixels, CountKept(shape));
    if (violet) {
        QVERIFY2(kept.red > kept.green + 20 && kept.blue > kept.green + 30, "not violet");
    } else {
        QVERIFY2(kept.blue > kept.red + 15 && kept.blue > kept.green, "not blue");
        QVERIFY2(kept.red > 160 && kept.green > 170, "not pale");
    }
}

void TestArtwork::emblem() {
    const QString path = ImagePath(QStringLiteral("emblem.jpg"));
    QCOMPARE(JpegComponents(ReadFile(path)), 1);
    const QImage emblem(path);
    QCOMPARE(emblem.size(), QSize(187, 174));
    QVERIFY(emblem.isGrayscale());

    // White outside the circle that fills the picture's height; a dark rim just inside it.
    const QPointF centre(emblem.width() / 2.0, emblem.height() / 2.0);
    const double radius = emblem.height() / 2.0;
    int rim = 0;
    for (int y = 0; y < emblem.height(); ++y) {
        for (int x = 0; x < emblem.width(); ++x) {
            const double distance = std::hypot(x + 0.5 - centre.x(), y + 0.5 - centre.y());
            const int level = qGray(emblem.pixel(x, y));
            if (distance > radius) {
                QVERIFY2(level >= kWhiteEnough, qPrintable(QStringLiteral("%1,%2 is %3").arg(x).arg(y).arg(level)));
            } else if (distance > radius - 5 && level < 128) {
                ++rim;
            }
        }
    }
    const double rimArea = std::numbers::pi * (radius * radius - (radius - 5) * (radius - 5));
    QVERIFY2(rim > rimArea / 2, "no dark ring round the emblem");
}

void TestArtwork::treeIcons_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("look");

    QTest::newRow("folder") << 0 << QStringLiteral("blue");
    QTest::newRow("page") << 1 << QStringLiteral("grey");
    QTest::newRow("closed book") << 2 << QStringLiteral("red");
    QTest::newRow("open book") << 3 << QStringLiteral("light");
    QTest::newRow("video") << 4 << QStringLiteral("dark");
}

void TestArtwork::treeIcons() {
    QFETCH(int, index);
    QFETCH(QString, look);
    const QImage strip = LoadPicture(QStringLiteral("treeicons.png"));
    QCOMPARE(strip.size(), QSize(80, 16));
    QVERIFY(strip.hasAlphaChannel());

    const QRect cell(index * 16, 0, 16, 16);
    int transparent = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        for (int x = cell.left(); x <= cell.right(); ++x) {
            transparent += qAlpha(strip.pixel(x, y)) == 0 ? 1 : 0;
        }
    }
    QVERIFY2(transparent > 0, "no transparent background");
    const MeanColour mean = Mean(strip, cell);
    QVERIFY2(mean.pixels >= 64, "too few opaque pixels to be a picture");

    const double luminance = 0.299 * mean.red + 0.587 * mean.green + 0.114 * mean.blue;
    if (look == QLatin1String("blue")) {
        QVERIFY(mean.blue > mean.red + 60 && mean.blue > mean.green + 20);
    } else if (look == QLatin1String("grey")) {
        QVERIFY(std::abs(mean.red - mean.green) < 8 && std::abs(mean.green - mean.blue) < 8);
    } else if (look == QLatin1String("red")) {
        QVERIFY(mean.red > mean.green + 60 && mean.red > mean.blue + 60);
    } else if (look == QLatin1String("light")) {
        QVERIFY(luminance > 150);
    } else {
        QVERIFY(luminance < 110);
    }
}

void TestArtwork::registerIcons() {
    const QImage icon = LoadPicture(QStringLiteral("register16.png")).convertToFormat(QImage::Format_ARGB32);
    const QImage greyed = LoadPicture(QStringLiteral("register16_disabled.png")).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(icon.size(), QSize(16, 16));
    QCOMPARE(greyed.size(), QSize(16, 16));

    int coloured = 0;
    int visible = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const QRgb a = icon.pixel(x, y);
            const QRgb b = greyed.pixel(x, y);
            QCOMPARE(qAlpha(b) > 0, qAlpha(a) > 0);  // same silhouette
            if (qAlpha(b) > 0) {
                ++visible;
                QVERIFY(qRed(b) == qGreen(b) && qGreen(b) == qBlue(b));
            }
            const int spread = std::max({qRed(a), qGreen(a), qBlue(a)}) - MinChannel(a);
            coloured += qAlpha(a) == 255 && spread > 60 ? 1 : 0;
        }
    }
    QVERIFY2(visible > 64 && visible < 256, "icon should fill part of its square");
    QVERIFY2(coloured > 10, "the enabled icon has no colour");
}

QTEST_GUILESS_MAIN(TestArtwork)
#include "tst_artwork.moc"
