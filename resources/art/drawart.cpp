// Draws the pictures kept in resources/images: the two window masks, the faces painted under them, the
// emblem and the small icons. Everything is computed, so the set can be redrawn after a layout change.
//
//   drawart OUTPUT_DIR
//
// The masks must keep an exact number of pixels (the layout tests count them), so after drawing the outline
// the program nudges one inconspicuous edge by single pixels until the count is right, and refuses to write
// anything if a count or a control rectangle comes out wrong.

#include <jpeglib.h>

#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QRect>
#include <QString>
#include <QVector>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <string>

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kDarkGrey = 0xFF808080;
constexpr QRgb kLightGrey = 0xFFC0C0C0;

constexpr int kMainKept = 551368;
constexpr int kMainLightGrey = 169;
constexpr int kRegisterKept = 75843;

// The classic 16-colour palette; the main mask uses four of its colours.
const QVector<QRgb> kSixteenColours = {
    0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080, 0xFFC0C0C0,
    0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF,
};
const QVector<QRgb> kTwoColours = {kBlack, kWhite};

// Controls of the main window and of the register window; each must sit on kept pixels.
const QRect kMainControls[] = {
    {24, 16, 797, 19},    // status bar
    {827, 16, 28, 25},    // close button
    {114, 54, 191, 22},   // contents button in the neck
    {35, 82, 350, 499},   // left group box
    {409, 82, 446, 497},  // right group box
    {45, 639, 308, 37},   // button in the strip under the left panel
};
const QRect kRegisterControls[] = {
    {14, 17, 358, 144},  // grid
    {368, 4, 17, 14},    // close button; its top row lies in the cut band above the body
    {19, 188, 256, 21},  // edit box
    {287, 187, 60, 20},  // navigator
};

[[noreturn]] void Fail(const std::string& message) { throw std::runtime_error(message); }

// --- Mask drawing -------------------------------------------------------------------------------------------

QRgb* Line(QImage& image, int y) { return reinterpret_cast<QRgb*>(image.scanLine(y)); }

void FillRect(QImage& mask, const QRect& rect, QRgb colour) {
    const QRect r = rect & mask.rect();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        std::fill(Line(mask, y) + r.left(), Line(mask, y) + r.right() + 1, colour);
    }
}

// Paints the pixels of `box` whose centres lie inside (or outside) the circle.
void PaintByCircle(QImage& mask, const QRect& box, QPointF centre, double radius, bool inside, QRgb colour) {
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            const double dx = x + 0.5 - centre.x();
            const double dy = y + 0.5 - centre.y();
            if ((dx * dx + dy * dy <= radius * radius) == inside) {
                Line(mask, y)[x] = colour;
            }
        }
    }
}

void FillPolygon(QImage& mask, const QPolygonF& polygon, QRgb colour) {
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgb(colour));
    painter.drawPolygon(polygon);
}

// Recolours kept pixels only, so decorations never change the outline.
void MarkKept(QImage& mask, int x, int y, QRgb colour) {
    if (mask.rect().contains(x, y) && Line(mask, y)[x] != kWhite) {
        Line(mask, y)[x] = colour;
    }
}

void OutlineKept(QImage& mask, const QRect& rect, QRgb colour) {
    for (int x = rect.left(); x <= rect.right(); ++x) {
        MarkKept(mask, x, rect.top(), colour);
        MarkKept(mask, x, rect.bottom(), colour);
    }
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        MarkKept(mask, rect.left(), y, colour);
        MarkKept(mask, rect.right(), y, colour);
    }
}

int Count(const QImage& mask, const std::function<bool(QRgb)>& wanted) {
    int count = 0;
    for (int y = 0; y < mask.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        count += static_cast<int>(std::count_if(line, line + mask.width(), wanted));
    }
    return count;
}

int CountKept(const QImage& mask) {
    return Count(mask, [](QRgb pixel) { return pixel != kWhite; });
}

