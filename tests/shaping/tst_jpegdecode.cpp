#include <jpeglib.h>

#include <QColor>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <utility>

#include "jpegdecode.h"
#include "shapingtest.h"

using namespace shapingtest;

namespace {

// Offset of the first byte after marker 0xFF `code`, or -1.
qsizetype MarkerBody(const QByteArray& jpeg, unsigned char code) {
    for (qsizetype i = 0; i + 1 < jpeg.size(); ++i) {
        if (static_cast<unsigned char>(jpeg[i]) == 0xFF && static_cast<unsigned char>(jpeg[i + 1]) == code) {
            return i + 2;
        }
    }
    return -1;
}

// A copy of `jpeg` with the frame header's height and width replaced.
QByteArray WithFrameSize(QByteArray jpeg, int height, int width) {
    const qsizetype frame = MarkerBody(jpeg, 0xC0);
    if (frame < 0) {
        return {};
    }
    // Frame header: length (2), precision (1), height (2), width (2), components (1), ...
    jpeg[frame + 3] = static_cast<char>(height >> 8);
    jpeg[frame + 4] = static_cast<char>(height & 0xFF);
    jpeg[frame + 5] = static_cast<char>(width >> 8);
    jpeg[frame + 6] = static_cast<char>(width & 0xFF);
    return jpeg;
}

QByteArray WithComponentCount(QByteArray jpeg, int count) {
    const qsizetype frame = MarkerBody(jpeg, 0xC0);
    if (frame < 0) {
        return {};
    }
    jpeg[frame + 7] = static_cast<char>(count);
    return jpeg;
}

// Huffman table whose code counts add up to far more codes than can exist.
QByteArray WithBogusHuffmanTable(QByteArray jpeg) {
    const qsizetype table = MarkerBody(jpeg, 0xC4);
    if (table < 0) {
        return {};
    }
    // Table: length (2), class and id (1), sixteen code counts.
    for (int i = 0; i < 16; ++i) {
        jpeg[table + 3 + i] = static_cast<char>(0xFF);
    }
    return jpeg;
}

struct MallocFree {
    void operator()(unsigned char* p) const { std::free(p); }
};

// Encodes a `width` x 8 picture at top quality whose left half is `left` and right half `right`, each given as
// one value per component of `space`. libjpeg converts RGB input to YCbCr unless `space` says otherwise.
QByteArray Encode(J_COLOR_SPACE input, J_COLOR_SPACE space, int components, const QList<int>& left,
                  const QList<int>& right) {
    constexpr int kWidth = 16;
    constexpr int kHeight = 8;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = kWidth;
    cinfo.image_height = kHeight;
    cinfo.input_components = components;
    cinfo.in_color_space = input;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, space);
    jpeg_set_quality(&cinfo, 100, TRUE);
    for (int i = 0; i < cinfo.num_components; ++i) {
        cinfo.comp_info[i].h_samp_factor = 1;
        cinfo.comp_info[i].v_samp_factor = 1;
    }
    jpeg_start_compress(&cinfo, TRUE);
    QByteArray row(kWidth * components, '\0');
    for (int x = 0; x < kWidth; ++x) {
        for (int c = 0; c < components; ++c) {
            row[x * components + c] = static_cast<char>((x < kWidth / 2 ? left : right)[c]);
        }
    }
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW line = reinterpret_cast<JSAMPROW>(row.data());
        jpeg_write_scanlines(&cinfo, &line, 1);
    }
    jpeg_finish_compress(&cinfo);
    const std::unique_ptr<unsigned char, MallocFree> owned(buffer);
    jpeg_destroy_compress(&cinfo);
    return QByteArray(reinterpret_cast<const char*>(owned.get()), static_cast<qsizetype>(size));
}

}  // namespace

class TestJpegDecode : public QObject {
    Q_OBJECT

private slots:
    void decodesPictures_data();
    void decodesPictures();
    void decodesColourModels_data();
    void decodesColourModels();
    void rejectsBadData_data();
    void rejectsBadData();
};

void TestJpegDecode::decodesPictures_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("format");

    QTest::newRow("main window face") << QStringLiteral("background2.jpg") << int(QImage::Format_RGB888);
    QTest::newRow("register window face") << QStringLiteral("background4.jpg") << int(QImage::Format_RGB888);
    QTest::newRow("emblem") << QStringLiteral("emblem.jpg") << int(QImage::Format_Grayscale8);
}

