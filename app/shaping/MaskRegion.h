#pragma once

#include <QImage>
#include <QRegion>
#include <QString>

// A window mask is a bitmap the size of the window: pure white (255,255,255) pixels are cut out of the
// window, every other colour is kept. Near-white and light grey are kept on purpose.

// Region of the kept pixels, built from the runs of each row in one pass. An empty or null mask gives an
// empty region.
QRegion CreateMaskRegion(const QImage& mask);

// The same region built the slow, obvious way: the full rectangle minus one strip per white run, reading
// pixel by pixel. Kept as the yardstick for tests and timing.
QRegion CreateMaskRegionPerStrip(const QImage& mask);

// Reads a mask bitmap. Throws std::runtime_error naming the file when it is missing or cannot be read.
QImage LoadMask(const QString& path);