// Brings the kept count to `target` by moving the edge inside `area` one pixel per row: cutting takes the last
// kept pixel before white, restoring takes back the first white pixel after kept. Returns the pixels moved.
int Balance(QImage& mask, const QRect& area, int target) {
    int surplus = CountKept(mask) - target;
    const int moved = surplus;
    for (int pass = 0; pass < 4 && surplus != 0; ++pass) {
        for (int y = area.top(); y <= area.bottom() && surplus != 0; ++y) {
            QRgb* line = Line(mask, y);
            for (int x = area.left(); x < area.right(); ++x) {
                if (line[x] != kWhite && line[x + 1] == kWhite) {
                    if (surplus > 0) {
                        line[x] = kWhite;
                        --surplus;
                    } else {
                        line[x + 1] = kBlack;
                        ++surplus;
                    }
                    break;
                }
            }
        }
    }
    if (surplus != 0) {
        Fail("the outline is too far from the wanted pixel count to balance; redraw it");
    }
    return moved;
}

void CheckControls(const QImage& mask, const QRect* begin, const QRect* end, const char* name) {
    for (const QRect* rect = begin; rect != end; ++rect) {
        for (int y = rect->top(); y <= rect->bottom(); ++y) {
            for (int x = rect->left(); x <= rect->right(); ++x) {
                if (!mask.rect().contains(x, y) || mask.pixel(x, y) == kWhite) {
                    Fail(std::string(name) + ": a control reaches a cut pixel at " + std::to_string(x) + "," +
                         std::to_string(y));
                }
            }
        }
    }
}

QImage DrawMainMask() {
    QImage mask(892, 705, QImage::Format_RGB32);
    mask.fill(kWhite);

    // Title band with rounded top corners; its lower corners sweep down past the gap as quarter discs.
    FillRect(mask, {0, 0, 889, 52}, kBlack);
    PaintByCircle(mask, {0, 0, 9, 9}, {9, 9}, 9, false, kWhite);
    PaintByCircle(mask, {880, 0, 9, 9}, {880, 9}, 9, false, kWhite);
    PaintByCircle(mask, {0, 52, 20, 20}, {20, 52}, 20, true, kBlack);
    PaintByCircle(mask, {875, 52, 14, 14}, {875, 52}, 14, true, kBlack);

    // Across the gap under the band: the neck carrying the contents button and the post over the divider.
    FillRect(mask, {104, 52, 211, 23}, kBlack);
    FillRect(mask, {393, 52, 12, 24}, kBlack);

    // The panels, the cut setting off the strip under the left one, and the torn holes in the right one.
    FillRect(mask, {23, 75, 370, 615}, kBlack);
    FillRect(mask, {405, 75, 468, 615}, kBlack);
    FillRect(mask, {31, 602, 356, 22}, kWhite);
    FillPolygon(mask,
                QPolygonF({{407, 642},
                           {414, 635},
                           {426, 641},
                           {441, 648},
                           {454, 658},
                           {467, 664},
                           {478, 674},
                           {489, 679},
                           {497, 688},
                           {407, 688}}),
                kWhite);
    FillPolygon(mask,
                QPolygonF({{872, 602},
                           {872, 689},
                           {756, 689},
                           {762, 678},
                           {774, 671},
                           {788, 657},
                           {803, 649},
                           {817, 634},
                           {832, 626},
                           {845, 613},
                           {858, 604}}),
                kWhite);

    // Three pointed feet under the panels.
    FillPolygon(mask, QPolygonF({{16, 690}, {38, 690}, {27, 705}}), kBlack);
    FillPolygon(mask, QPolygonF({{378, 690}, {414, 690}, {396, 705}}), kBlack);
    FillPolygon(mask, QPolygonF({{866, 690}, {885, 690}, {875.5, 705}}), kBlack);

    const int moved = Balance(mask, {740, 604, 132, 84}, kMainKept);
    std::printf("DW1: balanced by %d pixels\n", moved);

    // Decorations on kept pixels only: guides around the controls and a light rule under the status bar.
    for (const QRect& rect : kMainControls) {
        OutlineKept(mask, rect.adjusted(-1, -1, 1, 1), kDarkGrey);
    }
    for (int x = 360; x < 360 + kMainLightGrey; ++x) {
        MarkKept(mask, x, 45, kLightGrey);
    }

    if (CountKept(mask) != kMainKept) {
        Fail("DW1: wrong kept pixel count " + std::to_string(CountKept(mask)));
    }
    if (Count(mask, [](QRgb pixel) { return pixel == kLightGrey; }) != kMainLightGrey) {
        Fail("DW1: wrong light grey pixel count");
    }
    CheckControls(mask, std::begin(kMainControls), std::end(kMainControls), "DW1");
    return mask;
}

