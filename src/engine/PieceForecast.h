#pragma once

#include <array>
#include <cstdint>

#include "Board.h"
#include "GameRules.h"
#include "Random.h"

namespace kwadrill {

// The block types of a piece, left to right.
using PieceTypes = std::array<std::uint8_t, kPieceBlocks>;

// What a new piece takes from the generator: its left column, then its
// types from left to right.
struct SpawnDraw {
    int leftColumn = 0;
    PieceTypes types{};
    bool operator==(const SpawnDraw&) const = default;
};

// A random block type allowed at level.
std::uint8_t DrawBlockType(Random& random, int level);

// Draws a new piece the one way the game does. Handed a copy of the game's
// generator, it tells which piece the next spawn places, drawing nothing
// from the game's own.
SpawnDraw DrawSpawn(Random& random, int level);

// The rows in which the blocks of the piece come to rest (left block first)
// when the board is left to fall. Columns fall on their own, so a block ends
// on top of whatever its column holds below it: the blocks of one piece may
// come to rest at different heights. A block off the board keeps its row.
std::array<int, kPieceBlocks> LandingRows(const Board& board, const FallingPiece& piece);

}  // namespace kwadrill
