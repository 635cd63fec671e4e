#pragma once

#include <QImage>
#include <QList>
#include <QRgb>
#include <QSize>
#include <QString>
#include <functional>
#include <vector>

#include "Canvas.h"
#include "SixteenColours.h"

namespace kwadrill::art {

// The scales drawn: 1 for ordinary screens, 2 for a device pixel ratio of 2.
inline constexpr int kScales[] = {1, 2};

// One picture of the game: where it goes and how to draw it at a scale.
struct Picture {
    QString kind;  // resource kind, the folder under resources/
    QString name;  // resource name, e.g. "BITMAP_1" or "GLYPH_START"
    QSize size;    // at scale 1
    std::function<QImage(int scale)> render;
};

// Every cell, destruction, digit and glyph picture, in a fixed order.
std::vector<Picture> AllPictures();

// File name of a picture at a scale: "BITMAP_1.bmp", "BITMAP_1@2x.bmp".
QString PictureFileName(const QString& name, int scale);

// Draws vector art given in units of unitSize at the scale and reduces it
// to 16 colours, keeping the pinned colours exact.
QImage RenderSixteenColours(QSize unitSize, int scale, const std::function<void(Canvas&)>& draw,
                            const QList<QRgb>& pinned);

// Single pictures, as 16-colour indexed images.
QImage RenderCell(int value, int scale);  // 0 empty, 1..7 block type
QImage RenderDigit(int digit, int scale);
QImage RenderGlyph(const QString& glyphName, int scale);  // "START", ...

}  // namespace kwadrill::art
