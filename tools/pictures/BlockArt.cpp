#include "BlockArt.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <QtMath>
#include <array>

#include "ArtColours.h"

namespace kwadrill::art {

namespace {

// Bright, well-separated hues; types 1..4 (the only ones at the first
// levels) are the four most distinct.
const std::array<BlockStyle, kBlockTypes> kBlockStyles{{
    {QColor(228, 32, 36), Emblem::Circle},
    {QColor(36, 184, 52), Emblem::Triangle},
    {QColor(40, 96, 236), Emblem::Diamond},
    {QColor(250, 206, 20), Emblem::Star},
    {QColor(196, 52, 214), Emblem::Cross},
    {QColor(20, 196, 214), Emblem::Square},
    {QColor(255, 128, 16), Emblem::Ring},
}};

constexpr double kCentre = kCellSize / 2.0;
constexpr double kEmblemRadius = 4.9;

QPainterPath RoundedSquare(double inset, double radius) {
    QPainterPath path;
    path.addRoundedRect(QRectF(inset, inset, kCellSize - 2 * inset, kCellSize - 2 * inset), radius,
                        radius);
    return path;
}

QPainterPath Polygon(QPointF centre, double radius, int corners, double startDegrees,
                     double innerRadius = 0) {
    QPolygonF points;
    const int steps = innerRadius > 0 ? corners * 2 : corners;
    for (int i = 0; i < steps; ++i) {
        const double r = (innerRadius > 0 && i % 2 == 1) ? innerRadius : radius;
        const double angle = qDegreesToRadians(startDegrees + 360.0 * i / steps);
        points << centre + QPointF(r * std::cos(angle), r * std::sin(angle));
    }
    QPainterPath path;
    path.addPolygon(points);
    path.closeSubpath();
    return path;
}

QPainterPath Cross(QPointF centre, double radius) {
    const double arm = radius * 0.36;
    const QPointF c = centre;
    QPolygonF outline;
    outline << QPointF(-arm, -radius) << QPointF(arm, -radius) << QPointF(arm, -arm)
            << QPointF(radius, -arm) << QPointF(radius, arm) << QPointF(arm, arm)
            << QPointF(arm, radius) << QPointF(-arm, radius) << QPointF(-arm, arm)
            << QPointF(-radius, arm) << QPointF(-radius, -arm) << QPointF(-arm, -arm);
    QPainterPath path;
    path.addPolygon(outline.translated(c));
    path.closeSubpath();
    return path;
}

QPainterPath Ring(QPointF centre, double radius) {
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    path.addEllipse(centre, radius * 0.48, radius * 0.48);
    return path;  // odd-even fill leaves the hole
}

// The lit bevel and the glossy face of a gem, in the block's hue.
void DrawGemBody(Canvas& canvas, const QColor& base) {
    canvas.Fill(RoundedSquare(0.5, 3.5), Darker(base, 0.32));

    QLinearGradient bevel(QPointF(1.5, 1.5), QPointF(19.5, 19.5));
    bevel.setColorAt(0.0, TowardsWhite(base, 0.7));
    bevel.setColorAt(0.45, base);
    bevel.setColorAt(1.0, Darker(base, 0.5));
    canvas.Fill(RoundedSquare(1.4, 2.6), bevel);

    QRadialGradient face(QPointF(7.0, 6.0), 15.0);
    face.setColorAt(0.0, TowardsWhite(base, 0.3));
    face.setColorAt(0.55, base);
    face.setColorAt(1.0, Darker(base, 0.72));
    canvas.Fill(RoundedSquare(3.4, 1.6), face);
}

// A raised emblem: a dark drop shadow, a pale body and a shine at its top.
void DrawEmblem(Canvas& canvas, const BlockStyle& style) {
    const QPointF centre(kCentre, kCentre);
    const QPainterPath shape = EmblemPath(style.emblem, centre, kEmblemRadius);
    canvas.Fill(shape.translated(0.9, 0.9), Darker(style.base, 0.3));
    QLinearGradient body(QPointF(0, kCentre - kEmblemRadius), QPointF(0, kCentre + kEmblemRadius));
    body.setColorAt(0.0, kPureWhite);
    body.setColorAt(1.0, TowardsWhite(style.base, 0.55));
    canvas.Fill(shape, body);
}

void DrawGloss(Canvas& canvas) {
    QPainterPath streak;
    streak.addRoundedRect(QRectF(4.0, 2.1, 9.0, 1.6), 0.8, 0.8);
    QLinearGradient fade(QPointF(4.0, 0), QPointF(13.0, 0));
    fade.setColorAt(0.0, QColor(255, 255, 255, 230));
    fade.setColorAt(1.0, QColor(255, 255, 255, 0));
    canvas.Fill(streak, fade);
}

}  // namespace

BlockStyle StyleOfBlock(int type) {
    return kBlockStyles.at(std::size_t(type - 1));
}

QPainterPath EmblemPath(Emblem emblem, QPointF centre, double radius) {
    QPainterPath path;
    switch (emblem) {
        case Emblem::Circle:
            path.addEllipse(centre, radius * 0.92, radius * 0.92);
            return path;
        case Emblem::Triangle:
            return Polygon(centre + QPointF(0, radius * 0.18), radius * 1.12, 3, -90);
        case Emblem::Diamond:
            return Polygon(centre, radius * 1.08, 4, -90);
        case Emblem::Star:
            return Polygon(centre + QPointF(0, radius * 0.08), radius * 1.12, 5, -90,
                           radius * 0.48);
        case Emblem::Cross:
            return Cross(centre, radius);
        case Emblem::Square:
            path.addRect(QRectF(centre.x() - radius * 0.78, centre.y() - radius * 0.78,
                                radius * 1.56, radius * 1.56));
            return path;
        case Emblem::Ring:
            return Ring(centre, radius);
    }
    return path;
}

void DrawEmptyCell(Canvas& canvas) {
    QPainterPath whole;
    whole.addRect(0, 0, kCellSize, kCellSize);
    canvas.Fill(whole, kPureBlack);
    // One faint dot per cell and a fainter one at its corner: a sparse grid
    // that shows the columns of the empty well without drawing attention.
    QPainterPath dot;
    dot.addRect(10, 10, 1, 1);
    canvas.Fill(dot, QColor(58, 66, 86));
    QPainterPath corner;
    corner.addRect(0, 0, 1, 1);
    canvas.Fill(corner, QColor(30, 34, 46));
}

void DrawBlock(Canvas& canvas, int type) {
    const BlockStyle style = StyleOfBlock(type);
    QPainterPath whole;
    whole.addRect(0, 0, kCellSize, kCellSize);
    canvas.Fill(whole, kPureBlack);
    DrawGemBody(canvas, style.base);
    DrawGloss(canvas);
    DrawEmblem(canvas, style);
}

}  // namespace kwadrill::art
