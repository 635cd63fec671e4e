#include <QDateTime>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ControlFixture.h"
#include "GameTimings.h"
#include "HighScores.h"
#include "ReplayCheck.h"
#include "ScriptedPlayer.h"

namespace kwadrill::testing {
namespace {

using test::PlayStyle;
using test::ScriptedGame;

QString Problem(const std::variant<ReplayOutcome, QString>& result) {
    const QString* problem = std::get_if<QString>(&result);
    return problem ? *problem : QString();
}

// ---- Round trip ----

struct RoundTrip {
    const char* name;
    std::uint64_t gameSeed;
    std::uint32_t scriptSeed;
    PlayStyle style;
};

// Seeded games of a scripted player, whose keys come at random moments
// between ticks that come in random order and numbers (as wall time mixes
// them): each replay, written and read back, comes to the game's score,
// level, pieces and well, played with the ticks in an order of its own.
TEST(ReplayRoundTrip, EveryScriptedGameComesBackWhole) {
    const RoundTrip games[] = {
        {"aiming for lines", 1, 11, {.aimsForLines = true, .pausePercent = 0}},
        {"aiming, pausing", 0xfeedfacecafebeefULL, 12, {.aimsForLines = true, .pausePercent = 2}},
        {"aiming, sound switched",
         77,
         13,
         {.aimsForLines = true, .pausePercent = 1, .togglesSound = true}},
        {"any key", 5, 14, {.aimsForLines = false, .pausePercent = 0}},
        {"any key, pausing, sound switched",
         1ULL << 63,
         15,
         {.aimsForLines = false, .pausePercent = 3, .togglesSound = true}},
        {"aiming, another seed", 2024, 16, {.aimsForLines = true, .pausePercent = 1}},
        {"aiming, fast ticks as often as in a game",
         3,
         17,
         {.aimsForLines = true, .pausePercent = 1, .togglesSound = true, .mainTickPercent = 4}},
    };
    int waves = 0;
    int pauses = 0;
    int highestLevel = 0;
    for (const RoundTrip& game : games) {
        SCOPED_TRACE(game.name);
        ScriptedGame played(game.gameSeed, game.scriptSeed, game.style);
        ASSERT_TRUE(played.Play());
        const Replay& record = played.Record();
        EXPECT_EQ(record.seed, game.gameSeed);
        EXPECT_FALSE(record.steps.empty());

        const auto read = DecodeReplay(EncodeReplay(record));
        ASSERT_TRUE(std::holds_alternative<Replay>(read));
        EXPECT_EQ(std::get<Replay>(read), record);
        const auto verified = VerifyReplay(std::get<Replay>(read));
        ASSERT_TRUE(std::holds_alternative<ReplayOutcome>(verified))
            << qPrintable(Problem(verified));
        const ReplayOutcome& outcome = std::get<ReplayOutcome>(verified);
        const Engine& engine = played.GameEngine();
        EXPECT_EQ(outcome.score, engine.score);
        EXPECT_EQ(outcome.level, engine.level);
        EXPECT_EQ(outcome.pieces, played.Controller().PiecesDealt());
        EXPECT_EQ(outcome.board, engine.board);
        waves += played.LineWaves();
        pauses += played.Pauses();
        highestLevel = std::max(highestLevel, engine.level);
    }
    // The table plays what a replay must survive.
    EXPECT_GT(waves, 50);
    EXPECT_GT(pauses, 10);
    EXPECT_GT(highestLevel, 2);
}

// ---- Claims that do not follow ----

std::size_t FirstOf(const Replay& replay, ReplayInput input) {
    const auto found = std::ranges::find_if(
        replay.steps, [input](const ReplayStep& step) { return step.input == input; });
    return static_cast<std::size_t>(found - replay.steps.begin());
}

// One game played, then changed the ways a hand or a fault would change it;
// the checksum is no obstacle to a hand, so only the play itself can tell.
TEST(ReplayClaims, WhatDoesNotFollowFromTheInputsIsRefusedWithTheReason) {
    ScriptedGame played(31, 32, {.aimsForLines = true, .pausePercent = 2});
    ASSERT_TRUE(played.Play());
    const Replay game = played.Record();
    ASSERT_GT(game.score, 0);
    ASSERT_LT(FirstOf(game, ReplayInput::Pause), game.steps.size());
    ASSERT_LT(FirstOf(game, ReplayInput::Drop), game.steps.size());

    struct Change {
        const char* what;
        std::function<void(Replay&)> change;
        const char* reason;  // empty: refused, for whatever reason the play finds
    };
    const std::uint32_t endTick = game.steps.back().tick;
    const Change changes[] = {
        {"score claimed higher", [](Replay& r) { r.score += 1; }, "score"},
        {"level claimed higher", [](Replay& r) { r.level += 1; }, "level"},
        {"more pieces claimed", [](Replay& r) { r.pieces += 1; }, "pieces"},
        {"fewer pieces claimed", [](Replay& r) { r.pieces -= 1; }, "more than the"},
        {"a shift before the first piece",
         [](Replay& r) {
             r.steps.insert(r.steps.begin(), {0, ReplayInput::ShiftLeft});
         },
         "input 1 (shift left at tick 0) does not fit"},
        {"an input after the end",
         [&](Replay& r) {
             r.steps.push_back({endTick + 100000, ReplayInput::Cycle});
         },
         "after the end of its game"},
        {"a pause never resumed",
         [](Replay& r) {
             r.steps.erase(r.steps.begin() +
                           static_cast<std::ptrdiff_t>(FirstOf(r, ReplayInput::Resume)));
         },
         "paused"},
        {"a resume ticks after its pause",
         [](Replay& r) {
             const std::size_t resume = FirstOf(r, ReplayInput::Resume);
             for (std::size_t i = resume; i < r.steps.size(); ++i) r.steps[i].tick += 1;
         },
         "comes while the game is paused"},
        {"a drop left out",
         [](Replay& r) {
             r.steps.erase(r.steps.begin() +
                           static_cast<std::ptrdiff_t>(FirstOf(r, ReplayInput::Drop)));
         },
         ""},
        {"another seed", [](Replay& r) { r.seed += 1; }, ""},
    };
    ASSERT_TRUE(std::holds_alternative<ReplayOutcome>(VerifyReplay(game)));
    for (const Change& c : changes) {
        Replay changed = game;
        c.change(changed);
        const QString problem = Problem(VerifyReplay(changed));
        EXPECT_FALSE(problem.isEmpty()) << c.what;
        EXPECT_TRUE(problem.contains(QLatin1String(c.reason)))
            << c.what << ": " << qPrintable(problem);
    }
}

// ---- Recording ----

class RecordingTest : public ControlTest {
protected:
    void RunOutTheFastTick() {
        while (flags.collapsing) controller.Timer2Timer();
    }
};

// The clock of a replay: main ticks that moved the game on. A tick held by
// a pause, a sound delay or the fast tick's work is not counted.
TEST_F(RecordingTest, TheReplayClockCountsTheTicksThatMoveTheGame) {
    StartGame();
    EXPECT_EQ(controller.GameTicks(), 0u);
    controller.Timer1Timer();  // the first piece
    EXPECT_EQ(controller.GameTicks(), 1u);
    EXPECT_EQ(controller.PiecesDealt(), 1u);

    const struct {
        const char* what;
        std::function<void()> hold;
        std::function<void()> release;
    } holds[] = {
        {"pause", [&] { controller.SpeedButton2Click(); }, [&] { controller.SpeedButton2Click(); }},
        {"sound delay", [&] { flags.dropDelayTicks = 2; }, [&] { flags.dropDelayTicks = 0; }},
        {"drop", [&] { controller.FormKeyDown(Qt::Key_Down); }, [&] { RunOutTheFastTick(); }},
    };
    std::uint32_t ticks = 1;
    for (const auto& h : holds) {
        h.hold();
        controller.Timer1Timer();
        EXPECT_EQ(controller.GameTicks(), ticks) << h.what;
        h.release();
        controller.Timer1Timer();
        EXPECT_EQ(controller.GameTicks(), ++ticks) << h.what;
    }
}

// Only what changed the game is kept, each with the tick it came after:
// shifts that moved the piece, a cycle, the pause and the resume, the drop.
// Keys refused (at the wall, while paused, while the fast tick owns the
// board, once the piece has landed) leave nothing.
TEST_F(RecordingTest, OnlyInputsThatChangedTheGameAreRecordedWithTheirTick) {
    StartGame();
    controller.Timer1Timer();
    const int column = engine().fallingPiece.blocks[0].column;
    for (int k = 0; k < 3; ++k) board().At(column + k, 1) = static_cast<std::uint8_t>(k + 1);
    for (int press = 0; press < kColumns; ++press) controller.FormKeyDown(Qt::Key_Left);
    controller.Timer1Timer();
    controller.FormKeyDown(Qt::Key_Up);
    controller.SpeedButton2Click();
    controller.FormKeyDown(Qt::Key_Right);
    controller.SpeedButton2Click();
    controller.FormKeyDown(Qt::Key_Down);
    controller.FormKeyDown(Qt::Key_Left);
    RunOutTheFastTick();
    controller.FormKeyDown(Qt::Key_Down);
    controller.FormKeyDown(Qt::Key_F1);

    std::vector<ReplayStep> expected(static_cast<std::size_t>(column - 1),
                                     {1, ReplayInput::ShiftLeft});
    for (const ReplayInput input :
         {ReplayInput::Cycle, ReplayInput::Pause, ReplayInput::Resume, ReplayInput::Drop}) {
        expected.push_back({2, input});
    }
    EXPECT_EQ(controller.GameRecord().steps, expected);
    EXPECT_EQ(controller.GameRecord().seed, 20240611u) << "the first seed of the source";
    controller.SpeedButton1Click();
    EXPECT_EQ(controller.GameRecord().steps, expected) << "Start is refused while a game runs";
}

// ---- Keeping at game over ----

class KeepingTest : public ControlTest {
protected:
    KeepingTest() {
        controller.KeepReplaysWith(&replays);
        controller.KeepStateWith(&stateKeeper);
    }