QImage DrawRegisterMask() {
    QImage mask(390, 210, QImage::Format_RGB32);
    mask.fill(kWhite);

    // Body; one extra column at its top right gives the close button room.
    FillRect(mask, {3, 4, 381, 173}, kBlack);
    FillRect(mask, {384, 4, 1, 14}, kBlack);
    // Two short legs over the cut, then the bar with half-elliptic ends.
    FillRect(mask, {18, 177, 24, 8}, kBlack);
    FillRect(mask, {347, 177, 21, 8}, kBlack);
    constexpr double kBarLeft = 0;
    constexpr double kBarRight = 388;
    constexpr double kEndWidth = 13.4;
    constexpr double kBarMiddle = 197.5;
    constexpr double kBarHalfHeight = 12.5;
    for (int y = 185; y < 210; ++y) {
        for (int x = 0; x < 388; ++x) {
            const double cx = x + 0.5;
            const double dy = (y + 0.5 - kBarMiddle) / kBarHalfHeight;
            double dx = 0;
            if (cx < kBarLeft + kEndWidth) {
                dx = (kBarLeft + kEndWidth - cx) / kEndWidth;
            } else if (cx > kBarRight - kEndWidth) {
                dx = (cx - (kBarRight - kEndWidth)) / kEndWidth;
            }
            if (dx * dx + dy * dy <= 1.0) {
                Line(mask, y)[x] = kBlack;
            }
        }
    }

    const int moved = Balance(mask, {370, 186, 18, 23}, kRegisterKept);
    std::printf("DW3: balanced by %d pixels\n", moved);

    if (CountKept(mask) != kRegisterKept) {
        Fail("DW3: wrong kept pixel count " + std::to_string(CountKept(mask)));
    }
    CheckControls(mask, std::begin(kRegisterControls), std::end(kRegisterControls), "DW3");
    return mask;
}

// --- Faces --------------------------------------------------------------------------------------------------

QColor Mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

bool Cut(const QImage& mask, int x, int y) { return !mask.rect().contains(x, y) || mask.pixel(x, y) == kWhite; }

