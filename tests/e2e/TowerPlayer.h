#pragma once

#include <QStringList>

#include <array>
#include <optional>

#include "GameWindowDriver.h"

// A player who loses fast, on purpose, with a score that enters the table:
// while the score is 0 a piece goes where it completes a line, afterwards
// onto a stack at the left wall, turned and placed so that it completes
// none, until the stack reaches the top row. Plans from the well as read off
// the screen.
class TowerPlayer {
public:
    using Cells = GameWindowDriver::Cells;

    struct Piece {
        int column = 0;  // 0-based column of the left block
        int row = 0;     // 0-based row
        std::array<int, 3> types{};
        friend bool operator==(const Piece&, const Piece&) = default;
    };

    struct Move {
        int turns = 0;  // presses of Up
        int shift = 0;  // columns to the right (negative: to the left)
        bool completesLine = false;
        Piece landingPiece;  // the piece after the turns and the shift
    };

    // A piece of three blocks side by side in the top rows with nothing
    // under any of them: the piece in play, still free to be steered.
    static std::optional<Piece> FindFallingPiece(const Cells& cells);

    static Move Plan(const Cells& cells, const Piece& piece, bool wantLine);
    // The keys of a move, ending in the drop.
    static QStringList Keys(const Move& move);
};
