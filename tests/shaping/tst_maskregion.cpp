#include <QTemporaryDir>
#include <QTest>
#include <stdexcept>

#include "maskregion.h"
#include "shapingtest.h"

using namespace shapingtest;

namespace {

// One character a pixel: '.' white (cut), anything else kept.
QRgb ColourOf(QChar c) {
    switch (c.unicode()) {
        case '.':
            return qRgb(255, 255, 255);
        case 'g':
            return qRgb(192, 192, 192);  // light grey
        case 'r':
            return qRgb(254, 255, 255);  // near-white, one channel short
        case 'G':
            return qRgb(255, 254, 255);
        case 'b':
            return qRgb(255, 255, 254);
        case 'v':
            return qRgb(90, 40, 160);
        default:
            return qRgb(0, 0, 0);
    }
}

int Width(const QStringList& rows) { return rows.isEmpty() ? 0 : static_cast<int>(rows.first().size()); }

QImage MaskFromRows(const QStringList& rows, QImage::Format format) {
    QImage image(Width(rows), static_cast<int>(rows.size()), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, ColourOf(rows[y][x]));
        }
    }
    return format == QImage::Format_RGB32 ? image
                                          : image.convertToFormat(format, Qt::ThresholdDither | Qt::AvoidDither);
}

// The wanted region straight from the picture as written, one pixel at a time.
QRegion RegionFromRows(const QStringList& rows) {
    QRegion region;
    for (int y = 0; y < rows.size(); ++y) {
        for (int x = 0; x < rows[y].size(); ++x) {
            if (rows[y][x] != QLatin1Char('.')) {
                region += QRect(x, y, 1, 1);
            }
        }
    }
    return region;
}

struct Band {
    int top;
    int bottom;
    QList<QPair<int, int>> spans;
};

// QRegion::setRects does not check its input, so the region must already be in QRegion's own form: bands top
// to bottom that do not overlap, one height per band, spans left to right that neither overlap nor touch. A
// band that merely repeats the spans of the band right above it should have been merged into it.
QString BandedFormProblem(const QRegion& region) {
    QList<Band> bands;
    for (const QRect& rect : region) {
        if (rect.isEmpty()) {
            return QStringLiteral("empty rectangle");
        }
        if (!bands.isEmpty() && bands.last().top == rect.top()) {
            Band& band = bands.last();
            if (band.bottom != rect.bottom()) {
                return QStringLiteral("band at %1 has rectangles of different heights").arg(rect.top());
            }
            if (band.spans.last().second + 1 >= rect.left()) {
                return QStringLiteral("spans overlap or touch in band at %1").arg(rect.top());
            }
            band.spans.append({rect.left(), rect.right()});
            continue;
        }
        if (!bands.isEmpty() && rect.top() <= bands.last().bottom) {
            return QStringLiteral("band at %1 is out of order or overlaps the one above").arg(rect.top());
        }
        bands.append({rect.top(), rect.bottom(), {{rect.left(), rect.right()}}});
    }
    for (qsizetype i = 1; i < bands.size(); ++i) {
        if (bands[i].top == bands[i - 1].bottom + 1 && bands[i].spans == bands[i - 1].spans) {
            return QStringLiteral("band at %1 repeats the band above").arg(bands[i].top);
        }
    }
    return {};
}

}  // namespace

class TestMaskRegion : public QObject {
    Q_OBJECT

private slots:
    void handMade_data();
    void handMade();
    void nullMask();
    void windowMasks_data();
    void windowMasks();
    void loadMaskFailures_data();
    void loadMaskFailures();
};

