#pragma once

#include <QByteArray>
#include <QImage>

// Decodes a JPEG held in memory with libjpeg. A greyscale picture comes back as Format_Grayscale8, a colour
// one as Format_RGB888. Damaged, truncated or empty data, and colour models other than grey and RGB/YCbCr,
// throw std::runtime_error; a bad file never ends the program.
QImage DecodeJpeg(const QByteArray& data);
