// Draws the program's icon from its emblem: the emblem's disc, without the white around it, at each
// size asked, into the icon theme's folders.
//
//   makeicons EMBLEM.jpg OUTPUT_DIR SIZE...    writes OUTPUT_DIR/<SIZE>x<SIZE>/apps/textbook.png
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <stdexcept>

#include "app/shaping/JpegDecode.h"

namespace {

// The emblem's disc (resources/art/drawart.cpp draws it): its centre and radius in the picture.
constexpr double kCentreX = 93.5;
constexpr double kCentreY = 87;
constexpr double kRadius = 85;

// The disc at `size` pixels, transparent around it. The picture is scaled first (smoothly, so
// that small sizes average the pixels they take in), then the disc is filled with it, edge
// smoothed.
QImage Icon(const QImage& emblem, int size) {
    const QRectF disc(kCentreX - kRadius, kCentreY - kRadius, 2 * kRadius, 2 * kRadius);
    const double scale = size / disc.width();
    const QImage scaled = emblem.scaled(qRound(emblem.width() * scale), qRound(emblem.height() * scale),
                                        Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QBrush brush(scaled);
    brush.setTransform(QTransform::fromTranslate(-disc.left() * scale, -disc.top() * scale));
    painter.setBrush(brush);
    painter.drawEllipse(QRectF(0, 0, size, size));
    painter.end();
    return icon;
}

QImage ReadEmblem(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read " + path.toStdString());
    return DecodeJpeg(file.readAll()).convertToFormat(QImage::Format_RGB32);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs("usage: makeicons EMBLEM.jpg OUTPUT_DIR SIZE...\n", stderr);
        return 2;
    }
    try {
        const QImage emblem = ReadEmblem(QString::fromLocal8Bit(argv[1]));
        const QDir out(QString::fromLocal8Bit(argv[2]));
        for (int i = 3; i < argc; ++i) {
            const int size = QByteArray(argv[i]).toInt();
            if (size <= 0) throw std::runtime_error(std::string("not a size: ") + argv[i]);
            const QString folder = QStringLiteral("%1x%1/apps").arg(size);
            const QString path = out.filePath(folder + QStringLiteral("/textbook.png"));
            if (!out.mkpath(folder) || !Icon(emblem, size).save(path, "PNG"))
                throw std::runtime_error("cannot write " + path.toStdString());
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "makeicons: %s\n", error.what());
        return 1;
    }
    return 0;
}
