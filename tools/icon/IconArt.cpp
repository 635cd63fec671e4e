#include "IconArt.h"

#include <QLinearGradient>
#include <algorithm>
#include <array>
#include <cmath>

#include "ArtColours.h"
#include "BlockArt.h"

namespace kwadrill::art {

namespace {

constexpr int kWellColumns = 3;
constexpr int kWellRows = 3;
// Cells smaller than this get plain blocks: a gem's bevel and emblem would blur.
constexpr int kSmallestGem = 12;

// Block types by row (top first) and column; 0 is empty. The top one falls.
constexpr std::array<std::array<int, kWellColumns>, kWellRows> kContents{{
    {0, 5, 0},
    {4, 0, 1},
    {1, 3, 2},
}};

const QColor kStone(150, 152, 160);
const QColor kInsideTop(40, 52, 92);
const QColor kInsideBottom(6, 8, 14);

// Whole-pixel geometry of the icon at one size.
struct IconLayout {
    int wall;
    int cell;
    int left;  // left edge of the left wall
    int top;   // top of the walls
};

IconLayout LayoutFor(int size) {
    const int wall = std::max(1, int(std::lround(size / 16.0)));
    const int margin = std::max(1, size / 16);
    const int cell = (size - 2 * margin - 2 * wall) / kWellColumns;
    const int width = kWellColumns * cell + 2 * wall;
    const int height = kWellRows * cell + wall;
    return {wall, cell, (size - width) / 2, (size - height + 1) / 2};
}

QPainterPath Rect(double x, double y, double w, double h) {
    QPainterPath path;
    path.addRect(x, y, w, h);
    return path;
}

void DrawWell(Canvas& canvas, const IconLayout& l) {
    const int innerWidth = kWellColumns * l.cell;
    const int innerHeight = kWellRows * l.cell;
    const int outerWidth = innerWidth + 2 * l.wall;
    canvas.Fill(Rect(l.left, l.top, outerWidth, innerHeight + l.wall), Darker(kStone, 0.45));
    QLinearGradient stone(QPointF(l.left, l.top),
                          QPointF(l.left + outerWidth, l.top + innerHeight));
    stone.setColorAt(0.0, TowardsWhite(kStone, 0.5));
    stone.setColorAt(1.0, Darker(kStone, 0.7));
    const double edge = std::max(1.0, l.wall / 4.0);
    if (l.wall > 1) {
        canvas.Fill(Rect(l.left, l.top, outerWidth - edge, innerHeight + l.wall - edge), stone);
    }
    // Deeper is darker: the well reads as a shaft rather than a box.
    QLinearGradient depth(QPointF(0, l.top), QPointF(0, l.top + innerHeight));
    depth.setColorAt(0.0, kInsideTop);
    depth.setColorAt(1.0, kInsideBottom);
    canvas.Fill(Rect(l.left + l.wall, l.top, innerWidth, innerHeight), depth);
}

// A block for small cells: flat colour, a light top-left and dark bottom-right edge.
void DrawPlainBlock(Canvas& canvas, int type, int x, int y, int cell) {
    const QColor base = StyleOfBlock(type).base;
    const double edge = cell >= 8 ? 2 : 1;
    canvas.Fill(Rect(x, y, cell, cell), Darker(base, 0.55));
    canvas.Fill(Rect(x, y, cell - edge, cell - edge), TowardsWhite(base, 0.55));
    canvas.Fill(Rect(x + edge, y + edge, cell - 2 * edge, cell - 2 * edge), base);
}

void DrawBlocks(Canvas& canvas, const IconLayout& l) {
    for (int row = 0; row < kWellRows; ++row) {
        for (int column = 0; column < kWellColumns; ++column) {
            const int type = kContents[std::size_t(row)][std::size_t(column)];
            if (type == 0) continue;
            const int x = l.left + l.wall + column * l.cell;
            const int y = l.top + row * l.cell;
            if (l.cell < kSmallestGem) {
                DrawPlainBlock(canvas, type, x, y, l.cell);
                continue;
            }
            const double scale = double(l.cell) / kCellSize;
            CanvasTransformScope place(canvas, QTransform(scale, 0, 0, scale, x, y));
            DrawBlock(canvas, type);
        }
    }
}

}  // namespace

void DrawIcon(Canvas& canvas, int size) {
    const IconLayout layout = LayoutFor(size);
    DrawWell(canvas, layout);
    DrawBlocks(canvas, layout);
}

}  // namespace kwadrill::art
