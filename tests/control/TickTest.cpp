#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "ControlFixture.h"

namespace kwadrill::testing {
namespace {

std::string Frame(int index, int column, int row) {
    return "DrawCellImage Destruction " + std::to_string(index) + " " + std::to_string(column) +
           " " + std::to_string(row);
}

int BlocksInRow(const Board& board, int row) {
    int count = 0;
    for (int column = 1; column <= kColumns; ++column) {
        count += board.At(column, row) != 0 ? 1 : 0;
    }
    return count;
}

TEST(GameTimerTest, TimersStartWithTheirIntervalsAndOnlyTheSoundDelayRunning) {
    CallLog log;
    FakeGameView view{log};
    FakeSoundEffects sound{log};
    FakeMusicControl music{log};
    GameFlags flags;
    PersistentState state;
    Random random;
    GameController controller{flags, view, sound, music, state, random, SystemLocalTime};

    EXPECT_EQ(controller.timer1().Interval(), 1000);
    EXPECT_EQ(controller.timer2().Interval(), 50);
    EXPECT_EQ(controller.timer3().Interval(), 50);
    EXPECT_FALSE(controller.timer1().Enabled());
    EXPECT_FALSE(controller.timer2().Enabled());
    EXPECT_TRUE(controller.timer3().Enabled());

    controller.EnableTimers();
    EXPECT_TRUE(controller.timer1().Enabled());
    EXPECT_TRUE(controller.timer2().Enabled());
    controller.SpeedButton1Click();
    EXPECT_EQ(controller.timer1().Interval(), 800);
    EXPECT_TRUE(controller.timer1().Enabled());
}

TEST_F(ControlTest, LineCycleRunsElevenFramesThenRemovesDropsAndSearchesAgain) {
    StartGame();
    PutFloorLine();
    board().At(2, kRows - 1) = 2;  // left hanging once the line is gone

    controller.Timer1Timer();
    EXPECT_TRUE(flags.collapsing);
    EXPECT_TRUE(flags.matchPending);
    EXPECT_EQ(flags.destructionFramesLeft, 11);
    EXPECT_EQ(engine().score, 63);
    EXPECT_EQ(log.Count("PlayDissolveSound"), 1);

    // Fast ticks 1..11: frames 0..10 of the chosen set on every marked cell.
    log.Clear();
    const Board before = board();
    RunFastTicks(11);
    const int set = controller.DestroyAnimSet();
    std::vector<std::string> frames;
    for (int t = 11; t >= 1; --t) {
        for (int column = 1; column <= 3; ++column) {
            frames.push_back(Frame(set * 11 + t - 1, column, kRows));
        }
    }
    EXPECT_EQ(log.Starting("DrawCellImage"), frames);
    EXPECT_EQ(board(), before);
    EXPECT_EQ(flags.destructionFramesLeft, 0);
    EXPECT_EQ(log.Count("DrawField"), 0);

    // Fast tick 12: removal, then the drop sound before the first fall step.
    log.Clear();
    controller.Timer2Timer();
    EXPECT_FALSE(flags.matchPending);
    EXPECT_TRUE(flags.collapsing);
    EXPECT_EQ(log.Of({"PlayDropSound", "DrawField"}),
              (std::vector<std::string>{"PlayDropSound", "DrawField"}));
    EXPECT_EQ(board().At(2, kRows), 2);
    EXPECT_EQ(BlocksInRow(board(), kRows), 1);
    EXPECT_EQ(BlocksInRow(board(), kRows - 1), 0);
    EXPECT_EQ(flags.dropDelayTicks, 6);

    // The sound delay holds the main tick, music upkeep included.
    const int queries = music.modeQueries;
    for (int i = 0; i < 5; ++i) {
        controller.Timer3Timer();
        controller.Timer1Timer();
    }
    EXPECT_EQ(music.modeQueries, queries);
    EXPECT_EQ(flags.dropDelayTicks, 1);

    // Fast tick 13: the board has settled; the collapse ends without a sound.
    log.Clear();
    controller.Timer2Timer();
    EXPECT_FALSE(flags.collapsing);
    EXPECT_TRUE(log.Of({"PlayDropSound", "DrawField"}).empty());

    // Once the delay is over the main tick searches again, finds nothing and spawns.
    controller.Timer3Timer();
    controller.Timer1Timer();
    EXPECT_FALSE(flags.matchPending);
    EXPECT_EQ(log.Count("DrawField"), 1);
    EXPECT_EQ(BlocksInRow(board(), 1), 3);
}

TEST_F(ControlTest, RemovalLeavingNothingHangingEndsTheCollapseSilently) {
    StartGame();
    PutFloorLine();
    controller.Timer1Timer();
    RunFastTicks(11);

    log.Clear();
    controller.Timer2Timer();
    EXPECT_FALSE(flags.collapsing);
    EXPECT_FALSE(flags.matchPending);
    EXPECT_EQ(BlocksInRow(board(), kRows), 0);
    // The last frame stays on screen: nothing is redrawn.
    EXPECT_TRUE(log.Of({"PlayDropSound", "DrawField", "DrawCellImage"}).empty());
    EXPECT_EQ(flags.dropDelayTicks, 0);
}

TEST_F(ControlTest, DropWithSoundsOffLeavesNoDelay) {
    sound.soundsOn = false;
    StartGame();
    PutFloorLine();
    board().At(2, kRows - 1) = 2;
    controller.Timer1Timer();
    RunFastTicks(12);
    EXPECT_EQ(log.Count("PlayDropSound"), 1);
    EXPECT_EQ(flags.dropDelayTicks, 0);

    controller.Timer2Timer();
    ASSERT_FALSE(flags.collapsing);
    controller.Timer1Timer();
    EXPECT_EQ(BlocksInRow(board(), 1), 3);  // spawned at once
}

TEST_F(ControlTest, FallIntoTheGapCompletesTheNextWave) {
    StartGame();
    // Column 2 holds a vertical line under a type-3 block; once it falls to the
    // floor it completes a row of type 3.
    PutColumn(2, kRows - 3, {3, 1, 1, 1});
    board().At(1, kRows) = 3;
    board().At(3, kRows) = 3;

    controller.Timer1Timer();
    ASSERT_EQ(engine().score, 63);
    RunFastTicks(11);
    log.Clear();
    int fastTicks = 0;
    while (flags.collapsing && fastTicks < 10) {
        controller.Timer2Timer();
        ++fastTicks;
    }
    EXPECT_EQ(log.Count("DrawField"), 3);  // one row per fast tick
    EXPECT_EQ(log.Count("PlayDropSound"), 1);
    ASSERT_FALSE(flags.collapsing);
    EXPECT_EQ(view.drawnBoard, board()) << "the well was handed the settled board";

    for (int i = 0; i < 6; ++i) {
        controller.Timer3Timer();
    }
    controller.Timer1Timer();
    EXPECT_TRUE(flags.collapsing);
    EXPECT_EQ(engine().score, 63 + 3 * 41);
    for (int column = 1; column <= 3; ++column) {
        EXPECT_EQ(engine().matchMask.At(column, kRows), 1) << column;
    }
}

struct BlinkPhase {
    int highestTicks;
    int lowestTicks;
    bool shown;
};

// Blink ticks left after the fast tick's decrease -> whether the level label shows text.
constexpr BlinkPhase kBlinkPhases[] = {
    {79, 75, true},  {74, 66, false}, {65, 55, true}, {54, 46, false}, {45, 35, true},
    {34, 26, false}, {25, 15, true},  {14, 6, false}, {5, 0, true},
};

TEST_F(ControlTest, LevelLabelBlinksInPhasesOfItsCountdown) {
    StartGame();
    for (const BlinkPhase& phase : kBlinkPhases) {
        for (int tag = phase.highestTicks; tag >= phase.lowestTicks; --tag) {
            controller.Timer2Timer();
            ASSERT_EQ(flags.levelBlinkTicks, tag);
            EXPECT_EQ(view.label.has_value(), phase.shown) << "ticks left " << tag;
        }
    }
    EXPECT_EQ(log.Starting("ShowLevelLabel").size(), 5u);
    EXPECT_EQ(log.Count("ClearLevelLabel"), 4);

    // The blink is over: the label keeps its text and the tag stays at 0.
    controller.Timer2Timer();
    EXPECT_EQ(flags.levelBlinkTicks, 0);
    EXPECT_EQ(view.label, 1);
}

TEST_F(ControlTest, LevelUpShowsTheOldLevelUntilTheFirstClearedPhase) {
    StartGame();
    RunFastTicks(80);
    ASSERT_EQ(view.label, 1);

    engine().score = 990;
    PutFloorLine();
    controller.Timer1Timer();
    ASSERT_EQ(engine().level, 2);
    EXPECT_EQ(flags.levelBlinkTicks, 80);
    EXPECT_EQ(controller.timer1().Interval(), 765);

    log.Clear();
    RunFastTicks(5);  // 75 left: a full label is never rewritten
    EXPECT_EQ(view.label, 1);
    EXPECT_TRUE(log.Starting("ShowLevelLabel").empty());
    RunFastTicks(9);  // 66 left
    EXPECT_FALSE(view.label.has_value());
    RunFastTicks(1);  // 65 left
    EXPECT_EQ(view.label, 2);
}

TEST_F(ControlTest, ScoreCounterRollsBySevensThenByOnes) {
    StartGame();
    PutFloorLine();
    controller.Timer1Timer();
    ASSERT_EQ(engine().score, 63);

    log.Clear();
    std::vector<int> shown;
    for (int i = 0; i < 16; ++i) {
        controller.Timer2Timer();
        shown.push_back(view.shownScore);  // what the counter was handed
    }
    const std::vector<int> expected{7, 14, 21, 28, 35, 42, 49, 56, 57, 58, 59, 60, 61, 62, 63, 63};
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(log.Count("RepaintScore"), 15);
}

struct CellDrawn {
    int picture;
    int column;
    int row;
};

CellDrawn ParseCellsDraw(const std::string& call) {
    std::istringstream in(call);
    std::string verb;
    std::string list;
    CellDrawn cell{};
    in >> verb >> list >> cell.picture >> cell.column >> cell.row;
    EXPECT_EQ(list, "Cells");
    return cell;
}

TEST_F(ControlTest, PauseFreezesTheAnimationAndSprinklesRandomBlocks) {
    StartGame();
    PutFloorLine();
    controller.Timer1Timer();
    RunFastTicks(3);
    controller.SpeedButton2Click();
    ASSERT_TRUE(flags.paused);

    const Board board0 = board();
    const int framesLeft = flags.destructionFramesLeft;
    const int blinkTicks = flags.levelBlinkTicks;
    const int displayed = controller.DisplayedScore();
    const int queries = music.modeQueries;
    log.Clear();
    RunFastTicks(20);
    controller.Timer1Timer();

    ASSERT_EQ(log.calls.size(), 20u);  // one cell per tick and nothing else
    std::set<std::pair<int, int>> places;
    for (const std::string& call : log.calls) {
        const CellDrawn cell = ParseCellsDraw(call);
        EXPECT_TRUE(cell.picture >= 1 && cell.picture <= 4) << call;  // level 1 types
        EXPECT_TRUE(cell.column >= 1 && cell.column <= kColumns) << call;
        EXPECT_TRUE(cell.row >= 1 && cell.row <= kRows) << call;
        places.insert({cell.column, cell.row});
    }
    EXPECT_GT(places.size(), 1u);
    EXPECT_EQ(board(), board0);
    EXPECT_EQ(flags.destructionFramesLeft, framesLeft);
    EXPECT_EQ(flags.levelBlinkTicks, blinkTicks);
    EXPECT_EQ(controller.DisplayedScore(), displayed);
    EXPECT_EQ(music.modeQueries, queries);  // no music upkeep while paused

    // Resuming goes on with the next frame.
    controller.SpeedButton2Click();
    log.Clear();
    controller.Timer2Timer();
    const auto frames = log.Starting("DrawCellImage");
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.front(), Frame(controller.DestroyAnimSet() * 11 + framesLeft - 1, 1, kRows));
}

TEST_F(ControlTest, PauseHoldsBothFallsButNotTheSoundDelay) {
    StartGame();
    PlacePiece(4, 3, {1, 2, 3});
    controller.FormKeyDown(Qt::Key_Down);  // the fast tick now owns the fall
    controller.SpeedButton2Click();
    flags.dropDelayTicks = 2;

    const Board board0 = board();
    RunFastTicks(3);
    controller.Timer1Timer();
    controller.Timer3Timer();
    EXPECT_EQ(board(), board0);
    EXPECT_EQ(flags.dropDelayTicks, 1);

    controller.SpeedButton2Click();
    log.Clear();
    controller.Timer2Timer();
    EXPECT_EQ(log.Count("DrawField"), 1);
    EXPECT_EQ(board().At(4, 4), 1);
    EXPECT_EQ(log.Count("PlayDropSound"), 0);  // a drop asked with the key is silent
}

struct UpkeepCase {
    const char* name;
    bool playing;
    std::int64_t position;
    std::int64_t length;
    bool musicOn;
    int switches;
};

TEST_F(ControlTest, MusicUpkeepStartsTheNextPieceWhenOneHasEndedOrStopped) {
    const UpkeepCase cases[] = {
        {"playing mid-piece", true, 10, 1000, true, 0},
        {"position reached the length", true, 1000, 1000, true, 1},
        {"position past the length", true, 1200, 1000, true, 1},
        {"device stopped", false, 0, 0, true, 1},
        {"ended with music off", true, 1000, 1000, false, 0},
        {"stopped with music off", false, 0, 0, false, 0},
    };
    for (const UpkeepCase& c : cases) {
        SCOPED_TRACE(c.name);
        music.playing = c.playing;
        music.position = c.position;
        music.length = c.length;
        state.record.musicOn = c.musicOn ? 1 : 0;
        log.Clear();
        controller.Timer1Timer();  // no game runs: the upkeep still does
        std::vector<std::string> expected;
        for (int i = 0; i < c.switches; ++i) {
            expected.insert(expected.end(), {"NextMusicFile (menu)", "PlayMusicFile music/next"});
        }
        EXPECT_EQ(log.calls, expected);
    }
}

TEST_F(ControlTest, MusicSwitchTurnsTheTimersOffAndEverythingInert) {
    controller.EnableTimers();
    StartGame();
    PlacePiece(4, 3, {1, 2, 3});
    state.record.musicOn = 1;
    music.playing = false;

    struct {
        bool called = false;
        bool anyTimerOn = true;
        bool busy = false;
        int blinkTicks = -1;
    } during;
    music.onPlay = [&] {
        during.called = true;
        during.anyTimerOn = controller.timer1().Enabled() || controller.timer2().Enabled() ||
                            controller.timer3().Enabled();
        during.busy = flags.musicBusy;
        // What an error box's event loop could deliver meanwhile.
        controller.FormKeyDown(Qt::Key_Left);
        controller.FormKeyPress(u'p');
        controller.Timer2Timer();
        during.blinkTicks = flags.levelBlinkTicks;
    };
    controller.Timer1Timer();

    ASSERT_TRUE(during.called);
    EXPECT_FALSE(during.anyTimerOn);
    EXPECT_TRUE(during.busy);
    EXPECT_EQ(during.blinkTicks, 80);
    EXPECT_FALSE(flags.paused);
    EXPECT_FALSE(flags.musicBusy);
    EXPECT_TRUE(controller.timer1().Enabled());
    EXPECT_TRUE(controller.timer2().Enabled());
    EXPECT_TRUE(controller.timer3().Enabled());
    // The tick goes on after the switch: the piece, not moved left, falls a row.
    EXPECT_EQ(board().At(4, 4), 1);
}

// An error report unwinding the switch must not leave the game frozen.
TEST_F(ControlTest, AnErrorDuringTheMusicSwitchLeavesTheTicksRunning) {
    controller.EnableTimers();
    state.record.musicOn = 1;
    music.playing = false;
    music.onPlay = [] { throw std::runtime_error("device gone"); };

    EXPECT_THROW(controller.Timer1Timer(), std::runtime_error);
    EXPECT_FALSE(flags.musicBusy);
    EXPECT_TRUE(controller.timer1().Enabled() && controller.timer2().Enabled() &&
                controller.timer3().Enabled());
}

}  // namespace
}  // namespace kwadrill::testing