void TestMaskRegion::handMade_data() {
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("format");

    const int rgb32 = QImage::Format_RGB32;
    QTest::newRow("white run to the right edge") << QStringList{"##..", "#...", "###."} << rgb32;
    QTest::newRow("row white from x = 0") << QStringList{"..##", "...#", ".###"} << rgb32;
    QTest::newRow("wholly white row") << QStringList{"####", "....", "####"} << rgb32;
    QTest::newRow("wholly white mask") << QStringList{"...", "..."} << rgb32;
    QTest::newRow("wholly kept mask") << QStringList{"###", "###"} << rgb32;
    QTest::newRow("light grey kept") << QStringList{"gg..", ".gg.", "..gg"} << rgb32;
    QTest::newRow("near-white kept") << QStringList{"r.G.", ".b.r", "rGbv"} << rgb32;
    QTest::newRow("single kept pixel") << QStringList{"#"} << rgb32;
    QTest::newRow("single cut pixel") << QStringList{"."} << rgb32;
    QTest::newRow("zero width") << QStringList{"", "", ""} << rgb32;
    QTest::newRow("zero height") << QStringList{} << rgb32;
    QTest::newRow("identical rows") << QStringList{"#..##", "#..##", "#..##", ".#...", ".#...", "#..##"} << rgb32;
    QTest::newRow("checkerboard") << QStringList{"#.#.#", ".#.#.", "#.#.#", ".#.#."} << rgb32;
    QTest::newRow("runs split and join") << QStringList{"##.##", "#####", "##.##", "#...#", "#...#"} << rgb32;
    QTest::newRow("same spans after a gap") << QStringList{"#.#", "...", "#.#"} << rgb32;
    QTest::newRow("white rows repeated") << QStringList{"##.", "...", "...", "##.", "##."} << rgb32;
    QTest::newRow("same runs, other colours") << QStringList{"#g..v", "g#..#", "vv..g", "vv..g", "v...g"} << rgb32;
    QTest::newRow("indexed 8-bit") << QStringList{"gv..#", ".r.g.", "#####", "....."} << int(QImage::Format_Indexed8);
    QTest::newRow("one bit") << QStringList{"#..#.", "#..#.", ".##.#"} << int(QImage::Format_Mono);
    QTest::newRow("24-bit") << QStringList{"b.G.r", "vv.gg"} << int(QImage::Format_RGB888);
    QTest::newRow("opaque ARGB") << QStringList{"..#", "g..", ".r."} << int(QImage::Format_ARGB32);
}

void TestMaskRegion::handMade() {
    QFETCH(QStringList, rows);
    QFETCH(int, format);
    const QImage mask = MaskFromRows(rows, static_cast<QImage::Format>(format));
    const QRegion expected = RegionFromRows(rows);

    const QRegion fast = CreateMaskRegion(mask);
    QVERIFY2(fast.xored(expected).isEmpty(), "fast region differs from the drawn pixels");
    QCOMPARE(BandedFormProblem(fast), QString());

    const QRegion strips = CreateMaskRegionPerStrip(mask);
    QVERIFY2(strips.xored(expected).isEmpty(), "per-strip region differs from the drawn pixels");
}

void TestMaskRegion::nullMask() {
    QVERIFY(CreateMaskRegion(QImage()).isEmpty());
    QVERIFY(CreateMaskRegionPerStrip(QImage()).isEmpty());
}

void TestMaskRegion::windowMasks_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("kept");

    QTest::newRow("DW1") << QStringLiteral("DW1.bmp") << 551368;
    QTest::newRow("DW3") << QStringLiteral("DW3.bmp") << 75843;
}

void TestMaskRegion::windowMasks() {
    QFETCH(QString, file);
    QFETCH(int, kept);
    const QImage mask = LoadMask(ImagePath(file));
    const QRegion region = CreateMaskRegion(mask);

    QCOMPARE(BandedFormProblem(region), QString());

    // Pixel by pixel: every kept pixel covered exactly once, every white one not at all.
    const Coverage coverage = Rasterize(region, mask.size());
    QCOMPARE(coverage.outside, 0);
    int covered = 0;
    for (int y = 0; y < mask.height(); ++y) {
        for (int x = 0; x < mask.width(); ++x) {
            const int hits = coverage.hits[static_cast<std::size_t>(y) * mask.width() + x];
            const int wanted = IsWhite(mask.pixel(x, y)) ? 0 : 1;
            if (hits != wanted) {
                QFAIL(qPrintable(
                    QStringLiteral("pixel %1,%2 covered %3 times, wanted %4").arg(x).arg(y).arg(hits).arg(wanted)));
            }
            covered += hits;
        }
    }
    QCOMPARE(covered, kept);

    QVERIFY2(region.xored(CreateMaskRegionPerStrip(mask)).isEmpty(), "differs from the per-strip region");
}

void TestMaskRegion::loadMaskFailures_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("content");  // written to `path` first unless empty

    QTest::newRow("missing file") << QStringLiteral("no-such-mask.bmp") << QByteArray();
    QTest::newRow("not a picture") << QStringLiteral("garbage.bmp") << QByteArray("BM this is not a bitmap at all");
}

void TestMaskRegion::loadMaskFailures() {
    QFETCH(QString, path);
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fullPath = dir.filePath(path);
    if (!content.isEmpty()) {
        QFile file(fullPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(content), content.size());
    }
    try {
        LoadMask(fullPath);
        QFAIL("no exception");
    } catch (const std::runtime_error& error) {
        QVERIFY2(QString::fromStdString(error.what()).contains(fullPath), error.what());
    }
}

QTEST_GUILESS_MAIN(TestMaskRegion)
#include "tst_maskregion.moc"
