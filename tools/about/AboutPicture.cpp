#include "AboutPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QtMath>
#include <array>

#include "AboutFonts.h"
#include "ArtColours.h"
#include "BlockArt.h"
#include "Canvas.h"
#include "MainWindowPicture.h"
#include "StoneGround.h"
#include "TextOutline.h"

namespace kwadrill::art {

namespace {

constexpr double kTitlePixels = 72;
const QPointF kTitleBaseline(16, 88);
constexpr double kExtrudeDepth = 7;
const QPointF kExtrudeStep(0.55, 0.85);  // per unit of depth: down and to the right

constexpr double kBrandPixels = 100;
constexpr double kBrandRight = 486;
constexpr double kBrandBaseline = 340;
constexpr double kTaglinePixels = 21;
constexpr double kTaglineBaseline = 366;

// The window picture: its centre, width on the picture, tilt and how much
// its far (right) edge shrinks in perspective.
const QPointF kWindowCentre(399, 132);
constexpr double kWindowShownWidth = 188;
constexpr double kWindowTiltDegrees = -7;
constexpr double kWindowFarEdge = 0.93;

constexpr double kGemSize = 40;
constexpr std::array<int, 3> kPieceTypes{4, 2, 1};
const QPointF kPieceOrigin(58, 124);
constexpr double kPieceTiltDegrees = -6;

constexpr int kShadowReduction = 4;  // shadows are drawn small and smoothed up

QPainterPath Outline(const QPainterPath& shape, double width) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(shape).united(shape);
}

// A soft shadow: the shape drawn small and scaled up smoothly.
void DrawSoftShadow(QPainter& p, const QPainterPath& shape, QPointF offset, int alpha) {
    const QRectF bounds = shape.boundingRect().adjusted(-12, -12, 12, 12).translated(offset);
    const double reduction = kShadowReduction / p.transform().m11();
    QImage small((bounds.size() / reduction).toSize() + QSize(1, 1),
                 QImage::Format_ARGB32_Premultiplied);
    small.fill(Qt::transparent);
    {
        QPainter sp(&small);
        sp.setRenderHint(QPainter::Antialiasing, true);
        sp.scale(1 / reduction, 1 / reduction);
        sp.translate(-bounds.topLeft() + offset);
        sp.fillPath(shape, QColor(0, 0, 0, alpha));
    }
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.drawImage(QRectF(bounds.topLeft(), QSizeF(small.size()) * reduction), small);
    p.restore();
}

// Side walls of raised letters: the shape repeated along the depth, darkening.
void Extrude(QPainter& p, const QPainterPath& shape, const QColor& base, double depth) {
    for (double d = depth; d > 0; d -= 0.5) {
        const double nearness = 1.0 - d / depth;
        p.fillPath(shape.translated(kExtrudeStep * d), Darker(base, 0.25 + 0.3 * nearness));
    }
}

void DrawTitle(QPainter& p) {
    const TextOutline font(kTitleFont, kTitlePixels);
    const std::vector<QPainterPath> letters = font.Letters("Kwadrill", kTitleBaseline);
    QPainterPath whole;
    whole.setFillRule(Qt::WindingFill);
    for (const auto& letter : letters) whole.addPath(letter);
    DrawSoftShadow(p, whole, kExtrudeStep * kExtrudeDepth + QPointF(4, 5), 150);
    for (std::size_t i = 0; i < letters.size(); ++i) {
        const QColor base = StyleOfBlock(int(i % kBlockTypes) + 1).base;
        const QPainterPath& letter = letters[i];
        const QRectF box = letter.boundingRect();
        Extrude(p, Outline(letter, 1.6), base, kExtrudeDepth);
        p.fillPath(Outline(letter, 1.6), Darker(base, 0.3));
        QLinearGradient face(box.topLeft(), box.bottomLeft());
        face.setColorAt(0.0, TowardsWhite(base, 0.6));
        face.setColorAt(0.45, base);
        face.setColorAt(1.0, Darker(base, 0.62));
        p.fillPath(letter, face);
        QPainterPath upper;
        upper.addRect(box.adjusted(-2, -2, 2, -box.height() * 0.55));
        QLinearGradient gloss(box.topLeft(), QPointF(box.left(), box.top() + box.height() * 0.45));
        gloss.setColorAt(0.0, QColor(255, 255, 255, 150));
        gloss.setColorAt(1.0, QColor(255, 255, 255, 20));
        p.fillPath(letter.intersected(upper), gloss);
    }
}

// Three big blocks of a falling piece.
void DrawFallingPiece(QPainter& p) {
    p.save();
    p.translate(kPieceOrigin);
    p.rotate(kPieceTiltDegrees);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(0, 0, kGemSize * 3, kGemSize), 6, 6);
    DrawSoftShadow(p, outline, QPointF(6, 9), 140);
    PainterCanvas canvas(p);
    for (std::size_t i = 0; i < kPieceTypes.size(); ++i) {
        QTransform place = QTransform::fromScale(kGemSize / kCellSize, kGemSize / kCellSize);
        place *= QTransform::fromTranslate(kGemSize * double(i), 0);
        canvas.SetTransform(place);
        DrawBlock(canvas, kPieceTypes[i]);
    }
    p.restore();
}

