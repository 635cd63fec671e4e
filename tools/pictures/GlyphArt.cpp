#include "GlyphArt.h"

#include <QLinearGradient>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <functional>
#include <initializer_list>
#include <map>

#include "ArtColours.h"

namespace kwadrill::art {

namespace {

constexpr double kOutline = 1.0;

// Fills the shape with its brush inside a dark rim of width kOutline/2.
void FillOutlined(Canvas& canvas, const QPainterPath& shape, const QBrush& brush,
                  const QColor& rim) {
    QPainterPathStroker stroker;
    stroker.setWidth(kOutline);
    stroker.setJoinStyle(Qt::RoundJoin);
    canvas.Fill(stroker.createStroke(shape).united(shape), rim);
    canvas.Fill(shape, brush);
}

// Lit from the top left, as the blocks are.
QLinearGradient Lit(const QColor& base, QPointF from, QPointF to) {
    QLinearGradient gradient(from, to);
    gradient.setColorAt(0.0, TowardsWhite(base, 0.55));
    gradient.setColorAt(0.5, base);
    gradient.setColorAt(1.0, Darker(base, 0.7));
    return gradient;
}

QPainterPath Stroke(const QPainterPath& line, double width, Qt::PenCapStyle cap = Qt::RoundCap) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(cap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(line);
}

// The closed outline through the given corners.
QPainterPath Polygon(std::initializer_list<QPointF> corners) {
    QPainterPath path;
    path.moveTo(*corners.begin());
    for (auto corner = corners.begin() + 1; corner != corners.end(); ++corner) path.lineTo(*corner);
    path.closeSubpath();
    return path;
}

void DrawStart(Canvas& canvas) {
    const QColor green(30, 176, 48);
    const QPainterPath play = Polygon({{4.5, 2.5}, {14.5, 8.5}, {4.5, 14.5}});
    FillOutlined(canvas, play, Lit(green, {4, 2}, {13, 14}), Darker(green, 0.4));
}

void DrawPause(Canvas& canvas) {
    const QColor blue(40, 96, 236);
    for (double x : {3.5, 9.5}) {
        QPainterPath bar;
        bar.addRoundedRect(QRectF(x, 2.5, 4.0, 12.0), 0.8, 0.8);
        FillOutlined(canvas, bar, Lit(blue, {x, 2.5}, {x + 4, 14.5}), Darker(blue, 0.4));
    }
}

void DrawScores(Canvas& canvas) {
    const QColor gold(240, 184, 24);
    QPainterPath cup;
    cup.moveTo(4.0, 2.0);
    cup.lineTo(13.0, 2.0);
    cup.cubicTo(13.0, 7.5, 11.0, 9.5, 9.5, 10.0);
    cup.lineTo(9.5, 12.0);
    cup.lineTo(12.0, 12.5);
    cup.lineTo(12.0, 15.0);
    cup.lineTo(5.0, 15.0);
    cup.lineTo(5.0, 12.5);
    cup.lineTo(7.5, 12.0);
    cup.lineTo(7.5, 10.0);
    cup.cubicTo(6.0, 9.5, 4.0, 7.5, 4.0, 2.0);
    cup.closeSubpath();
    QPainterPath handles;
    handles.addEllipse(QPointF(3.4, 4.8), 2.1, 2.1);
    handles.addEllipse(QPointF(13.6, 4.8), 2.1, 2.1);
    const QPainterPath rims = Stroke(handles, 1.2).subtracted(cup);
    canvas.Fill(Stroke(rims, kOutline).united(rims), Darker(gold, 0.45));
    canvas.Fill(rims, gold);
    FillOutlined(canvas, cup, Lit(gold, {4, 2}, {13, 14}), Darker(gold, 0.45));
}

// Off: the same drawing in grey.
const QColor kOffGrey(150, 150, 156);

// A red bar from the top left to the bottom right over a switched-off glyph.
void StrikeThrough(Canvas& canvas) {
    const QColor red(220, 30, 24);
    QPainterPath bar;
    bar.moveTo(2.5, 2.5);
    bar.lineTo(14.5, 14.5);
    FillOutlined(canvas, Stroke(bar, 2.2), red, Darker(red, 0.45));
}

void DrawMusic(Canvas& canvas, bool on) {
    const QColor violet = on ? QColor(120, 60, 210) : kOffGrey;
    QPainterPath notes;
    notes.addEllipse(QPointF(4.6, 13.0), 2.4, 1.9);
    notes.addEllipse(QPointF(12.1, 11.5), 2.4, 1.9);
    notes.addRect(QRectF(6.0, 4.0, 1.2, 9.0));
    notes.addRect(QRectF(13.5, 2.5, 1.2, 9.0));
    notes.addPath(Polygon({{6.0, 3.5}, {14.7, 2.0}, {14.7, 4.6}, {6.0, 6.1}}));
    notes.setFillRule(Qt::WindingFill);
    notes = notes.simplified();
    FillOutlined(canvas, notes, Lit(violet, {2, 2}, {14, 15}), Darker(violet, 0.4));
    if (!on) StrikeThrough(canvas);
}

void DrawSound(Canvas& canvas, bool on) {
    const QColor steel = on ? QColor(96, 110, 132) : kOffGrey;
    const QPainterPath speaker =
        Polygon({{1.8, 6.0}, {4.6, 6.0}, {8.6, 2.5}, {8.6, 14.5}, {4.6, 11.0}, {1.8, 11.0}});
    FillOutlined(canvas, speaker, Lit(steel, {2, 2}, {9, 15}), Darker(steel, 0.35));
    const QColor orange = on ? QColor(255, 128, 16) : kOffGrey;
    for (double radius : {3.2, 6.0}) {
        QPainterPath arc;
        const QRectF box(8.6 - radius, 8.5 - radius, 2 * radius, 2 * radius);
        arc.arcMoveTo(box, 48);
        arc.arcTo(box, 48, -96);
        FillOutlined(canvas, Stroke(arc, 1.5), orange, Darker(orange, 0.45));
    }
    if (!on) StrikeThrough(canvas);
}

void DrawRules(Canvas& canvas) {
    const QColor paper(255, 246, 206);
    const QColor ink(60, 80, 150);
    const QPainterPath page =
        Polygon({{3.0, 1.5}, {10.5, 1.5}, {14.0, 5.0}, {14.0, 15.5}, {3.0, 15.5}});
    FillOutlined(canvas, page, paper, Darker(ink, 0.6));
    canvas.Fill(Polygon({{10.5, 1.5}, {10.5, 5.0}, {14.0, 5.0}}), Darker(paper, 0.8));
    for (double y : {5.0, 7.5, 10.0, 12.5}) {
        QPainterPath line;
        line.addRect(QRectF(5.0, y, y < 6 ? 4.0 : 7.0, 1.0));
        canvas.Fill(line, ink);
    }
}

void DrawAbout(Canvas& canvas) {
    const QColor blue(40, 110, 230);
    QPainterPath disc;
    disc.addEllipse(QPointF(8.5, 8.5), 7.0, 7.0);
    QRadialGradient shine(QPointF(6.0, 5.5), 10.0);
    shine.setColorAt(0.0, TowardsWhite(blue, 0.45));
    shine.setColorAt(0.6, blue);
    shine.setColorAt(1.0, Darker(blue, 0.7));
    FillOutlined(canvas, disc, shine, Darker(blue, 0.4));
    QPainterPath letter;
    letter.addEllipse(QPointF(8.5, 4.9), 1.3, 1.3);
    letter.addRoundedRect(QRectF(7.4, 7.2, 2.2, 6.3), 0.5, 0.5);
    canvas.Fill(letter, kPureWhite);
}

using GlyphDrawing = std::function<void(Canvas&)>;

const std::map<QString, GlyphDrawing>& Drawings() {
    static const std::map<QString, GlyphDrawing> drawings{
        {"START", DrawStart},
        {"PAUSE", DrawPause},
        {"SCORES", DrawScores},
        {"MUSIC", [](Canvas& c) { DrawMusic(c, true); }},
        {"MUSIC_OFF", [](Canvas& c) { DrawMusic(c, false); }},
        {"SOUND", [](Canvas& c) { DrawSound(c, true); }},
        {"SOUND_OFF", [](Canvas& c) { DrawSound(c, false); }},
        {"RULES", DrawRules},
        {"ABOUT", DrawAbout},
    };
    return drawings;
}

}  // namespace

QStringList GlyphNames() {
    return {"START", "PAUSE",     "SCORES", "MUSIC", "MUSIC_OFF",
            "SOUND", "SOUND_OFF", "RULES",  "ABOUT"};
}

void DrawGlyph(Canvas& canvas, const QString& name) {
    QPainterPath whole;
    whole.addRect(0, 0, kGlyphSize, kGlyphSize);
    canvas.Fill(whole, kPureWhite);
    Drawings().at(name)(canvas);
}

}  // namespace kwadrill::art
