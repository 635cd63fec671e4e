#include "Engine.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "GameRules.h"
#include "LineFinder.h"
#include "PieceForecast.h"

namespace kwadrill {

namespace {

constexpr int kLeft = -1;
constexpr int kRight = 1;

bool SameCell(const CellPosition& block, int column, int row) {
    return block.column == column && block.row == row;
}

}  // namespace

Engine::Engine(Random& random, EngineFlags flags, DrawField drawField)
    : random_(random), flags_(flags), drawField_(std::move(drawField)) {}

void Engine::Redraw() {
    if (drawField_) drawField_(board);
}

// ---- Board and piece ----

void Engine::ClearField() {
    board.cells.fill(0);
}

bool Engine::TopRowOccupied() const {
    for (int column = 1; column <= kColumns; ++column) {
        if (board.At(column, 1) != 0) return true;
    }
    return false;
}

// Only the cell directly below holds a block up; the floor holds row 15.
bool Engine::FieldSettled() const {
    for (int column = 1; column <= kColumns; ++column) {
        for (int row = 1; row < kRows; ++row) {
            if (board.At(column, row) != 0 && board.At(column, row + 1) == 0) return false;
        }
    }
    return true;
}

// Each column is scanned from the floor up, so a block has already left its
// cell when the one above is looked at: a floating stack falls one row as a
// unit and keeps its shape, and nothing falls more than one row per step.
void Engine::GravityStep() {
    for (int column = 1; column <= kColumns; ++column) {
        for (int row = kRows - 1; row >= 1; --row) {
            if (board.At(column, row) == 0 || board.At(column, row + 1) != 0) continue;
            board.At(column, row + 1) = board.At(column, row);
            board.At(column, row) = 0;
            for (CellPosition& block : fallingPiece.blocks) {
                if (SameCell(block, column, row)) block.row = static_cast<std::uint8_t>(row + 1);
            }
        }
    }
    Redraw();
}

std::uint8_t Engine::RandomBlockType() {
    return DrawBlockType(random_, level);
}

// Called only on a settled board with a free top row, so the three cells are
// written without a test. Column first, then the types from left to right.
void Engine::SpawnPiece() {
    const SpawnDraw draw = DrawSpawn(random_, level);
    for (int k = 0; k < kPieceBlocks; ++k) {
        CellPosition& block = fallingPiece.blocks[k];
        block.column = static_cast<std::uint8_t>(draw.leftColumn + k);
        block.row = kSpawnRow;
        board.At(block.column, block.row) = draw.types[k];
    }
    Redraw();
}

// A copy of the generator draws what SpawnPiece would: exact as long as
// nothing else draws from the game's generator before the spawn.
SpawnDraw Engine::NextSpawn() const {
    Random copy = random_;
    return DrawSpawn(copy, level);
}

bool Engine::PieceOnBoard() const {
    return std::ranges::all_of(fallingPiece.blocks, [](const CellPosition& block) {
        return block.column >= 1 && block.column <= kColumns && block.row >= 1 &&
               block.row <= kRows;
    });
}

// Steering lasts while all three blocks are in free fall. Before the first
// spawn of the run the piece names no cell and cannot be steered.
bool Engine::PieceCanMove() const {
    if (flags_.matchPending || flags_.paused || !PieceOnBoard()) return false;
    return std::ranges::none_of(fallingPiece.blocks, [this](const CellPosition& block) {
        return block.row == kRows || board.At(block.column, block.row + 1) != 0;
    });
}

// (L, M, R) becomes (R, L, M). The cells may be empty: between games the
// piece still names the last game's cells on the cleared board.
void Engine::RotatePiece() {
    if (!PieceCanMove()) return;
    auto& [left, middle, right] = fallingPiece.blocks;
    const std::uint8_t kept = board.At(right.column, right.row);
    board.At(right.column, right.row) = board.At(middle.column, middle.row);
    board.At(middle.column, middle.row) = board.At(left.column, left.row);
    board.At(left.column, left.row) = kept;
    Redraw();
}

void Engine::MovePieceLeft() {
    ShiftPiece(kLeft);
}

void Engine::MovePieceRight() {
    ShiftPiece(kRight);
}

// A piece in play shares one row, so only the cell beside its leading block
// can be in the way. A piece left broken apart by its landing (its blocks
// destroyed since, its cells empty again) may span several rows: there each
// block's own target must be free, so no other block is ever overwritten.
bool Engine::ShiftFits(int columnStep) const {
    for (const CellPosition& block : fallingPiece.blocks) {
        const int targetColumn = block.column + columnStep;
        if (targetColumn < 1 || targetColumn > kColumns) return false;
        if (board.At(targetColumn, block.row) == 0) continue;
        const bool vacatedByPiece = std::ranges::any_of(
            fallingPiece.blocks,
            [&](const CellPosition& other) { return SameCell(other, targetColumn, block.row); });
        if (!vacatedByPiece) return false;
    }
    return true;
}

// The leading block moves first, so no block overwrites its neighbour.
void Engine::ShiftPiece(int columnStep) {
    if (!PieceCanMove() || !ShiftFits(columnStep)) return;
    for (int i = 0; i < kPieceBlocks; ++i) {
        CellPosition& block = fallingPiece.blocks[columnStep < 0 ? i : kPieceBlocks - 1 - i];
        const int targetColumn = block.column + columnStep;
        board.At(targetColumn, block.row) = board.At(block.column, block.row);
        board.At(block.column, block.row) = 0;
        block.column = static_cast<std::uint8_t>(targetColumn);
    }
    Redraw();
}

// ---- Lines, score and level ----

bool Engine::FindMatches() {
    return LineFinder::MarkLines(board, matchMask);
}

// Every marked cell counts on its own: no bonus for long lines or chains.
void Engine::ScoreMatches() {
    std::int64_t points = 0;
    for (int index = 0; index < kCellCount; ++index) {
        if (matchMask.cells[index] == 0) continue;
        points += kPointsPerBlockType * board.cells[index] + kPointsPerLevel * level;
    }
    // The score stops at the largest value it can hold instead of wrapping.
    score = static_cast<std::int32_t>(
        std::min<std::int64_t>(score + points, std::numeric_limits<std::int32_t>::max()));
}

// One level per call, even when the score has passed several thresholds.
std::optional<int> Engine::CheckLevelUp(int fallIntervalMs) {
    const std::int64_t threshold = kLevelThresholdFactor * level * level;
    if (!(threshold < score)) return std::nullopt;
    ++level;
    return std::max(kMinIntervalMs, fallIntervalMs - kIntervalStepMs);
}

// The marks stay: the next search clears them.
void Engine::RemoveMarkedCells() {
    for (int index = 0; index < kCellCount; ++index) {
        if (matchMask.cells[index] != 0) board.cells[index] = 0;
    }
}

}  // namespace kwadrill
