#include "maskregion.h"

#include <QImageReader>
#include <QRect>

#include <stdexcept>
#include <utility>
#include <vector>

namespace {

bool IsWhite(QRgb pixel)
{
    // Alpha plays no part: a mask says cut or keep by colour alone.
    return (pixel & 0x00FFFFFFu) == 0x00FFFFFFu;
}

struct Run {
    int left = 0;
    int right = 0;  // exclusive

    friend bool operator==(const Run&, const Run&) = default;
};

void CollectKeptRuns(const QRgb* line, int width, std::vector<Run>& runs)
{
    runs.clear();
    int x = 0;
    while (x < width) {
        while (x < width && IsWhite(line[x])) {
            ++x;
        }
        if (x == width) {
            break;
        }
        const int left = x;
        while (x < width && !IsWhite(line[x])) {
            ++x;
        }
        runs.push_back({left, x});
    }
}

}  // namespace

QRegion CreateMaskRegion(const QImage& mask)
{
    const int width = mask.width();
    const int height = mask.height();
    if (width <= 0 || height <= 0) {
        return {};
    }
    // One conversion up front lets the scan below walk plain 32-bit words, whatever the file's format.
    const QImage pixels = mask.convertToFormat(QImage::Format_RGB32);

    // Rectangles go out in the order QRegion keeps them itself: bands top to bottom, left to right within a
    // band, every rectangle of a band equally tall. Runs never touch, so no rectangles abut or overlap.
    // A row whose runs repeat the row above just makes the current band one pixel taller.
    std::vector<QRect> rects;
    std::vector<Run> previous;
    std::vector<Run> current;
    std::size_t bandStart = 0;
    for (int y = 0; y < height; ++y) {
        CollectKeptRuns(reinterpret_cast<const QRgb*>(pixels.constScanLine(y)), width, current);
        if (!current.empty() && current == previous) {
            for (std::size_t i = bandStart; i < rects.size(); ++i) {
                rects[i].setBottom(y);
            }
        } else {
            bandStart = rects.size();
            for (const Run& run : current) {
                rects.emplace_back(run.left, y, run.right - run.left, 1);
            }
        }
        std::swap(previous, current);
    }

    QRegion region;
    if (!rects.empty()) {
        region.setRects(rects.data(), static_cast<int>(rects.size()));
    }
    return region;
}

QRegion CreateMaskRegionPerStrip(const QImage& mask)
{
    const int width = mask.width();
    const int height = mask.height();
    if (width <= 0 || height <= 0) {
        return {};
    }
    QRegion region(0, 0, width, height);
    for (int y = 0; y < height; ++y) {
        int x = 0;
        while (x < width) {
            if (!IsWhite(mask.pixel(x, y))) {
                ++x;
                continue;
            }
            const int left = x;
            while (x < width && IsWhite(mask.pixel(x, y))) {
                ++x;
            }
            region -= QRegion(left, y, x - left, 1);
        }
    }
    return region;
}

QImage LoadMask(const QString& path)
{
    QImageReader reader(path);
    QImage mask = reader.read();
    if (mask.isNull()) {
        throw std::runtime_error(
            QStringLiteral("Cannot load the window mask \"%1\": %2").arg(path, reader.errorString()).toStdString());
    }
    return mask;
}
