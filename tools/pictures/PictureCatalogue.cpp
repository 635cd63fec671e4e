#include "PictureCatalogue.h"

#include <QPainter>

#include "BlockArt.h"
#include "DestructionArt.h"
#include "DigitArt.h"
#include "GlyphArt.h"

namespace kwadrill::art {

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);

}  // namespace

QString PictureFileName(const QString& name, int scale) {
    return scale == 1 ? name + ".bmp" : QString("%1@%2x.bmp").arg(name).arg(scale);
}

QImage RenderSixteenColours(QSize unitSize, int scale, const std::function<void(Canvas&)>& draw,
                            const QList<QRgb>& pinned) {
    QImage image(unitSize * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        PainterCanvas canvas(painter);
        canvas.SetTransform(QTransform::fromScale(scale, scale));
        draw(canvas);
    }
    return ToSixteenColours(image, pinned);
}

QImage RenderCell(int value, int scale) {
    const QSize size(kCellSize, kCellSize);
    if (value == 0) {
        return RenderSixteenColours(size, scale, DrawEmptyCell, {kBlack});
    }
    return RenderSixteenColours(size, scale, [value](Canvas& canvas) { DrawBlock(canvas, value); },
                                {kBlack});
}

QImage RenderDigit(int digit, int scale) {
    return RenderSixteenColours(QSize(kDigitWidth, kDigitHeight), scale,
                                [digit](Canvas& canvas) { DrawDigit(canvas, digit); }, {kWhite});
}

QImage RenderGlyph(const QString& glyphName, int scale) {
    return RenderSixteenColours(QSize(kGlyphSize, kGlyphSize), scale,
                                [glyphName](Canvas& canvas) { DrawGlyph(canvas, glyphName); },
                                {kWhite});
}

std::vector<Picture> AllPictures() {
    std::vector<Picture> pictures;
    const QSize cell(kCellSize, kCellSize);
    for (int n = 1; n <= kBlockTypes + 1; ++n) {
        pictures.push_back({"bitmaps", QString("BITMAP_%1").arg(n), cell,
                            [n](int scale) { return RenderCell(n - 1, scale); }});
    }
    for (int set = 1; set <= kDestructionSets; ++set) {
        for (int frame = 0; frame < kDestructionFrames; ++frame) {
            pictures.push_back(
                {"bitmaps", QString("%1DESTR%2").arg(set).arg(frame), cell,
                 [set, frame](int scale) { return DestructionFrame(set, frame, scale); }});
        }
    }
    for (int digit = 0; digit <= 9; ++digit) {
        pictures.push_back({"bitmaps", QString("DG%1").arg(digit), QSize(kDigitWidth, kDigitHeight),
                            [digit](int scale) { return RenderDigit(digit, scale); }});
    }
    for (const QString& glyph : GlyphNames()) {
        pictures.push_back({"glyphs", "GLYPH_" + glyph, QSize(kGlyphSize, kGlyphSize),
                            [glyph](int scale) { return RenderGlyph(glyph, scale); }});
    }
    return pictures;
}

}  // namespace kwadrill::art
