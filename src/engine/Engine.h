#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "Board.h"
#include "PieceForecast.h"
#include "Random.h"

namespace kwadrill {

// Flags owned by game control that the engine reads.
struct EngineFlags {
    const bool& matchPending;
    const bool& paused;
};

// The board, the piece in play, gravity, line detection, scoring and levels.
// Operations that change the picture end by handing the board to drawField.
class Engine {
public:
    using DrawField = std::function<void(const Board&)>;

    Engine(Random& random, EngineFlags flags, DrawField drawField);

    // Board and piece
    void ClearField();
    bool TopRowOccupied() const;
    bool FieldSettled() const;
    void GravityStep();
    std::uint8_t RandomBlockType();
    void SpawnPiece();
    // The piece the next SpawnPiece places unless something else draws from
    // the generator first; draws nothing itself.
    SpawnDraw NextSpawn() const;
    bool PieceCanMove() const;
    void RotatePiece();
    void MovePieceLeft();
    void MovePieceRight();

    // Lines, score and level
    bool FindMatches();
    void ScoreMatches();
    // One level up when the score has passed the level's threshold: then the
    // fall interval that follows fallIntervalMs, else nothing.
    std::optional<int> CheckLevelUp(int fallIntervalMs);
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
    void Redraw();

    Random& random_;
    EngineFlags flags_;
    DrawField drawField_;
};

}  // namespace kwadrill
