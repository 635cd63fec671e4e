#include <array>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "EngineRig.h"
#include "PieceForecast.h"

namespace kwadrill::testing {
namespace {

using Picture = std::vector<std::string_view>;

// ---- The next piece ----

// Each level range draws its types with its own span, and a type may take
// one draw or two: the forecast follows whatever the spawn takes.
TEST(NextSpawn, IsThePieceTheNextSpawnPlacesAtEveryLevel) {
    for (const int level : {1, 4, 6, 9, 30}) {
        SCOPED_TRACE("level " + std::to_string(level));
        EngineRig rig(77 + static_cast<std::uint32_t>(level));
        rig.engine.level = level;
        for (int spawn = 0; spawn < 200; ++spawn) {
            const SpawnDraw forecast = rig.engine.NextSpawn();
            rig.engine.ClearField();
            rig.engine.SpawnPiece();
            for (int k = 0; k < 3; ++k) {
                const CellPosition& block = rig.engine.fallingPiece.blocks[k];
                ASSERT_EQ(block, Cell(forecast.leftColumn + k, 1)) << "spawn " << spawn;
                ASSERT_EQ(rig.engine.board.At(block.column, block.row), forecast.types[k])
                    << "spawn " << spawn;
            }
            rig.random(1 + spawn % 9);  // other draws between spawns move the forecast along
        }
    }
}

TEST(NextSpawn, DrawsNothingFromTheGame) {
    EngineRig rig(5);
    Random twin(5);
    rig.engine.level = 9;
    for (int i = 0; i < 20; ++i) {
        rig.engine.NextSpawn();
        ASSERT_EQ(rig.random(1000), twin(1000)) << i;
    }
}

// ---- Landing rows ----

// Lets the board fall until it has settled, as the main tick does, and
// answers where the piece's blocks came to rest.
std::array<int, 3> PlayedDown(Engine& engine) {
    for (int step = 0; step < kRows && !engine.FieldSettled(); ++step) engine.GravityStep();
    EXPECT_TRUE(engine.FieldSettled());
    std::array<int, 3> rows{};
    for (int k = 0; k < 3; ++k) rows[k] = engine.fallingPiece.blocks[k].row;
    return rows;
}

struct LandingCase {
    std::string name;
    Picture ground;  // stands on the floor
    int pieceColumn;
    int pieceRow;
    std::array<int, 3> rows;
};

TEST(LandingRows, AreWhereTheBlocksComeToRest) {
    const std::vector<LandingCase> cases = {
        {"empty well", {}, 1, 1, {15, 15, 15}},
        {"flat ground", {"123456712"}, 4, 3, {14, 14, 14}},
        // The middle block lands first; the outer ones fall on past it.
        {"uneven ground breaks the piece apart", {".2.", ".3.", "131"}, 1, 2, {14, 12, 14}},
        {"a step under each block", {"..4", ".24", "124"}, 1, 1, {14, 13, 12}},
        // Blocks still hanging below fall too, so the column packs down.
        {"a hanging block below", {".5.", "...", "..."}, 1, 5, {15, 14, 15}},
        {"already resting", {"333"}, 1, 14, {14, 14, 14}},
    };
    for (const LandingCase& c : cases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        rig.engine.board = BoardFromPicture(c.ground);
        PlacePiece(rig.engine,
                   {Cell(c.pieceColumn, c.pieceRow), Cell(c.pieceColumn + 1, c.pieceRow),
                    Cell(c.pieceColumn + 2, c.pieceRow)},
                   {6, 7, 6});
        const std::array<int, 3> rows = LandingRows(rig.engine.board, rig.engine.fallingPiece);
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(PlayedDown(rig.engine), rows);
    }
}

// Random wells, settled or not, with the piece anywhere above their blocks.
TEST(LandingRows, MatchTheFallOnRandomWells) {
    Random random(2024);
    for (int trial = 0; trial < 300; ++trial) {
        EngineRig rig;
        Board& board = rig.engine.board;
        for (std::uint8_t& cell : board.cells) {
            cell = random(3) == 0 ? static_cast<std::uint8_t>(random(7) + 1) : 0;
        }
        const int column = random(7) + 1;
        const int row = random(kRows) + 1;
        PlacePiece(rig.engine, {Cell(column, row), Cell(column + 1, row), Cell(column + 2, row)},
                   {1, 2, 3});
        const Board before = board;
        const std::array<int, 3> rows = LandingRows(board, rig.engine.fallingPiece);
        ASSERT_EQ(board, before) << "a pure function";
        ASSERT_EQ(PlayedDown(rig.engine), rows) << "trial " << trial;
    }
}

TEST(LandingRows, LeaveABlockOffTheBoardWhereItIs) {
    const FallingPiece none{};  // before the first spawn of the run
    EXPECT_EQ(LandingRows(Board{}, none), (std::array<int, 3>{0, 0, 0}));
}

}  // namespace
}  // namespace kwadrill::testing
