#include "LineFinder.h"

#include <algorithm>
#include <array>

namespace kwadrill {

namespace {

struct Direction {
    int columnStep;
    int rowStep;
};

// Horizontal, vertical, falling to the right, rising to the right.
constexpr std::array<Direction, 4> kDirections{{{1, 0}, {0, 1}, {1, 1}, {1, -1}}};

constexpr bool OnBoard(int column, int row) {
    return column >= 1 && column <= kColumns && row >= 1 && row <= kRows;
}

}  // namespace

bool LineFinder::MarkLines(const Board& board, MatchMask& mask) {
    mask.cells.fill(0);
    for (int column = 1; column <= kColumns; ++column) {
        for (int row = 1; row <= kRows; ++row) {
            if (board.At(column, row) != 0) MarkRunsThrough(board, column, row, mask);
        }
    }
    return std::ranges::any_of(mask.cells, [](std::uint8_t mark) { return mark != 0; });
}

// Each cell is tried as the middle of a run of three in every direction, so a
// longer run is marked whole through its inner cells.
void LineFinder::MarkRunsThrough(const Board& board, int column, int row, MatchMask& mask) {
    const std::uint8_t type = board.At(column, row);
    for (const Direction& d : kDirections) {
        const int beforeColumn = column - d.columnStep;
        const int beforeRow = row - d.rowStep;
        const int afterColumn = column + d.columnStep;
        const int afterRow = row + d.rowStep;
        if (!OnBoard(beforeColumn, beforeRow) || !OnBoard(afterColumn, afterRow)) continue;
        if (board.At(beforeColumn, beforeRow) != type || board.At(afterColumn, afterRow) != type) {
            continue;
        }
        mask.At(beforeColumn, beforeRow) = 1;
        mask.At(column, row) = 1;
        mask.At(afterColumn, afterRow) = 1;
    }
}

}  // namespace kwadrill
