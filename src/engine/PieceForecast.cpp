#include "PieceForecast.h"

namespace kwadrill {

namespace {

int TypeSpan(int level) {
    int span = kInitialTypeSpan;
    for (const TypeSpanStep& step : kTypeSpanSteps) {
        if (level > step.levelAbove) span = step.span;
    }
    return span;
}

}  // namespace

std::uint8_t DrawBlockType(Random& random, int level) {
    const int span = TypeSpan(level);
    int value = random(span - 1);
    if (value > span / 2) value = random(span - 1);
    return static_cast<std::uint8_t>(value + 1);
}

SpawnDraw DrawSpawn(Random& random, int level) {
    SpawnDraw draw;
    draw.leftColumn = random(kSpawnColumns) + 1;
    for (std::uint8_t& type : draw.types) type = DrawBlockType(random, level);
    return draw;
}

// Gravity packs every column onto the floor and keeps its order, so a block
// ends as many rows above the floor as its column holds blocks below it.
std::array<int, kPieceBlocks> LandingRows(const Board& board, const FallingPiece& piece) {
    std::array<int, kPieceBlocks> rows{};
    for (int k = 0; k < kPieceBlocks; ++k) {
        const CellPosition& block = piece.blocks[k];
        rows[k] = block.row;
        if (block.column < 1 || block.column > kColumns || block.row < 1 || block.row > kRows) {
            continue;
        }
        int below = 0;
        for (int row = block.row + 1; row <= kRows; ++row) {
            if (board.At(block.column, row) != 0) ++below;
        }
        rows[k] = kRows - below;
    }
    return rows;
}

}  // namespace kwadrill