// Paints `base` on the kept pixels of `mask` with a soft watered ripple, a light bevel on edges facing up and
// left and a shade on edges facing down and right. The two outermost kept rings are blended towards white so
// the JPEG does not smear colour into the cut-out pixels, which stay pure white.
QImage DrawFace(const QImage& mask, const std::function<QColor(int, int)>& base, const QColor& light,
                const QColor& shade) {
    QImage face(mask.size(), QImage::Format_RGB32);
    for (int y = 0; y < mask.height(); ++y) {
        QRgb* line = Line(face, y);
        for (int x = 0; x < mask.width(); ++x) {
            if (Cut(mask, x, y)) {
                line[x] = kWhite;
                continue;
            }
            const double ripple = 0.012 * std::sin(x * 0.045 + 2.0 * std::sin(y * 0.021)) +
                                  0.008 * std::sin(y * 0.11 + 1.5 * std::sin(x * 0.017));
            QColor colour = base(x, y);
            colour = Mix(colour, ripple > 0 ? QColor(Qt::white) : QColor(Qt::black), std::abs(ripple));

            // Distance to the nearest cut pixel straight up or left, and straight down or right (0: none near).
            int up = 0;
            int down = 0;
            for (int d = 4; d >= 1; --d) {
                if (Cut(mask, x, y - d) || Cut(mask, x - d, y)) {
                    up = d;
                }
                if (Cut(mask, x, y + d) || Cut(mask, x + d, y)) {
                    down = d;
                }
            }
            const int edge = std::min(up > 0 ? up : 9, down > 0 ? down : 9);
            const bool lit = up > 0;
            const bool shaded = down > 0;
            if (edge == 1) {
                colour = Mix(colour, Qt::white, 0.6);
            } else if (edge == 2) {
                colour = Mix(colour, Qt::white, 0.3);
            } else if (lit) {
                colour = Mix(colour, light, 0.55);
            } else if (shaded) {
                colour = Mix(colour, shade, 0.45);
            }
            line[x] = colour.rgb();
        }
    }
    return face;
}

QImage DrawMainFace(const QImage& mask) {
    const auto base = [&](int x, int y) {
        const double across = static_cast<double>(x) / mask.width();
        if (y < 52) {
            // The band a little deeper than the panels, lighter towards its middle line.
            const double t = std::abs(y - 24) / 28.0;
            return Mix(QColor(206, 222, 243), QColor(176, 198, 232), t * 0.8 + across * 0.2);
        }
        const double down = static_cast<double>(y - 52) / (mask.height() - 52);
        return Mix(QColor(226, 236, 249), QColor(192, 211, 239), down * 0.75 + across * 0.25);
    };
    return DrawFace(mask, base, QColor(250, 252, 255), QColor(128, 156, 204));
}

QImage DrawRegisterFace(const QImage& mask) {
    const auto base = [&](int x, int y) {
        const double t = 0.7 * y / mask.height() + 0.3 * x / mask.width();
        return Mix(QColor(214, 196, 238), QColor(158, 126, 206), t);
    };
    return DrawFace(mask, base, QColor(246, 240, 255), QColor(104, 70, 160));
}

// --- Emblem -------------------------------------------------------------------------------------------------

QPointF Polar(QPointF centre, double radius, double degrees) {
    const double a = degrees * std::numbers::pi / 180.0;
    return {centre.x() + radius * std::cos(a), centre.y() + radius * std::sin(a)};
}

QPolygonF Star(QPointF centre, double outer, double inner, double turn = -90) {
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        star << Polar(centre, i % 2 == 0 ? outer : inner, turn + i * 36.0);
    }
    return star;
}

// Letter-like marks for the ring: a few strokes each, in a 6 x 8 box with its baseline at y = 0.
void DrawGlyph(QPainter& painter, int kind) {
    switch (kind % 6) {
        case 0:  // П
            painter.drawPolyline(QPolygonF({{-2.5, 0}, {-2.5, -8}, {2.5, -8}, {2.5, 0}}));
            break;
        case 1:  // Λ
            painter.drawPolyline(QPolygonF({{-3, 0}, {0, -8}, {3, 0}}));
            break;
        case 2:  // O
            painter.drawEllipse(QPointF(0, -4), 2.6, 4);
            break;
        case 3:  // Н
            painter.drawLine(QPointF(-2.5, 0), QPointF(-2.5, -8));
            painter.drawLine(QPointF(2.5, 0), QPointF(2.5, -8));
            painter.drawLine(QPointF(-2.5, -4), QPointF(2.5, -4));
            break;
        case 4:  // Т
            painter.drawLine(QPointF(-3, -8), QPointF(3, -8));
            painter.drawLine(QPointF(0, -8), QPointF(0, 0));
            break;
        default:  // И
            painter.drawPolyline(QPolygonF({{-2.5, -8}, {-2.5, 0}, {2.5, -8}, {2.5, 0}}));
            break;
    }
}

