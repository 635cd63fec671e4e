#include "DigitArt.h"

#include <QLinearGradient>
#include <array>

#include "ArtColours.h"

namespace kwadrill::art {

namespace {

// Segment order: top, top right, bottom right, bottom, bottom left, top left, middle.
enum Segment { kTop, kTopRight, kBottomRight, kBottom, kBottomLeft, kTopLeft, kMiddle };

// Bit s set: segment s lit.
constexpr std::array<int, 10> kLitSegments{0x3f, 0x06, 0x5b, 0x4f, 0x66,
                                           0x6d, 0x7d, 0x07, 0x7f, 0x6f};

// Segments are 3 units thick, on whole units so the 1x picture is crisp.
constexpr double kThick = 3.0;
constexpr double kLeft = 2.0;
constexpr double kRight = 14.0;
constexpr double kTopY = 1.0;
constexpr double kMiddleY = 9.0;
constexpr double kBottomY = 17.0;
constexpr double kGap = 0.5;  // between neighbouring segments

const QColor kLit(232, 24, 16);
// The counter's face is dark, and an unlit segment only a shade above it, so
// that a lit digit reads at a glance (a lit 1 never looks like an 8).
const QColor kFace(22, 12, 12);
const QColor kUnlit(52, 24, 22);

// A horizontal segment from x0 to x1 with its top at y, ends cut at 45 degrees.
QPainterPath Horizontal(double x0, double x1, double y) {
    const double h = kThick / 2;
    QPainterPath path;
    path.moveTo(x0 + kGap, y + h);
    path.lineTo(x0 + kGap + h, y);
    path.lineTo(x1 - kGap - h, y);
    path.lineTo(x1 - kGap, y + h);
    path.lineTo(x1 - kGap - h, y + kThick);
    path.lineTo(x0 + kGap + h, y + kThick);
    path.closeSubpath();
    return path;
}

QPainterPath Vertical(double x, double y0, double y1) {
    const double w = kThick / 2;
    QPainterPath path;
    path.moveTo(x + w, y0 + kGap);
    path.lineTo(x + kThick, y0 + kGap + w);
    path.lineTo(x + kThick, y1 - kGap - w);
    path.lineTo(x + w, y1 - kGap);
    path.lineTo(x, y1 - kGap - w);
    path.lineTo(x, y0 + kGap + w);
    path.closeSubpath();
    return path;
}

QPainterPath SegmentPath(int segment) {
    const double rightX = kRight - kThick;
    switch (segment) {
        case kTop:
            return Horizontal(kLeft, kRight, kTopY);
        case kTopRight:
            return Vertical(rightX, kTopY, kMiddleY + kThick);
        case kBottomRight:
            return Vertical(rightX, kMiddleY, kBottomY + kThick);
        case kBottom:
            return Horizontal(kLeft, kRight, kBottomY);
        case kBottomLeft:
            return Vertical(kLeft, kMiddleY, kBottomY + kThick);
        case kTopLeft:
            return Vertical(kLeft, kTopY, kMiddleY + kThick);
        default:
            return Horizontal(kLeft, kRight, kMiddleY);
    }
}

}  // namespace

void DrawDigit(Canvas& canvas, int digit) {
    QPainterPath whole;
    whole.addRect(0, 0, kDigitWidth, kDigitHeight);
    canvas.Fill(whole, kFace);
    QLinearGradient glow(QPointF(0, kTopY), QPointF(0, kBottomY + kThick));
    glow.setColorAt(0.0, QColor(255, 92, 60));
    glow.setColorAt(0.5, kLit);
    glow.setColorAt(1.0, Darker(kLit, 0.72));
    for (int segment = kTop; segment <= kMiddle; ++segment) {
        const bool lit = (kLitSegments.at(std::size_t(digit)) >> segment) & 1;
        canvas.Fill(SegmentPath(segment), lit ? QBrush(glow) : QBrush(kUnlit));
    }
}

}  // namespace kwadrill::art
