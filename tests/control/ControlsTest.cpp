#include <functional>
#include <string>
#include <vector>

#include "ControlFixture.h"
#include "StoreError.h"

namespace kwadrill::testing {
namespace {

constexpr int kArrowKeys[] = {Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down};

TEST_F(ControlTest, ArrowKeysSteerAFreelyFallingPiece) {
    StartGame();
    PlacePiece(4, 3, {1, 2, 3});

    controller.FormKeyDown(Qt::Key_Left);
    EXPECT_EQ(engine().fallingPiece.blocks[0].column, 3);
    EXPECT_EQ(board().At(3, 3), 1);
    EXPECT_EQ(board().At(6, 3), 0);
    controller.FormKeyDown(Qt::Key_Right);
    EXPECT_EQ(engine().fallingPiece.blocks[0].column, 4);
    controller.FormKeyDown(Qt::Key_Up);
    EXPECT_EQ(board().At(4, 3), 3);
    EXPECT_EQ(board().At(5, 3), 1);
    EXPECT_EQ(board().At(6, 3), 2);
    EXPECT_EQ(log.Count("DrawField"), 3);

    log.Clear();
    controller.FormKeyDown(Qt::Key_Space);
    EXPECT_TRUE(log.calls.empty());
    controller.FormKeyDown(Qt::Key_Down);
    EXPECT_TRUE(flags.collapsing);
    EXPECT_TRUE(log.calls.empty());  // the fast tick does the falling
}

TEST_F(ControlTest, EveryArrowKeyIsRefusedUnderEachOfItsGuards) {
    struct Guard {
        const char* name;
        std::function<void()> apply;
    };
    const Guard guards[] = {
        {"no game running", [&] { flags.gameRunning = false; }},
        {"collapsing", [&] { flags.collapsing = true; }},
        {"a block of the piece has landed", [&] { board().At(5, 4) = 4; }},
        {"paused", [&] { flags.paused = true; }},
        {"match pending", [&] { flags.matchPending = true; }},
        {"music busy", [&] { flags.musicBusy = true; }},
    };
    for (const Guard& guard : guards) {
        for (int key : kArrowKeys) {
            SCOPED_TRACE(std::string(guard.name) + ", key " + std::to_string(key));
            flags = GameFlags{};
            flags.gameRunning = true;
            board() = Board{};
            PlacePiece(4, 3, {1, 2, 3});
            guard.apply();
            const Board board0 = board();
            const FallingPiece piece0 = engine().fallingPiece;
            const bool collapsing0 = flags.collapsing;
            log.Clear();

            controller.FormKeyDown(key);
            EXPECT_EQ(board(), board0);
            EXPECT_EQ(engine().fallingPiece, piece0);
            EXPECT_EQ(flags.collapsing, collapsing0);
            EXPECT_TRUE(log.calls.empty());
        }
    }
}

TEST_F(ControlTest, PauseCharactersTogglePauseAndOtherCharactersDoNothing) {
    StartGame();
    for (QChar character : {QChar(u'p'), QChar(u'P'), QChar(0x0437), QChar(0x0417)}) {
        SCOPED_TRACE(static_cast<int>(character.unicode()));
        controller.FormKeyPress(character);
        EXPECT_TRUE(flags.paused);
        controller.FormKeyPress(character);
        EXPECT_FALSE(flags.paused);
    }
    log.Clear();
    for (QChar character : {QChar(u'o'), QChar(u' '), QChar(u'['), QChar(0x0440), QChar(0x0445)}) {
        controller.FormKeyPress(character);
    }
    EXPECT_FALSE(flags.paused);
    EXPECT_TRUE(log.calls.empty());

    flags.musicBusy = true;
    controller.FormKeyPress(u'p');
    EXPECT_FALSE(flags.paused);
}

TEST_F(ControlTest, StartAndPauseAreRefusedWhenTheyMustBe) {
    controller.SpeedButton2Click();  // no game yet
    EXPECT_FALSE(flags.paused);
    EXPECT_TRUE(log.calls.empty());

    StartGame();
    engine().score = 500;
    board().At(1, kRows) = 3;
    controller.SpeedButton1Click();  // a game runs already
    EXPECT_EQ(engine().score, 500);
    EXPECT_EQ(board().At(1, kRows), 3);
    EXPECT_TRUE(log.calls.empty());
}

TEST_F(ControlTest, StartResetsTheGameWithoutRedrawingTheWell) {
    controller.EnableTimers();
    // A previous game left everything dirty.
    flags.gameRunning = true;
    engine().score = 4321;
    controller.Timer2Timer();  // the counter has moved off zero
    ASSERT_NE(controller.DisplayedScore(), 0);
    flags = GameFlags{false, true, true, true, true};
    board().cells.fill(5);
    engine().level = 7;
    controller.timer1().SetInterval(590);
    flags.levelBlinkTicks = 33;
    flags.destructionFramesLeft = 4;
    flags.dropDelayTicks = 3;
    view.label = 7;
    log.Clear();

    controller.SpeedButton1Click();

    EXPECT_EQ(board(), Board{});
    EXPECT_TRUE(flags.gameRunning);
    EXPECT_FALSE(flags.paused);
    EXPECT_FALSE(flags.collapsing);
    EXPECT_FALSE(flags.matchPending);
    EXPECT_FALSE(flags.musicBusy);
    EXPECT_EQ(engine().score, 0);
    EXPECT_EQ(controller.DisplayedScore(), 0);
    EXPECT_EQ(engine().level, 1);
    EXPECT_EQ(controller.timer1().Interval(), 800);
    EXPECT_EQ(flags.levelBlinkTicks, 80);
    EXPECT_EQ(flags.destructionFramesLeft, 0);
    EXPECT_EQ(flags.dropDelayTicks, 0);
    EXPECT_FALSE(view.label.has_value());
    EXPECT_TRUE(controller.timer1().Enabled() && controller.timer2().Enabled() &&
                controller.timer3().Enabled());
    const std::vector<std::string> expected{"ClearLevelLabel",           "RepaintScore",
                                            "ResetTrackCounter",         "NextMusicFile GAME1",
                                            "PlayMusicFile music/GAME1", "RepaintScore"};
    EXPECT_EQ(log.calls, expected);  // no DrawField
}

TEST_F(ControlTest, PauseStopsTheMusicAndResumingPlaysTheNextPiece) {
    StartGame();
    controller.SpeedButton2Click();
    EXPECT_EQ(log.calls, std::vector<std::string>{"StopMusic"});
    log.Clear();
    controller.SpeedButton2Click();
    EXPECT_FALSE(flags.paused);
    EXPECT_EQ(log.calls,
              (std::vector<std::string>{"NextMusicFile (next)", "PlayMusicFile music/next"}));
}

TEST_F(ControlTest, TogglesStoreTheirSettingAndActAtOnce) {
    struct ToggleCase {
        const char* name;
        bool musicButton;  // else the sound button
        bool down;
        std::uint8_t stored;
        std::vector<std::string> calls;
    };
    const ToggleCase cases[] = {
        {"music on: the main tick starts it", true, true, 1, {"SetMusicEnabled on"}},
        {"music off", true, false, 0, {"SetMusicEnabled off", "StopMusic"}},
        {"sound on: a sample", false, true, 1, {"SetSoundEnabled on", "PlayDissolveSound"}},
        {"sound off", false, false, 0, {"SetSoundEnabled off"}},
    };
    for (const ToggleCase& c : cases) {
        SCOPED_TRACE(c.name);
        state.record.musicOn = state.record.soundOn = 7;
        log.Clear();
        if (c.musicButton) {
            controller.SpeedButton5Click(c.down);
            EXPECT_EQ(state.record.musicOn, c.stored);
        } else {
            controller.SpeedButton6Click(c.down);
            EXPECT_EQ(state.record.soundOn, c.stored);
        }
        EXPECT_EQ(log.calls, c.calls);
    }
}

// The audio is told the switches the record was loaded with; it never reads them.
TEST_F(ControlTest, AudioStartsWithTheStoredSwitches) {
    for (const auto& [musicOn, soundOn] : {std::pair{0, 1}, std::pair{1, 0}}) {
        PersistentState stored;
        stored.record.musicOn = static_cast<std::uint8_t>(musicOn);
        stored.record.soundOn = static_cast<std::uint8_t>(soundOn);
        log.Clear();
        GameController fresh(flags, view, sound, music, stored, random, SystemLocalTime,
                             CountingSeeds(1));
        EXPECT_EQ(log.calls, (std::vector<std::string>{
                                 musicOn ? "SetMusicEnabled on" : "SetMusicEnabled off",
                                 soundOn ? "SetSoundEnabled on" : "SetSoundEnabled off"}));
    }
}

// The dialog gives back what was chosen; the language is stored before the
// windows take it on.
TEST_F(ControlTest, LanguageDialogsChoiceIsStoredOnlyWhenOneWasMade) {
    state.language = 7;
    view.chosenLanguage.reset();
    controller.SpeedButton8Click();
    EXPECT_EQ(state.language, 7);
    view.chosenLanguage = 1;
    controller.SpeedButton8Click();
    EXPECT_EQ(state.language, 1);
}

// At start-up the store's language reaches the windows before its table is
// read: a table of the wrong type leaves the language taken and the table as it was.
TEST_F(ControlTest, StoredSettingsGiveTheLanguageThenJoinTheTable) {
    ScoreTable table{};
    table.Rank(1).score = 900;
    const QByteArray tableBytes(reinterpret_cast<const char*>(&table), sizeof table);
    controller.LoadStoredSettings(StoredSettings(
        {{QStringLiteral("lng"), QStringLiteral("1")}, {QStringLiteral("hsc"), tableBytes}}));
    EXPECT_EQ(state.language, 1);
    EXPECT_EQ(log.calls, std::vector<std::string>{"ApplyLanguage"});
    EXPECT_EQ(state.record.scoreTable.Rank(1).score, 900);

    log.Clear();
    EXPECT_THROW(controller.LoadStoredSettings(
                     StoredSettings({{QStringLiteral("lng"), QStringLiteral("0")},
                                     {QStringLiteral("hsc"), QStringLiteral("hello")}})),
                 StoreError);
    EXPECT_EQ(state.language, 0);
    EXPECT_EQ(log.calls, std::vector<std::string>{"ApplyLanguage"});
    EXPECT_EQ(state.record.scoreTable.Rank(1).score, 900);
}

// The game's own windows take the focus from the main window: a running game
// pauses before one opens, as the pause key pauses it, and stays paused when
// it closes. Switched off, the game goes on behind them.
TEST_F(ControlTest, WindowButtonsPauseARunningGameUnlessSwitchedOff) {
    const std::pair<void (GameController::*)(), std::vector<std::string>> buttons[] = {
        {&GameController::SpeedButton3Click, {"ShowHighScores"}},
        {&GameController::SpeedButton4Click, {"ShowAbout"}},
        {&GameController::SpeedButton7Click, {"ShowRules"}},
        {&GameController::SpeedButton8Click, {"ShowLanguageDialog", "ApplyLanguage"}},
    };
    for (const bool pauseOnFocusLoss : {true, false}) {
        for (const auto& [click, calls] : buttons) {
            SCOPED_TRACE(calls.front() + (pauseOnFocusLoss ? ", pausing on" : ", pausing off"));
            flags = GameFlags{};
            controller.SetPauseOnFocusLoss(pauseOnFocusLoss);
            StartGame();
            bool pausedWhileOpen = false;
            view.onHighScores = [&] { pausedWhileOpen = flags.paused; };

            (controller.*click)();
            std::vector<std::string> expected = calls;
            if (pauseOnFocusLoss) expected.insert(expected.begin(), "StopMusic");
            EXPECT_EQ(log.calls, expected);
            EXPECT_TRUE(flags.gameRunning);
            EXPECT_EQ(flags.paused, pauseOnFocusLoss);
            EXPECT_EQ(view.pauseNotice, pauseOnFocusLoss);
            if (click == &GameController::SpeedButton3Click) {
                EXPECT_EQ(pausedWhileOpen, pauseOnFocusLoss);
            }
        }
    }
    // Without a game, a window pauses nothing.
    flags = GameFlags{};
    controller.SetPauseOnFocusLoss(true);
    log.Clear();
    controller.SpeedButton4Click();
    EXPECT_EQ(log.calls, std::vector<std::string>{"ShowAbout"});
    EXPECT_FALSE(flags.paused);
}

// Wherever the focus goes, a running game pauses once and the well says so;
// losing the focus again never resumes it; only the pause key does.
TEST_F(ControlTest, LosingTheFocusPausesUntilThePlayerResumes) {
    using Loss = GameController::FocusLoss;
    for (const Loss loss : {Loss::ToGameWindow, Loss::ToOtherProgram}) {
        SCOPED_TRACE(loss == Loss::ToGameWindow ? "to a window of the game" : "to another program");
        flags = GameFlags{};
        controller.WindowFocusLost(loss);  // no game: nothing to pause
        EXPECT_FALSE(flags.paused);
        StartGame();
        PlacePiece(4, 3, {1, 2, 3});
        const Board board0 = board();

        controller.WindowFocusLost(loss);
        EXPECT_TRUE(flags.paused);
        EXPECT_TRUE(view.pauseNotice);
        EXPECT_EQ(log.calls, std::vector<std::string>{"StopMusic"});
        controller.WindowFocusLost(Loss::ToGameWindow);
        controller.WindowFocusLost(Loss::ToOtherProgram);
        controller.Timer1Timer();
        controller.FormKeyDown(Qt::Key_Left);
        EXPECT_TRUE(flags.paused);
        EXPECT_EQ(board(), board0);
        EXPECT_EQ(log.Count("StopMusic"), 1);

        log.Clear();
        controller.FormKeyPress(u'p');
        EXPECT_FALSE(flags.paused);
        EXPECT_FALSE(view.pauseNotice);
        EXPECT_EQ(log.calls,
                  (std::vector<std::string>{"NextMusicFile (next)", "PlayMusicFile music/next"}));
    }
}

// Off: focus pauses nothing and a pause shows the pause screen alone, as the
// game always did. Switching it during a pause takes the notice away or back.
TEST_F(ControlTest, PauseOnFocusLossSwitchedOffBringsBackThePlainPause) {
    EXPECT_TRUE(controller.PauseOnFocusLoss()) << "on unless switched off";
    controller.SetPauseOnFocusLoss(false);
    EXPECT_FALSE(controller.PauseOnFocusLoss());
    StartGame();
    controller.WindowFocusLost(GameController::FocusLoss::ToOtherProgram);
    controller.WindowFocusLost(GameController::FocusLoss::ToGameWindow);
    EXPECT_FALSE(flags.paused);
    EXPECT_TRUE(log.calls.empty());

    controller.FormKeyPress(u'p');
    EXPECT_TRUE(flags.paused);
    EXPECT_FALSE(view.pauseNotice);
    controller.SetPauseOnFocusLoss(true);
    EXPECT_TRUE(view.pauseNotice);
    controller.SetPauseOnFocusLoss(false);
    EXPECT_FALSE(view.pauseNotice);
    EXPECT_TRUE(flags.paused) << "the pause itself stays";
}

// The music device reports an error in a box of its own while a piece is
// being started. That box does not pause: a resume would open it again and
// pause again, for ever. Leaving the game from it does pause.
TEST_F(ControlTest, TheMusicErrorBoxPausesOnlyWhenThePlayerLeavesTheGame) {
    using Loss = GameController::FocusLoss;
    StartGame();
    controller.FormKeyPress(u'p');
    music.onPlay = [&] { controller.WindowFocusLost(Loss::ToGameWindow); };
    controller.FormKeyPress(u'p');  // resuming starts a piece; its error box opens
    EXPECT_FALSE(flags.paused);

    music.onPlay = [&] { controller.WindowFocusLost(Loss::ToOtherProgram); };
    controller.EnableTimers();
    state.record.musicOn = 1;
    music.playing = false;
    controller.Timer1Timer();  // the music switch, whose box the player leaves
    EXPECT_TRUE(flags.paused);
    EXPECT_EQ(board(), Board{}) << "the rest of the tick waits for the resume";
    EXPECT_TRUE(view.pauseNotice);
    EXPECT_FALSE(flags.musicBusy);
    EXPECT_TRUE(controller.timer1().Enabled() && controller.timer2().Enabled() &&
                controller.timer3().Enabled());

    // Once the piece is under way, the game's windows pause again.
    music.onPlay = {};
    controller.FormKeyPress(u'p');
    controller.WindowFocusLost(Loss::ToGameWindow);
    EXPECT_TRUE(flags.paused);
}

TEST_F(ControlTest, ShutdownStopsTheTimersForGood) {
    controller.EnableTimers();
    controller.BeginShutdown();
    EXPECT_FALSE(controller.timer1().Enabled());
    EXPECT_FALSE(controller.timer2().Enabled());
    EXPECT_FALSE(controller.timer3().Enabled());

    controller.EnableTimers();
    state.record.musicOn = 1;
    music.playing = false;
    log.Clear();
    controller.Timer1Timer();  // a tick already under way switches no music
    EXPECT_TRUE(log.calls.empty());
    EXPECT_FALSE(controller.timer1().Enabled());
    EXPECT_FALSE(controller.timer3().Enabled());
}

}  // namespace
}  // namespace kwadrill::testing
