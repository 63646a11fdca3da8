#include "MaskRegion.h"

#include <QCoreApplication>
#include <QImageReader>
#include <QRect>
#include <array>
#include <cstring>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

bool IsWhite(QRgb pixel) {
    // Alpha plays no part: a mask says cut or keep by colour alone.
    return (pixel & 0x00FFFFFFu) == 0x00FFFFFFu;
}

struct Run {
    int left = 0;
    int right = 0;  // exclusive

    friend bool operator==(const Run&, const Run&) = default;
};

template <typename Pixel, typename IsCut>
void CollectKeptRuns(const Pixel* line, int width, const IsCut& isCut, std::vector<Run>& runs) {
    runs.clear();
    int x = 0;
    while (x < width) {
        while (x < width && isCut(line[x])) {
            ++x;
        }
        if (x == width) {
            break;
        }
        const int left = x;
        while (x < width && !isCut(line[x])) {
            ++x;
        }
        runs.push_back({left, x});
    }
}

// Rectangles go out in the order QRegion keeps them itself: bands top to bottom, left to right within a band,
// every rectangle of a band equally tall. Runs never touch, so no rectangles abut or overlap. A row whose runs
// repeat the row above makes that row's band one pixel taller instead of starting a new one.
template <typename LineAt, typename IsCut>
QRegion BuildRegion(int width, int height, const LineAt& lineAt, const IsCut& isCut) {
    std::vector<QRect> rects;
    std::vector<Run> previous;
    std::vector<Run> current;
    std::size_t bandStart = 0;
    for (int y = 0; y < height; ++y) {
        const auto* line = lineAt(y);
        // Most rows of a window mask repeat the row above byte for byte; comparing memory is far cheaper than
        // finding the runs again.
        const bool repeated = y > 0 && std::memcmp(line, lineAt(y - 1), sizeof(*line) * width) == 0;
        if (!repeated) {
            CollectKeptRuns(line, width, isCut, current);
            if (current != previous) {
                bandStart = rects.size();
                for (const Run& run : current) {
                    rects.emplace_back(run.left, y, run.right - run.left, 1);
                }
                std::swap(previous, current);
                continue;
            }
        }
        // Same runs as the row above: its band grows by a row (a no-op below a wholly white row).
        for (std::size_t i = bandStart; i < rects.size(); ++i) {
            rects[i].setBottom(y);
        }
    }

    QRegion region;
    if (!rects.empty()) {
        region.setRects(rects.data(), static_cast<int>(rects.size()));
    }
    return region;
}

}  // namespace

QRegion CreateMaskRegion(const QImage& mask) {
    const int width = mask.width();
    const int height = mask.height();
    if (width <= 0 || height <= 0) {
        return {};
    }
    if (mask.format() == QImage::Format_Indexed8) {
        // Palette masks (the usual BMP) are read by index: half the time of converting the whole picture.
        // Indexes past the colour table count as kept, as QImage reads them as black.
        std::array<bool, 256> cut{};
        const QList<QRgb> table = mask.colorTable();
        for (qsizetype i = 0; i < table.size() && i < 256; ++i) {
            cut[static_cast<std::size_t>(i)] = IsWhite(table[i]);
        }
        return BuildRegion(
            width, height, [&](int y) { return mask.constScanLine(y); }, [&](uchar index) { return cut[index]; });
    }
    // One conversion up front lets the scan walk plain 32-bit words, whatever the file's format.
    const QImage pixels = mask.convertToFormat(QImage::Format_RGB32);
    return BuildRegion(
        width, height, [&](int y) { return reinterpret_cast<const QRgb*>(pixels.constScanLine(y)); }, IsWhite);
}

QRegion CreateMaskRegionPerStrip(const QImage& mask) {
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

QImage LoadMask(const QString& path) {
    QImageReader reader(path);
    QImage mask = reader.read();
    if (mask.isNull()) {
        throw std::runtime_error(QCoreApplication::translate("MaskRegion", "Cannot load the window mask %1: %2")
                                     .arg(path, reader.errorString())
                                     .toStdString());
    }
    return mask;
}
