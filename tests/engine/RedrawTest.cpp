#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "EngineRig.h"

namespace kwadrill::testing {
namespace {

struct RedrawCase {
    std::string operation;
    std::function<void(Engine&)> call;
    int expectedDraws;
};

// Only the operations that move blocks repaint the well; the search, the
// score, the level and the removal leave the picture to game control.
TEST(Redraw, OnlyGravitySpawnAndSteeringRedrawTheField) {
    const std::vector<RedrawCase> cases = {
        {"ClearField", [](Engine& e) { e.ClearField(); }, 0},
        {"TopRowOccupied", [](Engine& e) { e.TopRowOccupied(); }, 0},
        {"FieldSettled", [](Engine& e) { e.FieldSettled(); }, 0},
        {"GravityStep", [](Engine& e) { e.GravityStep(); }, 1},
        {"RandomBlockType", [](Engine& e) { e.RandomBlockType(); }, 0},
        {"SpawnPiece", [](Engine& e) { e.SpawnPiece(); }, 1},
        {"PieceCanMove", [](Engine& e) { e.PieceCanMove(); }, 0},
        {"RotatePiece", [](Engine& e) { e.RotatePiece(); }, 1},
        {"MovePieceLeft", [](Engine& e) { e.MovePieceLeft(); }, 1},
        {"MovePieceRight", [](Engine& e) { e.MovePieceRight(); }, 1},
        {"FindMatches", [](Engine& e) { e.FindMatches(); }, 0},
        {"ScoreMatches", [](Engine& e) { e.ScoreMatches(); }, 0},
        {"CheckLevelUp", [](Engine& e) { e.CheckLevelUp(800); }, 0},
        {"RemoveMarkedCells", [](Engine& e) { e.RemoveMarkedCells(); }, 0},
    };
    for (const RedrawCase& c : cases) {
        SCOPED_TRACE(c.operation);
        // Every operation has something to act on: a free piece, a line
        // with its marks, and a score past the next threshold.
        EngineRig rig;
        rig.engine.level = 1;
        rig.engine.score = 5000;
        rig.engine.board = BoardFromPicture({"222"});
        PlacePiece(rig.engine, {Cell(4, 5), Cell(5, 5), Cell(6, 5)}, {1, 2, 3});
        ASSERT_TRUE(rig.engine.FindMatches());
        ASSERT_TRUE(rig.engine.PieceCanMove());

        c.call(rig.engine);
        EXPECT_EQ(rig.draws, c.expectedDraws);
    }
}

}  // namespace
}  // namespace kwadrill::testing
