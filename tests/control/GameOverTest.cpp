#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ControlFixture.h"
#include "HighScores.h"

namespace kwadrill::testing {
namespace {

class GameOverTest : public ControlTest {
protected:
    // A running game whose settled board has no line and a block in the top
    // row: the next main tick ends it.
    void PrepareGameOver(std::int32_t score) {
        StartGame();
        for (int row = 1; row <= kRows; ++row) {
            board().At(1, row) = static_cast<std::uint8_t>(row % 2 + 1);
        }
        engine().score = score;
    }

    void FillTable(const std::vector<std::int32_t>& scores) {
        for (std::size_t i = 0; i < scores.size(); ++i) {
            RecordHighScore(state.record.scoreTable.entries[i], QStringLiteral("Old"), scores[i],
                            now.addDays(-1));
        }
    }

    void EnterName(const QString& name) { view.typedName = name; }
};

TEST_F(GameOverTest, GameOverRunsItsStepsInOrder) {
    PrepareGameOver(1234);
    SetLastPlayerName(state.record, QStringLiteral("Zed"));
    EnterName(QStringLiteral("Ann"));
    const Board finalBoard = board();
    struct {
        int rank = 0;
        std::int32_t score = 0;
    } atHighScores;
    view.onHighScores = [&] {
        atHighScores.rank = state.highlightRank;
        atHighScores.score = state.record.scoreTable.Rank(1).score;
    };

    controller.Timer1Timer();
    // The tick itself does the first steps; the windows come right after it.
    EXPECT_FALSE(flags.gameRunning);
    EXPECT_EQ(controller.DisplayedScore(), 1234);
    const std::vector<std::string> inTick{"DrawField", "RepaintScore", "NextMusicFile GAMEOVER",
                                          "PlayMusicFile music/GAMEOVER"};
    EXPECT_EQ(log.calls, inTick);
    EXPECT_TRUE(controller.GameOverSequenceRunning());

    log.Clear();
    RunQueuedWindows();
    const std::vector<std::string> windows{"ShowGameOverBox", "NextMusicFile SCORE",
                                           "PlayMusicFile music/SCORE", "ShowNameEntry",
                                           "ShowHighScores"};
    EXPECT_EQ(log.calls, windows);
    EXPECT_FALSE(controller.GameOverSequenceRunning());

    // The entry is complete before the high-score window shows it.
    EXPECT_EQ(atHighScores.rank, 1);
    EXPECT_EQ(atHighScores.score, 1234);
    const ScoreEntry& entry = state.record.scoreTable.Rank(1);
    EXPECT_EQ(EntryName(entry), QStringLiteral("Ann"));
    EXPECT_EQ(view.offeredName, QStringLiteral("Zed")) << "the last name is offered";
    EXPECT_EQ(LastPlayerName(state.record), QStringLiteral("Ann")) << "and replaced by the new one";
    EXPECT_EQ(FromDayNumber(entry.date), now) << "dated by the clock it was given";
    EXPECT_EQ(state.highlightRank, 1);

    EXPECT_EQ(board(), finalBoard);
    EXPECT_EQ(controller.timer1().Interval(), 800);
    EXPECT_EQ(engine().level, 1);
    EXPECT_FALSE(flags.paused || flags.collapsing || flags.matchPending);
}

TEST_F(GameOverTest, RankDecidesWhetherTheScoreIsEntered) {
    struct RankCase {
        const char* name;
        std::vector<std::int32_t> table;
        std::int32_t score;
        int rank;
    };
    const RankCase cases[] = {
        {"empty table", {}, 500, 1},
        {"between two entries", {5000, 3000, 1000}, 2000, 3},
        {"below an equal score", {5000, 2000}, 2000, 3},
        {"table full of better scores", std::vector<std::int32_t>(kScoreTableSize, 9000), 100, 0},
        {"nothing scored", {}, 0, 0},
    };
    for (const RankCase& c : cases) {
        SCOPED_TRACE(c.name);
        flags = GameFlags{};
        state.record.scoreTable = ScoreTable{};
        state.highlightRank = -1;
        FillTable(c.table);
        const ScoreTable before = state.record.scoreTable;
        EnterName(QStringLiteral("Kim"));
        PrepareGameOver(c.score);
        controller.Timer1Timer();
        log.Clear();
        RunQueuedWindows();

        if (c.rank == 0) {
            // Ends after the box: no score music, name entry or high-score window.
            EXPECT_EQ(log.calls, std::vector<std::string>{"ShowGameOverBox"});
            EXPECT_EQ(state.highlightRank, -1);
            EXPECT_EQ(std::memcmp(&before, &state.record.scoreTable, sizeof before), 0);
            continue;
        }
        EXPECT_EQ(log.calls.back(), "ShowHighScores");
        EXPECT_EQ(state.highlightRank, c.rank);
        EXPECT_EQ(state.record.scoreTable.Rank(c.rank).score, c.score);
        EXPECT_EQ(EntryName(state.record.scoreTable.Rank(c.rank)), QStringLiteral("Kim"));
        if (c.rank < static_cast<int>(c.table.size()) + 1) {
            EXPECT_EQ(state.record.scoreTable.Rank(c.rank + 1).score, c.table[c.rank - 1]);
        }
    }
}

// The name dialog refuses a name of blanks; should one come back all the
// same (the program closed the dialog), it names nobody: the last name
// entered stands, or, with none that names anybody, the neutral one.
TEST_F(GameOverTest, ANameOfBlanksNamesNobody) {
    struct NameCase {
        const char* lastName;
        const char* typed;
        const char* recorded;
        const char* lastNameAfter;
    };
    const NameCase cases[] = {
        {"Zed", "   ", "Zed", "Zed"},
        {"", " \t ", "Somebody", ""},
        {"   ", "", "Somebody", "   "},
        {"Zed", " Ann ", " Ann ", " Ann "},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(std::string("typed \"") + c.typed + "\" after \"" + c.lastName + "\"");
        flags = GameFlags{};
        state.record.scoreTable = ScoreTable{};
        SetLastPlayerName(state.record, QString::fromUtf8(c.lastName));
        EnterName(QString::fromUtf8(c.typed));
        PrepareGameOver(300);
        controller.Timer1Timer();
        RunQueuedWindows();
        EXPECT_EQ(EntryName(state.record.scoreTable.Rank(1)), QString::fromUtf8(c.recorded));
        EXPECT_EQ(LastPlayerName(state.record), QString::fromUtf8(c.lastNameAfter));
    }
}

// The game is over when its last windows open: the focus going to them or
// away from them pauses nothing, so the well never says "paused".
TEST_F(GameOverTest, TheGameOverWindowsAreNoPause) {
    const auto leave = [this] {
        controller.WindowFocusLost(GameController::FocusLoss::ToGameWindow);
        controller.WindowFocusLost(GameController::FocusLoss::ToOtherProgram);
    };
    view.onGameOverBox = leave;
    view.onNameEntry = leave;
    view.onHighScores = leave;
    EnterName(QStringLiteral("Kim"));
    PrepareGameOver(300);
    controller.Timer1Timer();
    leave();
    RunQueuedWindows();
    EXPECT_EQ(log.Count("ShowHighScores"), 1);
    EXPECT_FALSE(flags.paused);
    EXPECT_FALSE(view.pauseNotice);
    EXPECT_EQ(log.Count("StopMusic"), 0);
}

TEST_F(GameOverTest, StartWaitsUntilTheGameOverWindowsHaveClosed) {
    PrepareGameOver(100);
    controller.Timer1Timer();
    controller.SpeedButton1Click();
    EXPECT_FALSE(flags.gameRunning);
    RunQueuedWindows();
    controller.SpeedButton1Click();
    EXPECT_TRUE(flags.gameRunning);
}

// The program is ended (BeginShutdown) at one moment of the game-over
// sequence: the windows still to come are skipped, but the finished game's
// result is always kept, under the name the name entry would have offered.
struct ShutdownMoment {
    const char* during;
    const char* lastNameBefore;
    std::vector<std::string> windows;  // the windows that opened
    const char* recordedName;
};
void PrintTo(const ShutdownMoment& moment, std::ostream* out) {
    *out << moment.during << ", last name \"" << moment.lastNameBefore << "\"";
}

class ShutdownDuringGameOverTest : public GameOverTest,
                                   public ::testing::WithParamInterface<ShutdownMoment> {};

TEST_P(ShutdownDuringGameOverTest, TheResultIsKeptAndNoFurtherWindowOpens) {
    const ShutdownMoment& moment = GetParam();
    const std::string during = moment.during;
    PrepareGameOver(700);
    SetLastPlayerName(state.record, QString::fromUtf8(moment.lastNameBefore));
    const auto shutDown = [this] { controller.BeginShutdown(); };
    view.typedName = QStringLiteral("Eve");  // typed, also when the end closes the dialog
    view.onNameEntry = [shutDown, during] {
        if (during == "name entry") shutDown();
    };
    if (during == "game-over box") {
        view.onGameOverBox = shutDown;
    } else if (during == "high-score window") {
        view.onHighScores = shutDown;
    }

    controller.Timer1Timer();
    if (during == "the gap before the box") {
        shutDown();
    }
    log.Clear();
    RunQueuedWindows();

    EXPECT_EQ(log.Of({"ShowGameOverBox", "ShowNameEntry", "ShowHighScores"}), moment.windows);
    EXPECT_FALSE(controller.GameOverSequenceRunning());
    EXPECT_FALSE(controller.timer1().Enabled());
    EXPECT_EQ(state.highlightRank, 1);
    EXPECT_EQ(state.record.scoreTable.Rank(1).score, 700);
    EXPECT_EQ(EntryName(state.record.scoreTable.Rank(1)), QString::fromUtf8(moment.recordedName));
    EXPECT_EQ(state.record.scoreTable.Rank(2).score, 0) << "one game, one entry";
}

INSTANTIATE_TEST_SUITE_P(
    Moments, ShutdownDuringGameOverTest,
    ::testing::Values(ShutdownMoment{"the gap before the box", "", {}, "Somebody"},
                      ShutdownMoment{"the gap before the box", "Ann", {}, "Ann"},
                      ShutdownMoment{"game-over box", "", {"ShowGameOverBox"}, "Somebody"},
                      ShutdownMoment{"game-over box", "Ann", {"ShowGameOverBox"}, "Ann"},
                      ShutdownMoment{
                          "name entry", "Ann", {"ShowGameOverBox", "ShowNameEntry"}, "Eve"},
                      ShutdownMoment{"high-score window",
                                     "Ann",
                                     {"ShowGameOverBox", "ShowNameEntry", "ShowHighScores"},
                                     "Eve"}));

// A new result is saved the moment it is in the table, before the table
// shows it; when neither place takes it, the player is told at once which
// files refused and why. One place is enough: the other is told nothing.
TEST_F(GameOverTest, NewResultIsSavedAtOnceAndALossIsToldWhenNeitherPlaceTakesIt) {
    const WriteFailure backupRefused =
        SystemFailure(QStringLiteral("/ro/Kwadrill.hsc"), QStringLiteral("/ro"), EACCES);
    const WriteFailure storeRefused =
        SystemFailure(QStringLiteral("/cfg/Kwadrill.ini"), QStringLiteral("/cfg"), EROFS);
    const StoreError storeError = StoreError::FailedToSetData(QStringLiteral("lng"), storeRefused);
    const struct {
        const char* name;
        SaveResult answer;
        bool told;
    } cases[] = {
        {"both take it", {}, false},
        {"only the store takes it", {.backup = backupRefused, .store = {}}, false},
        {"only the backup takes it", {.backup = {}, .store = storeError}, false},
        {"neither takes it", {.backup = backupRefused, .store = storeError}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeStateKeeper keeper(log);
        keeper.answer = c.answer;
        controller.KeepStateWith(&keeper);
        state.record.scoreTable = ScoreTable{};
        view.notSaved.reset();
        EnterName(QStringLiteral("Kim"));
        PrepareGameOver(1500);
        controller.Timer1Timer();
        log.Clear();
        RunQueuedWindows();

        std::vector<std::string> expected{"ShowNameEntry", "Save"};
        if (c.told) expected.push_back("ShowResultNotSaved");
        expected.push_back("ShowHighScores");
        EXPECT_EQ(log.Of({"ShowNameEntry", "Save", "ShowResultNotSaved", "ShowHighScores"}),
                  expected);
        ASSERT_EQ(keeper.tables.size(), 1u);
        EXPECT_EQ(keeper.tables[0].Rank(1).score, 1500);
        EXPECT_EQ(EntryName(keeper.tables[0].Rank(1)), QStringLiteral("Kim"));
        EXPECT_EQ(controller.ResultUnsaved(), c.told);
        EXPECT_EQ(controller.StoreRefusalTold(), c.told) << "told only in the last case";
        if (c.told) {
            ASSERT_TRUE(view.notSaved.has_value());
            EXPECT_EQ(view.notSaved->first, backupRefused);
            EXPECT_EQ(view.notSaved->second, storeRefused);
        }
        controller.KeepStateWith(nullptr);
    }
}

// Until a save reaches either place, the result counts as unsaved; then a
// later save that keeps it anywhere settles it. A game with no new result
// saves nothing before the close.
TEST_F(GameOverTest, ResultStaysUnsavedUntilASaveReachesEitherPlace) {
    FakeStateKeeper keeper(log);
    controller.KeepStateWith(&keeper);
    keeper.answer = {.backup = NoFolderFailure(QStringLiteral("Kwadrill.hsc")),
                     .store = StoreError::FailedToSetData(
                         QStringLiteral("lng"), UnexplainedFailure(QStringLiteral("/c.ini")))};
    PrepareGameOver(800);
    controller.Timer1Timer();
    RunQueuedWindows();
    ASSERT_TRUE(controller.ResultUnsaved());

    EXPECT_TRUE(controller.SaveState().NothingKept());
    EXPECT_TRUE(controller.ResultUnsaved()) << "the close could not keep it either";
    keeper.answer.backup.reset();
    EXPECT_FALSE(controller.SaveState().NothingKept());
    EXPECT_FALSE(controller.ResultUnsaved());

    keeper.tables.clear();
    FillTable(std::vector<std::int32_t>(kScoreTableSize, 9000));
    PrepareGameOver(100);
    controller.Timer1Timer();
    RunQueuedWindows();
    EXPECT_TRUE(keeper.tables.empty()) << "no result, no save";
}

// Ended during the game-over sequence, nobody can read a box: the result is
// still saved, and a loss is left to the close and to stderr.
TEST_F(GameOverTest, ResultOfASessionThatEndsIsSavedWithoutABox) {
    FakeStateKeeper keeper(log);
    controller.KeepStateWith(&keeper);
    keeper.answer = {.backup = NoFolderFailure(QStringLiteral("Kwadrill.hsc")),
                     .store = StoreError::FailedToSetData(
                         QStringLiteral("lng"), UnexplainedFailure(QStringLiteral("/c.ini")))};
    PrepareGameOver(900);
    view.onGameOverBox = [this] { controller.BeginShutdown(); };
    controller.Timer1Timer();
    log.Clear();
    RunQueuedWindows();

    EXPECT_EQ(log.Of({"ShowGameOverBox", "Save", "ShowResultNotSaved"}),
              (std::vector<std::string>{"ShowGameOverBox", "Save"}));
    ASSERT_EQ(keeper.tables.size(), 1u);
    EXPECT_EQ(keeper.tables[0].Rank(1).score, 900);
    EXPECT_TRUE(controller.ResultUnsaved());
    EXPECT_FALSE(controller.StoreRefusalTold());
}

// Runs the event loop until done() holds or five seconds have passed.
bool RunEventsUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() > 5000) {
            loop.quit();
        }
    });
    poll.start(1);
    loop.exec();
    return done();
}

// Real timers on purpose: what matters is that Qt delivers the main tick while
// the box's own event loop runs, and only the event dispatcher can show that.
// The main tick runs every 5 ms here; each wait ends after five seconds at most.
TEST_F(GameOverTest, MainTickRunsWhileTheGameOverBoxIsOpen) {
    PrepareGameOver(300);
    bool tickedInBox = false;
    view.onGameOverBox = [&] {
        const int queries = music.modeQueries;  // each main tick asks the music device
        tickedInBox = RunEventsUntil([&] { return music.modeQueries > queries; });
    };
    controller.timer1().SetInterval(5);
    controller.EnableTimers();

    ASSERT_TRUE(RunEventsUntil(
        [&] { return log.Count("ShowHighScores") == 1 && !controller.GameOverSequenceRunning(); }));
    EXPECT_TRUE(tickedInBox);
}

}  // namespace
}  // namespace kwadrill::testing