    void EndGame(std::int32_t score) {
        StartGame();
        for (int row = 1; row <= kRows; ++row) {
            board().At(1, row) = static_cast<std::uint8_t>(row % 2 + 1);
        }
        engine().score = score;
        controller.Timer1Timer();
    }

    FakeReplayKeeper replays{log};
    FakeStateKeeper stateKeeper{log};
};

// Kept in the tick that ends the game, before any window: an end of the
// session in any of them keeps it with the result; filed under the entry
// once the name has been given, before the state is saved.
TEST_F(KeepingTest, ARankedResultsReplayIsKeptFirstAndFiledUnderItsEntry) {
    view.typedName = QStringLiteral("Ann");
    EndGame(1234);
    ASSERT_EQ(replays.kept.size(), 1u);
    const Replay& kept = replays.kept.front();
    EXPECT_EQ(kept.score, 1234);
    EXPECT_EQ(kept.level, 1);
    EXPECT_EQ(kept.pieces, 0u);
    EXPECT_EQ(kept.seed, 20240611u);
    EXPECT_EQ(FromDayNumber(kept.date), now);
    RunQueuedWindows();
    EXPECT_EQ(log.Of({"KeepFinishedGame", "ShowGameOverBox", "ShowNameEntry", "FileUnder", "Save",
                      "ShowHighScores"}),
              (std::vector<std::string>{"KeepFinishedGame", "ShowGameOverBox", "ShowNameEntry",
                                        "FileUnder 1234", "Save", "ShowHighScores"}));
    EXPECT_TRUE(view.replaysOffered) << "the new entry's replay may be watched at once";
}

TEST_F(KeepingTest, AResultOutsideTheTableKeepsNoReplay) {
    for (ScoreEntry& entry : state.record.scoreTable.entries) entry.score = 5000;
    EndGame(100);
    RunQueuedWindows();
    EXPECT_TRUE(replays.kept.empty());
    EXPECT_EQ(log.Count("FileUnder 100"), 0);
}

// The end of the session during the game-over box: no name is asked, the
// result is kept, and its replay is filed under it all the same.
TEST_F(KeepingTest, AnEndOfTheSessionInTheBoxStillFilesTheReplay) {
    view.onGameOverBox = [this] { controller.BeginShutdown(); };
    EndGame(777);
    RunQueuedWindows();
    EXPECT_EQ(log.Of({"KeepFinishedGame", "FileUnder"}),
              (std::vector<std::string>{"KeepFinishedGame", "FileUnder 777"}));
    EXPECT_EQ(state.record.scoreTable.Rank(1).score, 777);
}

// ---- Watching ----

Replay PlayedGame(std::uint64_t seed) {
    ScriptedGame played(seed, 7, {.aimsForLines = true, .pausePercent = 1});
    EXPECT_TRUE(played.Play());
    return played.Record();
}

class WatchingTest : public KeepingTest {
protected:
    // The ticks in a fixed order until the replay's game has ended; keys
    // pressed on the way steer nothing.
    void WatchToTheEnd() {
        for (int round = 0; round < 1000000 && flags.gameRunning; ++round) {
            controller.FormKeyDown(round % 2 ? Qt::Key_Left : Qt::Key_Down);
            controller.FormKeyPress(QChar(u'p'));
            controller.Timer1Timer();
            RunFastTicks(3);
            controller.Timer3Timer();
        }
    }
};

// Watched through the window's controller: the sign, the speed keys, the
// replay's own end; the player's keys steer nothing, and nothing of the
// table, the record or the store changes.
TEST_F(WatchingTest, AReplayPlaysToItsEndAndChangesNothingKept) {
    const Replay replay = PlayedGame(4242);
    const auto expected = VerifyReplay(replay);
    ASSERT_TRUE(std::holds_alternative<ReplayOutcome>(expected)) << qPrintable(Problem(expected));
    RecordHighScore(state.record.scoreTable.Rank(1), QStringLiteral("Old"), 90000, now);
    const PersistentState before = state;

    controller.WatchReplay(replay);
    EXPECT_TRUE(controller.WatchingReplay());
    EXPECT_EQ(view.replaySign, (ReplaySign{.speed = 1, .ended = false}));
    controller.FormKeyDown(Qt::Key_4);
    EXPECT_EQ(view.replaySign, (ReplaySign{.speed = 4, .ended = false}));
    EXPECT_EQ(controller.timer1().Period(), kMainTickGameMs / 4);
    EXPECT_EQ(controller.timer2().Period(), kFastTickMs / 4);
    EXPECT_EQ(controller.timer1().Interval(), kMainTickGameMs) << "the game's own interval";
    log.Clear();

    WatchToTheEnd();
    ASSERT_FALSE(flags.gameRunning);
    const ReplayOutcome& outcome = std::get<ReplayOutcome>(expected);
    EXPECT_EQ(board(), outcome.board);
    EXPECT_EQ(engine().score, outcome.score);
    EXPECT_EQ(engine().level, outcome.level);
    EXPECT_EQ(controller.DisplayedScore(), outcome.score);
    EXPECT_TRUE(controller.ReplayProblem().isEmpty());
    EXPECT_EQ(view.replaySign, (ReplaySign{.speed = 1, .ended = true}));
    EXPECT_EQ(controller.timer1().Period(), controller.timer1().Interval());
    EXPECT_EQ(log.Count("PlayMusicFile music/GAMEOVER"), 1);

    RunQueuedWindows();
    EXPECT_EQ(log.Of({"ShowGameOverBox", "ShowNameEntry", "ShowHighScores", "Save",
                      "KeepFinishedGame", "FileUnder"}),
              std::vector<std::string>{});
    EXPECT_EQ(std::memcmp(&before.record, &state.record, sizeof before.record), 0);
    EXPECT_EQ(state.highlightRank, before.highlightRank);

    controller.FormKeyDown(Qt::Key_Escape);
    EXPECT_FALSE(controller.WatchingReplay());
    EXPECT_EQ(view.replaySign, std::nullopt);
}

// Start during a replay leaves it; the next Start plays a game of its own.
TEST_F(WatchingTest, StartLeavesAReplayAndThenStartsAGame) {
    controller.WatchReplay(PlayedGame(99));
    controller.Timer1Timer();
    ASSERT_TRUE(flags.gameRunning);
    controller.SpeedButton1Click();
    EXPECT_FALSE(flags.gameRunning);
    EXPECT_FALSE(controller.WatchingReplay());
    EXPECT_EQ(view.replaySign, std::nullopt);
    controller.SpeedButton1Click();
    EXPECT_TRUE(flags.gameRunning);
    EXPECT_EQ(controller.GameRecord().seed, 20240611u);
    controller.Timer1Timer();
    controller.FormKeyDown(Qt::Key_Left);
    controller.FormKeyDown(Qt::Key_Right);
    EXPECT_FALSE(controller.GameRecord().steps.empty()) << "the player steers again";
}

// A game being played is never given up for a replay: the table offers
// none while it runs, and a replay handed in is ignored.
TEST_F(WatchingTest, AGameBeingPlayedIsNeverGivenUpForAReplay) {
    replays.loaded = PlayedGame(5);
    RecordHighScore(state.record.scoreTable.Rank(1), QStringLiteral("Old"), 900, now);
    StartGame();
    view.replayChosen = 1;
    controller.SpeedButton3Click();
    EXPECT_FALSE(view.replaysOffered);
    controller.WatchReplay(std::get<Replay>(replays.loaded));
    EXPECT_FALSE(controller.WatchingReplay());
    EXPECT_EQ(log.Count("Load 900"), 0);
    EXPECT_EQ(controller.GameRecord().seed, 20240611u);
}

// Picked in the high-score window, from the panel or after a game's end.
TEST_F(WatchingTest, AnEntryPickedInTheTableIsWatched) {
    replays.loaded = PlayedGame(6);
    RecordHighScore(state.record.scoreTable.Rank(1), QStringLiteral("Old"), 900, now);
    view.replayChosen = 1;
    controller.SpeedButton3Click();
    EXPECT_TRUE(view.replaysOffered);
    EXPECT_EQ(log.Count("Load 900"), 1);
    EXPECT_TRUE(controller.WatchingReplay());

    controller.LeaveReplay();
    log.Clear();
    EndGame(1234);
    RunQueuedWindows();
    EXPECT_EQ(log.Count("Load 1234"), 1) << "the new entry, chosen in the window that shows it";
    EXPECT_TRUE(controller.WatchingReplay());
}

TEST_F(WatchingTest, AReplayThatCannotBeWatchedIsRefusedWithItsReason) {
    Replay wrongClaim = PlayedGame(8);
    wrongClaim.score += 10;
    const struct {
        const char* what;
        std::variant<Replay, QString> loaded;
        const char* reason;
    } cases[] = {
        {"unreadable", QStringLiteral("damaged (its checksum does not match)"), "checksum"},
        {"claims too much", wrongClaim, "score"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        controller.WatchReplay(c.loaded);
        EXPECT_TRUE(view.refusedReason.contains(QLatin1String(c.reason)))
            << qPrintable(view.refusedReason);
        EXPECT_FALSE(controller.WatchingReplay());
        EXPECT_FALSE(flags.gameRunning);
    }
}

}  // namespace
}  // namespace kwadrill::testing
