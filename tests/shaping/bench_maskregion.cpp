// Times CreateMaskRegion against CreateMaskRegionPerStrip on the main window mask and prints the medians.
//   shaping_bench [runs]

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <vector>

#include "maskregion.h"
#include "shapingtest.h"

namespace {

double MedianMicroseconds(int runs, const std::function<QRegion()>& build) {
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        const QRegion region = build();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000.0);
        if (region.isEmpty()) {
            std::fprintf(stderr, "empty region\n");
            std::exit(1);
        }
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    try {
        const QImage mask = LoadMask(shapingtest::ImagePath(QStringLiteral("DW1.bmp")));
        const QImage rgb = mask.convertToFormat(QImage::Format_RGB32);
        if (!CreateMaskRegion(mask).xored(CreateMaskRegionPerStrip(mask)).isEmpty()) {
            std::fprintf(stderr, "the two regions differ\n");
            return 1;
        }
        const double fast = MedianMicroseconds(runs, [&] { return CreateMaskRegion(mask); });
        const double fastRgb = MedianMicroseconds(runs, [&] { return CreateMaskRegion(rgb); });
        const double strips = MedianMicroseconds(runs, [&] { return CreateMaskRegionPerStrip(mask); });
        std::printf("DW1 %dx%d, %lld rectangles, median of %d runs:\n", mask.width(), mask.height(),
                    static_cast<long long>(CreateMaskRegion(mask).rectCount()), runs);
        std::printf("  CreateMaskRegion (mask as loaded)   %10.1f us\n", fast);
        std::printf("  CreateMaskRegion (mask already RGB32) %8.1f us\n", fastRgb);
        std::printf("  CreateMaskRegionPerStrip            %10.1f us\n", strips);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
