#pragma once

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QString>
#include <vector>

namespace shapingtest {

inline QString ImagePath(const QString& name) { return QStringLiteral(SHAPING_IMAGES_DIR "/") + name; }

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The mask rule, spelled out channel by channel on purpose: only exact white is cut.
inline bool IsWhite(QRgb pixel) { return qRed(pixel) == 255 && qGreen(pixel) == 255 && qBlue(pixel) == 255; }

inline int CountKept(const QImage& mask) {
    int kept = 0;
    for (int y = 0; y < mask.height(); ++y) {
        for (int x = 0; x < mask.width(); ++x) {
            kept += IsWhite(mask.pixel(x, y)) ? 0 : 1;
        }
    }
    return kept;
}

// How many of the region's rectangles cover each pixel of a size x size canvas; rectangles reaching outside
// the canvas show up in `outside`.
struct Coverage {
    std::vector<int> hits;
    int outside = 0;
};

inline Coverage Rasterize(const QRegion& region, QSize size) {
    Coverage coverage;
    coverage.hits.assign(static_cast<std::size_t>(size.width()) * size.height(), 0);
    const QRect canvas(QPoint(0, 0), size);
    for (const QRect& rect : region) {
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            for (int x = rect.left(); x <= rect.right(); ++x) {
                if (canvas.contains(x, y)) {
                    ++coverage.hits[static_cast<std::size_t>(y) * size.width() + x];
                } else {
                    ++coverage.outside;
                }
            }
        }
    }
    return coverage;
}

}  // namespace shapingtest
