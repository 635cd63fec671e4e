#pragma once

#include <array>
#include <cstdint>

namespace kwadrill {

inline constexpr int kColumns = 9;
inline constexpr int kRows = 15;
inline constexpr int kCellCount = kColumns * kRows;

// A 9 x 15 grid of bytes, stored column by column (column 1 top to bottom,
// then column 2 ...). Columns and rows are 1-based; row 1 is the top.
struct CellGrid {
    std::array<std::uint8_t, kCellCount> cells{};

    static constexpr int Index(int column, int row) { return (column - 1) * kRows + (row - 1); }
    std::uint8_t& At(int column, int row) { return cells[Index(column, row)]; }
    std::uint8_t At(int column, int row) const { return cells[Index(column, row)]; }
    bool operator==(const CellGrid&) const = default;
};

// The well: 0 is empty, 1..7 a block type (also the cell's picture index).
struct Board : CellGrid {};

// 1 marks a cell of a found line.
struct MatchMask : CellGrid {};

struct CellPosition {
    std::uint8_t column = 0;
    std::uint8_t row = 0;
    bool operator==(const CellPosition&) const = default;
};

// The three blocks of the piece in play, left block first. All zero before
// the first piece of the run; kept after landing until the next spawn.
struct FallingPiece {
    std::array<CellPosition, 3> blocks{};
    bool operator==(const FallingPiece&) const = default;
};

}  // namespace kwadrill
