#pragma once

#include <cstdint>
#include <functional>

#include "Board.h"
#include "LevelTimer.h"
#include "Random.h"

namespace kwadrill {

// Flags owned by game control that the engine reads.
struct EngineFlags {
    const bool& matchPending;
    const bool& paused;
};

// The board, the piece in play, gravity, line detection, scoring and levels.
// Operations that change the picture end by calling the drawField callback.
class Engine {
public:
    Engine(Random& random, EngineFlags flags, LevelTimer& mainTimer,
           std::function<void()> drawField);

    // Board and piece
    void ClearField();
    bool TopRowOccupied() const;
    bool FieldSettled() const;
    void GravityStep();
    std::uint8_t RandomBlockType();
    void SpawnPiece();
    bool PieceCanMove() const;
    void RotatePiece();
    void MovePieceLeft();
    void MovePieceRight();

    // Lines, score and level
    bool FindMatches();
    void ScoreMatches();
    void CheckLevelUp();
    void RemoveMarkedCells();

    Board board;
    MatchMask matchMask;
    FallingPiece fallingPiece;
    std::int32_t score = 0;
    std::int32_t level = 0;

private:
    bool PieceOnBoard() const;
    bool ShiftFits(int columnStep) const;
    void ShiftPiece(int columnStep);
    int TypeSpan() const;
    void Redraw();

    Random& random_;
    EngineFlags flags_;
    LevelTimer& mainTimer_;
    std::function<void()> drawField_;
};

}  // namespace kwadrill