void TestJpegDecode::decodesPictures() {
    QFETCH(QString, file);
    QFETCH(int, format);
    const QByteArray data = ReadFile(ImagePath(file));
    QVERIFY(!data.isEmpty());

    const QImage decoded = DecodeJpeg(data);
    QCOMPARE(int(decoded.format()), format);

    // Qt's own JPEG reader is the independent witness; both sit on libjpeg, so only rounding may differ.
    QImage reference;
    QVERIFY(reference.loadFromData(data, "JPEG"));
    QCOMPARE(decoded.size(), reference.size());
    const QImage ours = decoded.convertToFormat(QImage::Format_RGB32);
    const QImage theirs = reference.convertToFormat(QImage::Format_RGB32);
    int worst = 0;
    for (int y = 0; y < ours.height(); ++y) {
        for (int x = 0; x < ours.width(); ++x) {
            const QRgb a = ours.pixel(x, y);
            const QRgb b = theirs.pixel(x, y);
            worst = std::max(
                {worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
        }
    }
    QVERIFY2(worst <= 2, qPrintable(QStringLiteral("differs from Qt's reader by %1 levels").arg(worst)));
}

void TestJpegDecode::decodesColourModels_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("format");
    QTest::addColumn<QColor>("left");
    QTest::addColumn<QColor>("right");

    const QColor orange(230, 120, 20);
    const QColor teal(20, 140, 150);
    QTest::newRow("grey") << Encode(JCS_GRAYSCALE, JCS_GRAYSCALE, 1, {40}, {200}) << int(QImage::Format_Grayscale8)
                          << QColor(40, 40, 40) << QColor(200, 200, 200);
    QTest::newRow("YCbCr") << Encode(JCS_RGB, JCS_YCbCr, 3, {230, 120, 20}, {20, 140, 150})
                           << int(QImage::Format_RGB888) << orange << teal;
    QTest::newRow("plain RGB") << Encode(JCS_RGB, JCS_RGB, 3, {230, 120, 20}, {20, 140, 150})
                               << int(QImage::Format_RGB888) << orange << teal;
}

void TestJpegDecode::decodesColourModels() {
    QFETCH(QByteArray, data);
    QFETCH(int, format);
    QFETCH(QColor, left);
    QFETCH(QColor, right);
    const QImage image = DecodeJpeg(data);
    QCOMPARE(int(image.format()), format);
    QCOMPARE(image.size(), QSize(16, 8));
    // Away from the seam, where the flat halves survive compression almost untouched.
    for (const auto& [x, wanted] : {std::pair{1, left}, std::pair{14, right}}) {
        const QColor got = image.pixelColor(x, 4);
        QVERIFY2(std::abs(got.red() - wanted.red()) <= 3 && std::abs(got.green() - wanted.green()) <= 3 &&
                     std::abs(got.blue() - wanted.blue()) <= 3,
                 qPrintable(QStringLiteral("%1 at x %2, wanted %3").arg(got.name()).arg(x).arg(wanted.name())));
    }
}

void TestJpegDecode::rejectsBadData_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("reason");  // part of the message that names the fault

    const QByteArray good = ReadFile(ImagePath(QStringLiteral("background4.jpg")));
    const QByteArray grey = ReadFile(ImagePath(QStringLiteral("emblem.jpg")));
    QVERIFY(!good.isEmpty() && !grey.isEmpty());
    const QByteArray zeroWidth = WithFrameSize(good, 210, 0);
    const QByteArray huge = WithFrameSize(good, 60000, 60000);
    const QByteArray twoComponents = WithComponentCount(grey, 2);
    const QByteArray bogusTable = WithBogusHuffmanTable(good);
    QVERIFY2(!zeroWidth.isEmpty() && !huge.isEmpty() && !twoComponents.isEmpty() && !bogusTable.isEmpty(),
             "marker to damage not found");

    QTest::newRow("empty") << QByteArray() << QStringLiteral("no data");
    QTest::newRow("not a JPEG") << QByteArray("GIF89a and the rest of some other file") << QStringLiteral("Not a JPEG");
    QTest::newRow("start marker only") << good.left(2) << QString();
    QTest::newRow("cut inside the header") << good.left(100) << QString();
    QTest::newRow("cut inside the scan") << good.left(good.size() / 2) << QStringLiteral("Premature end");
    QTest::newRow("cut just before the end") << good.left(good.size() - 40) << QStringLiteral("Premature end");
    QTest::newRow("greyscale cut short") << grey.left(grey.size() * 3 / 4) << QStringLiteral("Premature end");
    QTest::newRow("zero width") << zeroWidth << QString();
    QTest::newRow("huge size") << huge << QStringLiteral("too large");
    QTest::newRow("frame header length disagrees") << twoComponents << QString();
    QTest::newRow("CMYK") << Encode(JCS_CMYK, JCS_CMYK, 4, {0, 80, 200, 10}, {200, 0, 40, 0})
                          << QStringLiteral("unsupported colour model");
    QTest::newRow("bogus Huffman table") << bogusTable << QStringLiteral("Huffman");
}

void TestJpegDecode::rejectsBadData() {
    QFETCH(QByteArray, data);
    QFETCH(QString, reason);
    try {
        const QImage image = DecodeJpeg(data);
        QFAIL(qPrintable(QStringLiteral("decoded a %1 x %2 picture").arg(image.width()).arg(image.height())));
    } catch (const std::runtime_error& error) {
        const QString message = QString::fromUtf8(error.what());
        QVERIFY2(message.startsWith(QStringLiteral("Cannot decode the picture: ")), error.what());
        QVERIFY2(message.size() > 27, "no reason given");
        if (!reason.isEmpty()) {
            QVERIFY2(message.contains(reason), error.what());
        }
    }
}

QTEST_GUILESS_MAIN(TestJpegDecode)
#include "tst_jpegdecode.moc"
