#include "ScriptedPlayer.h"

#include <QDateTime>

#include <array>
#include <utility>

#include "GameRules.h"
#include "LineFinder.h"

namespace kwadrill::test {

namespace {

struct Placement {
    int turns = 0;
    int column = 1;  // of the left block
};

// (L, M, R) turned once is (R, L, M), as the up key turns it.
PieceTypes Turned(PieceTypes types, int turns) {
    for (int t = 0; t < turns; ++t) types = {types[2], types[0], types[1]};
    return types;
}

// The turn and column where the piece, dropped, completes the most blocks,
// lowest first; ties go to the script.
Placement AimForLines(const Engine& engine, std::mt19937& script) {
    const FallingPiece& piece = engine.fallingPiece;
    PieceTypes types{};
    Board rest = engine.board;
    for (int k = 0; k < kPieceBlocks; ++k) {
        const CellPosition& block = piece.blocks[static_cast<std::size_t>(k)];
        types[static_cast<std::size_t>(k)] = rest.At(block.column, block.row);
        rest.At(block.column, block.row) = 0;
    }
    const int row = piece.blocks[0].row;
    Placement best;
    long bestValue = -1;
    for (int turns = 0; turns < kPieceBlocks; ++turns) {
        const PieceTypes turned = Turned(types, turns);
        for (int column = 1; column <= kSpawnColumns; ++column) {
            Board landed = rest;
            long value = 0;
            for (int k = 0; k < kPieceBlocks; ++k) {
                int r = row;
                while (r < kRows && landed.At(column + k, r + 1) == 0) ++r;
                landed.At(column + k, r) = turned[static_cast<std::size_t>(k)];
                value += r;  // lower is better
            }
            MatchMask mask;
            LineFinder::MarkLines(landed, mask);
            for (std::uint8_t marked : mask.cells) value += marked * 100;
            value = value * 8 + std::uniform_int_distribution<int>(0, 7)(script);
            if (value > bestValue) {
                bestValue = value;
                best = {turns, column};
            }
        }
    }
    return best;
}

}  // namespace

ScriptedGame::ScriptedGame(std::uint64_t gameSeed, std::uint32_t scriptSeed, PlayStyle style)
    : style_(style),
      script_(scriptSeed),
      view_(std::make_unique<NoView>()),
      looks_(scriptSeed),
      controller_(
          flags_, *view_, sound_, music_, state_, looks_,
          [] { return QDateTime(QDate(2025, 6, 1), QTime(12, 0)); }, CountingSeeds(gameSeed)) {}

ScriptedGame::~ScriptedGame() = default;

bool ScriptedGame::Play(long maxSteps) {
    controller_.SpeedButton1Click();
    for (long step = 0; step < maxSteps && flags_.gameRunning; ++step) Step();
    return !flags_.gameRunning;
}

void ScriptedGame::Step() {
    const int roll = Percent();
    const int fastTicks = style_.mainTickPercent + 35;
    if (roll < style_.mainTickPercent) {
        const bool searches = !flags_.paused && !flags_.collapsing && flags_.dropDelayTicks == 0 &&
                              controller_.engine().FieldSettled();
        controller_.Timer1Timer();
        if (searches && flags_.collapsing) ++lineWaves_;
    } else if (roll < fastTicks) {
        controller_.Timer2Timer();
    } else if (roll < fastTicks + 15) {
        controller_.Timer3Timer();
    } else if (roll < fastTicks + 15 + style_.pausePercent) {
        pauses_ += flags_.paused ? 0 : 1;
        controller_.SpeedButton2Click();
    } else if (style_.togglesSound && roll == 99) {
        sound_.on = !sound_.on;
    } else {
        PressKey();
    }
}

// Aiming: once per piece, when it can first be steered, the placement is
// chosen; then one key per press towards it, and the drop. One press in ten
// is any key at all.
void ScriptedGame::PressKey() {
    static constexpr std::array kKeys{Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down};
    const Engine& engine = controller_.engine();
    if (style_.onlyDrops) {
        controller_.FormKeyDown(Qt::Key_Down);
        return;
    }
    if (!style_.aimsForLines || Percent() < 10) {
        // Drops are rarer, so that a piece is steered for a while first.
        const int key = Percent() < 10 ? Qt::Key_Down : kKeys[Percent() % 3];
        controller_.FormKeyDown(key);
        return;
    }
    if (engine.PieceCanMove() && !flags_.collapsing && plannedPiece_ != controller_.PiecesDealt()) {
        plannedPiece_ = controller_.PiecesDealt();
        const Placement placement = AimForLines(engine, script_);
        turnsLeft_ = placement.turns;
        targetColumn_ = placement.column;
    }
    const int column = engine.fallingPiece.blocks[0].column;
    if (turnsLeft_ > 0) {
        if (engine.PieceCanMove() && !flags_.collapsing && !flags_.paused) --turnsLeft_;
        controller_.FormKeyDown(Qt::Key_Up);
    } else if (column > targetColumn_) {
        controller_.FormKeyDown(Qt::Key_Left);
    } else if (column < targetColumn_) {
        controller_.FormKeyDown(Qt::Key_Right);
    } else {
        controller_.FormKeyDown(Qt::Key_Down);
    }
}

}  // namespace kwadrill::test
