#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Engine.h"

namespace kwadrill::testing {

// An engine with its collaborators; drawField only counts its calls.
struct EngineRig {
    explicit EngineRig(std::uint32_t seed = 20240601) : random(seed) {}

    Random random;
    bool matchPending = false;
    bool paused = false;
    int draws = 0;
    Board drawn{};  // the board the last redraw was handed
    Engine engine{random, EngineFlags{matchPending, paused}, [this](const Board& board) {
                      ++draws;
                      drawn = board;
                  }};
};

// Pictures of a grid, one string per row, top row first. Unless a first row
// is given, a picture stands on the floor: its last string is row 15. '.' is
// an empty cell, '1'..'7' a block type; in a mask, 'x' is a mark.
inline Board BoardFromPicture(const std::vector<std::string_view>& rows, int firstRow = 0) {
    Board board;
    if (firstRow == 0) firstRow = kRows - static_cast<int>(rows.size()) + 1;
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        for (int column = 1; column <= static_cast<int>(rows[i].size()); ++column) {
            const char cell = rows[i][column - 1];
            board.At(column, firstRow + i) =
                cell == '.' ? 0 : static_cast<std::uint8_t>(cell - '0');
        }
    }
    return board;
}

inline std::string PictureOf(const CellGrid& grid, bool asMask = false) {
    std::string picture;
    for (int row = 1; row <= kRows; ++row) {
        for (int column = 1; column <= kColumns; ++column) {
            const std::uint8_t value = grid.At(column, row);
            if (value == 0) {
                picture += '.';
            } else {
                picture += asMask ? 'x' : static_cast<char>('0' + value);
            }
        }
        picture += '\n';
    }
    return picture;
}

inline std::string MaskPicture(const std::vector<std::string_view>& rows, int firstRow = 0) {
    std::vector<std::string> digits(rows.begin(), rows.end());
    for (std::string& row : digits) std::ranges::replace(row, 'x', '1');
    return PictureOf(BoardFromPicture({digits.begin(), digits.end()}, firstRow), true);
}

inline int BlockCount(const Board& board) {
    return static_cast<int>(
        std::ranges::count_if(board.cells, [](std::uint8_t v) { return v != 0; }));
}

// Puts the three blocks of a piece on the board and makes them the piece in play.
inline void PlacePiece(Engine& engine, const std::array<CellPosition, 3>& cells,
                       const std::array<int, 3>& types) {
    for (int k = 0; k < 3; ++k) {
        engine.fallingPiece.blocks[k] = cells[k];
        engine.board.At(cells[k].column, cells[k].row) = static_cast<std::uint8_t>(types[k]);
    }
}

inline CellPosition Cell(int column, int row) {
    return {static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(row)};
}

}  // namespace kwadrill::testing