QImage DrawEmblem() {
    QImage image(187, 174, QImage::Format_RGB32);
    image.fill(kWhite);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF c(93.5, 87);
    constexpr double kOuter = 85;
    constexpr double kRingInner = 62;

    QPainterPath disc;
    disc.addEllipse(c, kOuter, kOuter);
    painter.setClipPath(disc);

    // Ring: mid grey band between two dark rims, with lettering along it and a star at either side.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(70, 70, 70));
    painter.drawEllipse(c, kOuter, kOuter);
    painter.setBrush(QColor(214, 214, 214));
    painter.drawEllipse(c, kOuter - 4, kOuter - 4);
    painter.setBrush(QColor(70, 70, 70));
    painter.drawEllipse(c, kRingInner + 2, kRingInner + 2);
    QRadialGradient field(c + QPointF(-14, -20), kRingInner * 1.4);
    field.setColorAt(0, QColor(250, 250, 250));
    field.setColorAt(1, QColor(206, 206, 206));
    painter.setBrush(field);
    painter.drawEllipse(c, kRingInner, kRingInner);

    painter.setPen(QPen(QColor(40, 40, 40), 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    const double glyphRadius = kRingInner + 7.5;
    int kind = 0;
    for (double angle = 200; angle <= 340.1; angle += 10) {
        painter.save();
        painter.translate(Polar(c, glyphRadius, angle));
        painter.rotate(angle + 90);
        painter.translate(0, 4);
        DrawGlyph(painter, kind++);
        painter.restore();
    }
    for (double angle = 30; angle <= 150.1; angle += 10) {
        painter.save();
        painter.translate(Polar(c, glyphRadius, angle));
        painter.rotate(angle - 90);
        painter.translate(0, 4);
        DrawGlyph(painter, kind++);
        painter.restore();
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 40, 40));
    painter.drawPolygon(Star(Polar(c, glyphRadius + 0.5, 180), 5.5, 2.3));
    painter.drawPolygon(Star(Polar(c, glyphRadius + 0.5, 0), 5.5, 2.3));

    // Field: mountains under a star, an open book in front.
    QPainterPath inner;
    inner.addEllipse(c, kRingInner, kRingInner);
    painter.setClipPath(inner);
    painter.setBrush(QColor(120, 120, 120));
    painter.drawPolygon(QPolygonF({{30, 118}, {62, 72}, {76, 88}, {96, 56}, {128, 100}, {140, 88}, {160, 118}}));
    painter.setBrush(QColor(245, 245, 245));
    painter.drawPolygon(QPolygonF({{88, 66}, {96, 56}, {104, 67}, {99, 64}, {95, 69}, {92, 64}}));
    painter.drawPolygon(QPolygonF({{57, 79}, {62, 72}, {67, 78}, {63, 77}, {60, 80}}));
    painter.setBrush(QColor(30, 30, 30));
    painter.drawPolygon(Star({96, 40}, 10, 4));

    painter.setPen(QPen(QColor(30, 30, 30), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(252, 252, 252));
    QPainterPath left;
    left.moveTo(93.5, 112);
    left.cubicTo(80, 104, 66, 104, 54, 108);
    left.lineTo(54, 134);
    left.cubicTo(66, 130, 80, 130, 93.5, 138);
    left.closeSubpath();
    QPainterPath right;
    right.moveTo(93.5, 112);
    right.cubicTo(107, 104, 121, 104, 133, 108);
    right.lineTo(133, 134);
    right.cubicTo(121, 130, 107, 130, 93.5, 138);
    right.closeSubpath();
    painter.drawPath(left);
    painter.drawPath(right);
    painter.setPen(QPen(QColor(110, 110, 110), 1));
    for (int i = 0; i < 4; ++i) {
        const double y = 114 + i * 5;
        painter.drawLine(QPointF(60, y), QPointF(88, y + 2));
        painter.drawLine(QPointF(99, y + 2), QPointF(127, y));
    }
    painter.end();
    return image.convertToFormat(QImage::Format_Grayscale8);
}

// --- Icons --------------------------------------------------------------------------------------------------

QPen Outline(const QColor& colour) { return QPen(colour, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void DrawFolder(QPainter& p) {
    p.setPen(Outline(QColor(24, 64, 140)));
    p.setBrush(QColor(70, 130, 210));
    p.drawPolygon(QPolygonF({{1.5, 3.5}, {6.5, 3.5}, {8, 5}, {14.5, 5}, {14.5, 13.5}, {1.5, 13.5}}));
    QLinearGradient front(0, 6, 0, 14);
    front.setColorAt(0, QColor(140, 190, 245));
    front.setColorAt(1, QColor(56, 118, 204));
    p.setBrush(front);
    p.drawPolygon(QPolygonF({{1.5, 13.5}, {3, 7.5}, {15.5, 7.5}, {14.5, 13.5}}));
}

void DrawPage(QPainter& p) {
    p.setPen(Outline(QColor(112, 112, 112)));
    p.setBrush(QColor(238, 238, 238));
    p.drawPolygon(QPolygonF({{3.5, 1.5}, {9.5, 1.5}, {12.5, 4.5}, {12.5, 14.5}, {3.5, 14.5}}));
    p.setBrush(QColor(196, 196, 196));
    p.drawPolygon(QPolygonF({{9.5, 1.5}, {9.5, 4.5}, {12.5, 4.5}}));
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (int y = 6; y <= 12; y += 2) {
        p.drawLine(QPointF(5, y + 0.5), QPointF(11, y + 0.5));
    }
}

void DrawClosedBook(QPainter& p) {
    p.setPen(Outline(QColor(240, 230, 200)));
    p.setBrush(QColor(246, 238, 214));
    p.drawRect(QRectF(4.5, 2.5, 9, 12));  // page edges peeking out
    p.setPen(Outline(QColor(88, 12, 20)));
    p.setBrush(QColor(160, 30, 42));
    p.drawRect(QRectF(2.5, 1.5, 10, 12));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(110, 16, 28));
    p.drawRect(QRectF(3, 2, 2, 11));  // spine
    p.setBrush(QColor(222, 184, 84));
    p.drawRect(QRectF(7, 4, 4, 2));  // label
}

void DrawOpenBook(QPainter& p) {
    p.setPen(Outline(QColor(96, 60, 28)));
    p.setBrush(QColor(150, 96, 44));
    p.drawPolygon(QPolygonF({{0.5, 4.5}, {8, 6}, {15.5, 4.5}, {15.5, 14.5}, {8, 15.5}, {0.5, 14.5}}));
    p.setPen(Outline(QColor(110, 100, 84)));
    p.setBrush(QColor(252, 250, 242));
    p.drawPolygon(QPolygonF({{1.5, 3.5}, {4.5, 2.5}, {8, 4.5}, {8, 14}, {4.5, 12}, {1.5, 13}}));
    p.drawPolygon(QPolygonF({{14.5, 3.5}, {11.5, 2.5}, {8, 4.5}, {8, 14}, {11.5, 12}, {14.5, 13}}));
    p.setPen(QPen(QColor(160, 160, 170), 0.8));
    for (int i = 0; i < 3; ++i) {
        const double y = 6 + i * 2.2;
        p.drawLine(QPointF(3, y), QPointF(6.5, y + 0.7));
        p.drawLine(QPointF(9.5, y + 0.7), QPointF(13, y));
    }
}

void DrawVideo(QPainter& p) {
    p.setPen(Outline(QColor(30, 30, 36)));
    p.setBrush(QColor(58, 58, 68));
    p.drawRoundedRect(QRectF(0.5, 2.5, 15, 11), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 220, 226));
    for (int x = 2; x <= 13; x += 3) {
        p.drawRect(QRectF(x, 3.5, 1.5, 1.2));
        p.drawRect(QRectF(x, 11.3, 1.5, 1.2));
    }
    p.setBrush(QColor(92, 128, 180));
    p.drawRect(QRectF(2, 5.5, 12, 5));
    p.setBrush(QColor(255, 255, 255));
    p.drawPolygon(QPolygonF({{6.2, 5.8}, {6.2, 10.2}, {10.4, 8}}));
}

QImage DrawTreeIcons() {
    QImage image(80, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const std::function<void(QPainter&)> icons[] = {DrawFolder, DrawPage, DrawClosedBook, DrawOpenBook, DrawVideo};
    for (int i = 0; i < 5; ++i) {
        painter.save();
        painter.translate(i * 16, 0);
        painter.setClipRect(0, 0, 16, 16);
        icons[i](painter);
        painter.restore();
    }
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage DrawRegisterIcon() {
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Sheet with lines of writing.
    p.setPen(Outline(QColor(120, 120, 120)));
    p.setBrush(QColor(250, 250, 250));
    p.drawRect(QRectF(0.5, 2.5, 10, 12));
    p.setPen(QPen(QColor(40, 70, 170), 0.9));
    p.drawLine(QPointF(2, 5.5), QPointF(8.5, 5.5));
    p.drawLine(QPointF(2, 8), QPointF(8, 8));
    p.drawPolyline(QPolygonF({{2, 10.5}, {3, 9.8}, {4, 10.8}, {5, 9.8}, {6, 10.6}}));
    // Pen held by the hand, its tip at the end of the last line.
    p.setPen(QPen(QColor(40, 40, 40), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(6.5, 10.5), QPointF(14.5, 1.5));
    p.setPen(QPen(QColor(230, 190, 40), 1.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 8.8), QPointF(14.2, 1.8));
    // Hand: palm and fingers wrapped round the pen.
    p.setPen(Outline(QColor(160, 96, 60)));
    p.setBrush(QColor(242, 192, 150));
    QPainterPath hand;
    hand.moveTo(8.5, 9.5);
    hand.cubicTo(8.5, 7.5, 10.5, 6.8, 12, 7.5);
    hand.cubicTo(14, 7.5, 15.5, 9.5, 15.5, 12);
    hand.lineTo(15.5, 15.5);
    hand.lineTo(11.5, 15.5);
    hand.cubicTo(11, 13.5, 9.5, 12.5, 8.5, 11.5);
    hand.closeSubpath();
    p.drawPath(hand);
    p.drawLine(QPointF(10, 10.5), QPointF(12.5, 10));
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

// Greyed twin for the disabled state: grey by luminance, pulled towards a light grey, same shape.
QImage Greyed(const QImage& icon) {
    QImage grey = icon.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        QRgb* line = Line(grey, y);
        for (int x = 0; x < grey.width(); ++x) {
            const int luma = qGray(line[x]);
            const int level = 112 + luma * 120 / 255;
            line[x] = qRgba(level, level, level, qAlpha(line[x]));
        }
    }
    return grey;
}

// --- Writers ------------------------------------------------------------------------------------------------

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        Fail("cannot write " + path.toStdString());
    }
}

// Writes a palette BMP with 1 or 4 bits a pixel; Qt writes only 8 and 24 bits, and the masks are meant to be
// small 16-colour and two-colour files.
void WritePaletteBmp(const QImage& image, const QVector<QRgb>& palette, int bits, const QString& path) {
    const int width = image.width();
    const int height = image.height();
    const int rowBytes = (width * bits + 31) / 32 * 4;
    const int paletteBytes = static_cast<int>(palette.size()) * 4;
    const int dataOffset = 14 + 40 + paletteBytes;

    QByteArray bmp;
    const auto put16 = [&](int value) {
        bmp.append(static_cast<char>(value & 0xFF));
        bmp.append(static_cast<char>((value >> 8) & 0xFF));
    };
    const auto put32 = [&](int value) {
        put16(value & 0xFFFF);
        put16((value >> 16) & 0xFFFF);
    };
    bmp.append("BM");
    put32(dataOffset + rowBytes * height);
    put32(0);
    put32(dataOffset);
    put32(40);
    put32(width);
    put32(height);  // positive: rows bottom-up
    put16(1);
    put16(bits);
    put32(0);  // no compression
    put32(rowBytes * height);
    put32(2835);  // 72 dpi
    put32(2835);
    put32(static_cast<int>(palette.size()));
    put32(0);
    for (const QRgb colour : palette) {
        bmp.append(static_cast<char>(qBlue(colour)));
        bmp.append(static_cast<char>(qGreen(colour)));
        bmp.append(static_cast<char>(qRed(colour)));
        bmp.append('\0');
    }
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(rowBytes, '\0');
        for (int x = 0; x < width; ++x) {
            const auto index = palette.indexOf(image.pixel(x, y) | 0xFF000000u);
            if (index < 0) {
                Fail("colour outside the palette in " + path.toStdString());
            }
            const int bit = x * bits;
            const int shift = 8 - bits - bit % 8;
            row[bit / 8] = static_cast<char>(static_cast<unsigned char>(row[bit / 8]) | (index << shift));
        }
        bmp.append(row);
    }
    WriteFile(path, bmp);
}

struct MallocFree {
    void operator()(unsigned char* p) const { std::free(p); }
};

// Writes through libjpeg so colour keeps full resolution (no chroma subsampling): subsampled colour would
// bleed blue into the white cut-out pixels next to every edge.
void WriteJpeg(const QImage& image, const QString& path, int quality) {
    const bool grey = image.format() == QImage::Format_Grayscale8;
    QImage source = grey ? image : image.convertToFormat(QImage::Format_RGB888);

    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);  // a failure here is a bug in this program; libjpeg's exit() will do
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(source.width());
    cinfo.image_height = static_cast<JDIMENSION>(source.height());
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.optimize_coding = TRUE;
    for (int i = 0; i < cinfo.num_components; ++i) {
        cinfo.comp_info[i].h_samp_factor = 1;
        cinfo.comp_info[i].v_samp_factor = 1;
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = source.scanLine(static_cast<int>(cinfo.next_scanline));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    const std::unique_ptr<unsigned char, MallocFree> owned(buffer);
    jpeg_destroy_compress(&cinfo);
    WriteFile(path, QByteArray(reinterpret_cast<const char*>(owned.get()), static_cast<qsizetype>(size)));
}

void WritePng(const QImage& image, const QString& path) {
    if (!image.save(path, "PNG")) {
        Fail("cannot write " + path.toStdString());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: drawart OUTPUT_DIR\n");
        return 2;
    }
    try {
        const QDir dir(QString::fromLocal8Bit(argv[1]));
        if (!dir.exists() && !QDir().mkpath(dir.path())) {
            Fail("cannot create " + dir.path().toStdString());
        }
        const QImage mainMask = DrawMainMask();
        const QImage registerMask = DrawRegisterMask();
        WritePaletteBmp(mainMask, kSixteenColours, 4, dir.filePath("DW1.bmp"));
        WritePaletteBmp(registerMask, kTwoColours, 1, dir.filePath("DW3.bmp"));
        WriteJpeg(DrawMainFace(mainMask), dir.filePath("background2.jpg"), 95);
        WriteJpeg(DrawRegisterFace(registerMask), dir.filePath("background4.jpg"), 95);
        WriteJpeg(DrawEmblem(), dir.filePath("emblem.jpg"), 92);
        WritePng(DrawTreeIcons(), dir.filePath("treeicons.png"));
        const QImage registerIcon = DrawRegisterIcon();
        WritePng(registerIcon, dir.filePath("register16.png"));
        WritePng(Greyed(registerIcon), dir.filePath("register16_disabled.png"));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "drawart: %s\n", error.what());
        return 1;
    }
    return 0;
}