// Corners of the tilted window on the picture: top left, top right, bottom
// right, bottom left.
QPolygonF WindowCorners() {
    const double halfWidth = kWindowShownWidth / 2;
    const double halfHeight = halfWidth * kWindowHeight / kWindowWidth;
    const std::array<QPointF, 4> flat{
        QPointF(-halfWidth, -halfHeight), QPointF(halfWidth, -halfHeight * kWindowFarEdge),
        QPointF(halfWidth, halfHeight * kWindowFarEdge), QPointF(-halfWidth, halfHeight)};
    QTransform tilt;
    tilt.rotate(kWindowTiltDegrees);
    QPolygonF corners;
    for (const QPointF& c : flat) corners << tilt.map(c) + kWindowCentre;
    return corners;
}

void DrawWindow(QPainter& p, int scale) {
    const QPolygonF corners = WindowCorners();
    QPainterPath outline;
    outline.addPolygon(corners);
    DrawSoftShadow(p, outline, QPointF(7, 9), 170);
    const QImage window = DrawMainWindowPicture(scale);
    QPolygonF source;
    source << QPointF(0, 0) << QPointF(kWindowWidth, 0) << QPointF(kWindowWidth, kWindowHeight)
           << QPointF(0, kWindowHeight);
    QTransform onPicture;
    if (!QTransform::quadToQuad(source, corners, onPicture)) return;
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.setTransform(onPicture * p.transform());
    p.drawImage(QRectF(0, 0, kWindowWidth, kWindowHeight), window);
    p.restore();
}

QLinearGradient Gold(const QRectF& box) {
    QLinearGradient gold(box.topLeft(), box.bottomLeft());
    gold.setColorAt(0.0, QColor(255, 248, 196));
    gold.setColorAt(0.38, QColor(246, 196, 52));
    gold.setColorAt(0.52, QColor(160, 104, 12));
    gold.setColorAt(0.7, QColor(236, 184, 58));
    gold.setColorAt(1.0, QColor(255, 230, 130));
    return gold;
}

void DrawBrand(QPainter& p) {
    const TextOutline brandFont(kBrandFont, kBrandPixels);
    const double width = brandFont.Advance("QZ");
    const QPainterPath brand = brandFont.Text("QZ", QPointF(kBrandRight - width, kBrandBaseline));
    const QColor bronze(150, 96, 16);
    DrawSoftShadow(p, brand, kExtrudeStep * 5 + QPointF(4, 5), 160);
    Extrude(p, Outline(brand, 1.8), bronze, 5);
    p.fillPath(Outline(brand, 1.8), QColor(84, 50, 6));
    p.fillPath(brand, Gold(brand.boundingRect()));

    const TextOutline taglineFont(kTaglineFont, kTaglinePixels);
    const QString tagline = "productions";
    const double centre = kBrandRight - width / 2;
    const QPainterPath words = taglineFont.Text(
        tagline, QPointF(centre - taglineFont.Advance(tagline) / 2, kTaglineBaseline));
    p.fillPath(words.translated(1, 1.5), QColor(40, 26, 4));
    p.fillPath(words, Gold(words.boundingRect()));
}

// Deepens the stone where the label sits, so its light text stands out.
void ShadeLabelArea(QPainter& p) {
    const QPointF centre = QRectF(kAboutLabelArea).center();
    QRadialGradient shade(centre, kAboutLabelArea.width() * 0.75);
    shade.setColorAt(0.0, QColor(0, 0, 0, 110));
    shade.setColorAt(0.6, QColor(0, 0, 0, 70));
    shade.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(0, 0, kAboutWidth, kAboutHeight), shade);
}

}  // namespace

QImage DrawAboutPicture(int scale) {
    QImage image = StoneGround(QSize(kAboutWidth, kAboutHeight), scale)
                       .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.scale(scale, scale);
        ShadeLabelArea(p);
        DrawWindow(p, scale);
        DrawFallingPiece(p);
        DrawTitle(p);
        DrawBrand(p);
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace kwadrill::art
