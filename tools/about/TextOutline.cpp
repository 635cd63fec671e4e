#include "TextOutline.h"

namespace kwadrill::art {

TextOutline::TextOutline(const QString& fontFile, double pixelSize)
    : font_(fontFile, pixelSize, QFont::PreferNoHinting) {}

std::vector<QPainterPath> TextOutline::Letters(const QString& text, QPointF origin) const {
    const QList<quint32> glyphs = font_.glyphIndexesForString(text);
    const QList<QPointF> advances = font_.advancesForGlyphIndexes(glyphs);
    std::vector<QPainterPath> letters;
    QPointF pen = origin;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        QPainterPath letter = font_.pathForGlyph(glyphs[i]).translated(pen);
        letter.setFillRule(Qt::WindingFill);
        letters.push_back(letter);
        pen += advances[i];
    }
    return letters;
}

QPainterPath TextOutline::Text(const QString& text, QPointF origin) const {
    QPainterPath whole;
    whole.setFillRule(Qt::WindingFill);
    for (const QPainterPath& letter : Letters(text, origin)) whole.addPath(letter);
    return whole;
}

double TextOutline::Advance(const QString& text) const {
    double total = 0;
    for (const QPointF& a : font_.advancesForGlyphIndexes(font_.glyphIndexesForString(text))) {
        total += a.x();
    }
    return total;
}

}  // namespace kwadrill::art
