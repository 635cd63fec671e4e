#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "EngineRig.h"

namespace kwadrill::testing {
namespace {

// ---- Line finding ----

struct LineCase {
    std::string name;
    Board board;
    std::string expectedMask;
};

Board BlocksAt(const std::vector<std::pair<CellPosition, int>>& blocks) {
    Board board;
    for (const auto& [cell, type] : blocks)
        board.At(cell.column, cell.row) = static_cast<std::uint8_t>(type);
    return board;
}

TEST(LineFinding, MarksEveryRunOfThreeOrMoreInAllFourDirections) {
    const std::vector<LineCase> cases = {
        {"horizontal run in the bottom row", BoardFromPicture({"4", "222"}),
         MaskPicture({".", "xxx"})},
        {"vertical run in the right column",
         BoardFromPicture({"........1", "........1", "........1"}),
         MaskPicture({"........x", "........x", "........x"})},
        {"horizontal run in the top row", BoardFromPicture({"......444"}, 1),
         MaskPicture({"......xxx"}, 1)},
        {"vertical run in the left column from the top", BoardFromPicture({"5", "5", "5"}, 1),
         MaskPicture({"x", "x", "x"}, 1)},
        {"diagonal falling to the right", BoardFromPicture({"6..", ".6.", "..6"}),
         MaskPicture({"x..", ".x.", "..x"})},
        {"diagonal rising to the right", BoardFromPicture({"........7", ".......7.", "......7.."}),
         MaskPicture({"........x", ".......x.", "......x.."})},
        {"run of four on a diagonal is marked whole",
         BoardFromPicture({"4..2", ".4..", "..4.", "3..4"}),
         MaskPicture({"x...", ".x..", "..x.", "...x"})},
        {"run of five in a row is marked whole", BoardFromPicture({"1333331"}),
         MaskPicture({".xxxxx."})},
        {"plus sign marks its shared middle once", BoardFromPicture({".3.", "333", ".3."}),
         MaskPicture({".x.", "xxx", ".x."})},
        {"crossing diagonals", BoardFromPicture({"2.2", ".2.", "2.2"}),
         MaskPicture({"x.x", ".x.", "x.x"})},
        {"two lines of different types side by side",
         BoardFromPicture({"111.", ".2..", ".2..", ".2.."}),
         MaskPicture({"xxx.", ".x..", ".x..", ".x.."})},
        {"an empty cell breaks a run", BoardFromPicture({"2.2", "2.2"}), MaskPicture({})},
        {"another type between the second and third",
         BoardFromPicture({"1121", "3", "3", "4", "3"}), MaskPicture({})},
        {"diagonal ending on another type", BoardFromPicture({"5..", ".5.", "..6"}),
         MaskPicture({})},
        {"square of four", BoardFromPicture({"77", "77"}), MaskPicture({})},
        // Cells next to each other in storage but not on the board.
        {"bottom of one column and top of the next",
         BlocksAt({{Cell(1, 14), 6}, {Cell(1, 15), 6}, {Cell(2, 1), 6}}), MaskPicture({})},
        {"empty board", Board{}, MaskPicture({})},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        rig.engine.board = c.board;
        rig.engine.matchMask.cells.fill(1);  // a stale search must not show through
        const bool found = rig.engine.FindMatches();
        EXPECT_EQ(PictureOf(rig.engine.matchMask, true), c.expectedMask);
        EXPECT_EQ(found, c.expectedMask.find('x') != std::string::npos);
        EXPECT_EQ(rig.engine.board, c.board);
    }
}

// ---- Scoring ----

struct ScoreCase {
    std::string name;
    int level;
    Board board;
    int points;
};

TEST(Scoring, EveryMarkedCellCountsTenPerTypeAndElevenPerLevel) {
    const std::vector<ScoreCase> cases = {
        {"three twos in a row at level 1", 1, BoardFromPicture({"222", "45."}), 93},
        {"three ones in a column at level 1", 1, BoardFromPicture({"1", "1", "1"}), 63},
        {"four fours on a diagonal at level 2", 2,
         BoardFromPicture({"4...", ".4..", "..4.", "...4"}), 248},
        {"plus sign of threes at level 1", 1, BoardFromPicture({".3.", "333", ".3."}), 205},
        {"three sevens at level 10", 10, BoardFromPicture({"777"}), 3 * (70 + 110)},
        {"no line scores nothing", 5, BoardFromPicture({"12", "21"}), 0},
    };
    for (const ScoreCase& c : cases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        rig.engine.level = c.level;
        rig.engine.score = 500;
        rig.engine.board = c.board;
        rig.engine.FindMatches();
        rig.engine.ScoreMatches();
        EXPECT_EQ(rig.engine.score, 500 + c.points);
        EXPECT_EQ(rig.engine.level, c.level);
    }
}

TEST(Scoring, ScoreStopsAtItsLargestValueInsteadOfWrapping) {
    EngineRig rig;
    rig.engine.level = 1;
    rig.engine.score = std::numeric_limits<std::int32_t>::max() - 10;
    rig.engine.board = BoardFromPicture({"777"});
    rig.engine.FindMatches();
    rig.engine.ScoreMatches();
    EXPECT_EQ(rig.engine.score, std::numeric_limits<std::int32_t>::max());
}

// ---- Levels ----

struct LevelCase {
    std::string name;
    int level;
    int score;
    int interval;
    int expectedLevel;
    int expectedInterval;
};

TEST(Levels, LevelRisesOnlyWhenScoreExceedsAThousandTimesLevelSquared) {
    const std::vector<LevelCase> cases = {
        {"level 1 at exactly 1000", 1, 1000, 800, 1, 800},
        {"level 1 above 1000", 1, 1001, 800, 2, 765},
        {"level 2 at exactly 4000", 2, 4000, 765, 2, 765},
        {"level 2 above 4000", 2, 4001, 765, 3, 730},
        {"level 3 at exactly 9000", 3, 9000, 730, 3, 730},
        {"level 3 above 9000", 3, 9001, 730, 4, 695},
        {"several thresholds passed: one level only", 1, 50000, 800, 2, 765},
        {"interval 86 drops to 51", 5, 1'000'000, 86, 6, 51},
        {"interval 70 stops at the 50 ms floor", 22, 1'000'000, 70, 23, 50},
        {"interval 50 stays at 50", 30, 1'000'000, 50, 31, 50},
        {"huge level does not overflow the threshold", 50000, 2'000'000'000, 50, 50000, 50},
    };
    for (const LevelCase& c : cases) {
        SCOPED_TRACE(c.name);
        EngineRig rig;
        rig.engine.level = c.level;
        rig.engine.score = c.score;
        const std::optional<int> interval = rig.engine.CheckLevelUp(c.interval);
        EXPECT_EQ(rig.engine.level, c.expectedLevel);
        EXPECT_EQ(interval.has_value(), c.expectedLevel > c.level);
        EXPECT_EQ(interval.value_or(c.interval), c.expectedInterval);
        EXPECT_EQ(rig.engine.score, c.score);
    }
}

TEST(Levels, EachCallGainsOneLevelUntilTheScoreIsBelowTheNextThreshold) {
    EngineRig rig;
    rig.engine.level = 1;
    rig.engine.score = 50000;  // above 1000 * L * L up to L = 7
    int interval = 800;
    for (int expected = 2; expected <= 8; ++expected) {
        const std::optional<int> faster = rig.engine.CheckLevelUp(interval);
        EXPECT_EQ(rig.engine.level, expected);
        ASSERT_TRUE(faster.has_value());
        interval = *faster;
    }
    EXPECT_FALSE(rig.engine.CheckLevelUp(interval).has_value());
    EXPECT_EQ(rig.engine.level, 8);
    EXPECT_EQ(interval, 800 - 7 * 35);
}

TEST(Levels, AWaveIsScoredAtTheOldLevelBeforeTheLevelRises) {
    struct Wave {
        int scoreBefore;
        int expectedScore;
        int expectedLevel;
    };
    for (const Wave& w : {Wave{990, 1053, 2}, Wave{937, 1000, 1}}) {
        SCOPED_TRACE(w.scoreBefore);
        EngineRig rig;
        rig.engine.level = 1;
        rig.engine.score = w.scoreBefore;
        rig.engine.board = BoardFromPicture({"1", "1", "1"});
        ASSERT_TRUE(rig.engine.FindMatches());
        rig.engine.ScoreMatches();
        rig.engine.CheckLevelUp(800);
        EXPECT_EQ(rig.engine.score, w.expectedScore);
        EXPECT_EQ(rig.engine.level, w.expectedLevel);
    }
}

// ---- Removal ----

TEST(Removal, MarkedCellsAreEmptiedAndTheMarksStayUntilTheNextSearch) {
    EngineRig rig;
    rig.engine.board = BoardFromPicture({"5....", "4.6..", "333.2", "1.2.1"});
    ASSERT_TRUE(rig.engine.FindMatches());
    const MatchMask marks = rig.engine.matchMask;

    rig.engine.RemoveMarkedCells();
    EXPECT_EQ(PictureOf(rig.engine.board),
              PictureOf(BoardFromPicture({"5....", "4.6..", "....2", "1.2.1"})));
    EXPECT_EQ(rig.engine.matchMask, marks);
    EXPECT_EQ(rig.draws, 0);

    EXPECT_FALSE(rig.engine.FindMatches());
    EXPECT_EQ(PictureOf(rig.engine.matchMask, true), MaskPicture({}));
}

}  // namespace
}  // namespace kwadrill::testing
