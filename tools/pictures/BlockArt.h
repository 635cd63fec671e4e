#pragma once

#include <QColor>
#include <QPainterPath>

#include "Canvas.h"

namespace kwadrill::art {

// Side of a cell picture at scale 1; the art below is drawn in these units.
inline constexpr int kCellSize = 21;
inline constexpr int kBlockTypes = 7;

// The emblem on each block type, so the types differ in shape as well as
// in colour.
enum class Emblem { Circle, Triangle, Diamond, Star, Cross, Square, Ring };

struct BlockStyle {
    QColor base;
    Emblem emblem;
};

// Style of block type 1..7.
BlockStyle StyleOfBlock(int type);

// An emblem of the given outer radius around centre.
QPainterPath EmblemPath(Emblem emblem, QPointF centre, double radius);

// Cell pictures in cell units (0..21 square); they cover the cell completely.
void DrawEmptyCell(Canvas& canvas);
void DrawBlock(Canvas& canvas, int type);

}  // namespace kwadrill::art
