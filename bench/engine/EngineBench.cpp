// Speed of the rules alone: the line search, one gravity step, and whole
// games played headless by a random player.
#include <cstdint>

#include <benchmark/benchmark.h>

#include "Engine.h"

namespace kwadrill {
namespace {

constexpr std::uint32_t kSeed = 1234;
constexpr int kStartIntervalMs = 800;

// An engine with quiet collaborators, as game control would hold it.
struct HeadlessEngine {
    Random random{kSeed};
    bool matchPending = false;
    bool paused = false;
    int fallIntervalMs = kStartIntervalMs;
    Engine engine{random, EngineFlags{matchPending, paused}, [](const Board&) {}};
};

Board FullRandomBoard() {
    Random random(kSeed);
    Board board;
    for (std::uint8_t& cell : board.cells) cell = static_cast<std::uint8_t>(random(7) + 1);
    return board;
}

void BM_FindMatchesFullBoard(benchmark::State& state) {
    HeadlessEngine rig;
    rig.engine.board = FullRandomBoard();
    for (auto _ : state) {
        benchmark::DoNotOptimize(rig.engine.FindMatches());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kCellCount);
}
BENCHMARK(BM_FindMatchesFullBoard);

// The upper half of the well floats over an empty lower half; every step
// starts from that board again (a 135-byte copy).
void BM_GravityStepFloatingBlocks(benchmark::State& state) {
    HeadlessEngine rig;
    Board floating = FullRandomBoard();
    for (int column = 1; column <= kColumns; ++column) {
        for (int row = kRows / 2 + 1; row <= kRows; ++row) floating.At(column, row) = 0;
    }
    for (auto _ : state) {
        rig.engine.board = floating;
        rig.engine.GravityStep();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kCellCount);
}
BENCHMARK(BM_GravityStepFloatingBlocks);

// Plays one game the way the main and fast ticks drive the engine, with a
// player who shifts or cycles the piece at random; returns the pieces spawned.
class HeadlessGame {
public:
    int Play() {
        Engine& engine = rig_.engine;
        engine.ClearField();
        engine.score = 0;
        engine.level = 1;
        rig_.fallIntervalMs = kStartIntervalMs;
        int pieces = 0;
        for (;;) {
            if (!engine.FieldSettled()) {
                Steer();
                engine.GravityStep();
            } else if (!SearchAndDestroy()) {
                if (engine.TopRowOccupied()) return pieces;
                engine.SpawnPiece();
                ++pieces;
            }
        }
    }

private:
    void Steer() {
        Engine& engine = rig_.engine;
        if (!engine.PieceCanMove()) return;
        switch (player_(4)) {
            case 0:
                engine.MovePieceLeft();
                break;
            case 1:
                engine.MovePieceRight();
                break;
            case 2:
                engine.RotatePiece();
                break;
            default:
                break;
        }
    }

    bool SearchAndDestroy() {
        Engine& engine = rig_.engine;
        rig_.matchPending = true;
        const bool found = engine.FindMatches();
        if (found) {
            engine.ScoreMatches();
            if (const auto faster = engine.CheckLevelUp(rig_.fallIntervalMs)) {
                rig_.fallIntervalMs = *faster;
            }
            engine.RemoveMarkedCells();
            rig_.matchPending = false;
            while (!engine.FieldSettled()) engine.GravityStep();
        }
        rig_.matchPending = false;
        return found;
    }

    HeadlessEngine rig_;
    Random player_{kSeed + 1};
};

void BM_HeadlessGames(benchmark::State& state) {
    HeadlessGame game;
    std::int64_t pieces = 0;
    for (auto _ : state) pieces += game.Play();
    state.counters["games"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["pieces"] =
        benchmark::Counter(static_cast<double>(pieces), benchmark::Counter::kIsRate);
    state.counters["pieces_per_game"] =
        benchmark::Counter(static_cast<double>(pieces) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_HeadlessGames)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kwadrill

BENCHMARK_MAIN();
