#include <string>
#include <vector>

#include "ControlFixture.h"
#include "HeldKeyRepeat.h"
#include "PlayerSettingsOwner.h"

namespace kwadrill::testing {
namespace {

// Keys of the left hand: A, D, W, S, and Space to pause.
KeyBindings LeftHandKeys() {
    return {Qt::Key_A, Qt::Key_D, Qt::Key_W, Qt::Key_S, Qt::Key_Space};
}

class PlayerSettingsOwnerTest : public ControlTest {
protected:
    PlayerSettingsOwnerTest() {
        owner.Subscribe([this](const PlayerSettings& settings) {
            pushed.push_back(settings);
            controller.SetKeyBindings(settings.keys);
        });
        log.Clear();
        pushed.clear();
    }

    PlayerSettingsOwner owner{sound, music};
    std::vector<PlayerSettings> pushed;
};

TEST_F(PlayerSettingsOwnerTest, TheAudioStartsAtFullVolumeAndASubscriberWithTheCurrentSettings) {
    CallLog fresh;
    FakeSoundEffects freshSound{fresh};
    FakeMusicControl freshMusic{fresh};
    PlayerSettingsOwner other(freshSound, freshMusic);
    EXPECT_EQ(fresh.calls,
              (std::vector<std::string>{"SetMusicVolume 100", "SetEffectsVolume 100"}));
    std::vector<PlayerSettings> got;
    other.Subscribe([&got](const PlayerSettings& settings) { got.push_back(settings); });
    EXPECT_EQ(got, std::vector<PlayerSettings>{PlayerSettings{}});
}

TEST_F(PlayerSettingsOwnerTest, VolumesReachTheAudioAndEverySubscriberGetsTheChange) {
    PlayerSettings settings;
    settings.musicVolume = 50;
    settings.effectsVolume = 30;
    settings.fullScreen = true;

    EXPECT_TRUE(owner.Apply(settings));
    EXPECT_EQ(log.calls, (std::vector<std::string>{"SetMusicVolume 50", "SetEffectsVolume 30"}));
    EXPECT_EQ(pushed, std::vector<PlayerSettings>{settings});
    EXPECT_EQ(owner.Current(), settings);

    // The volumes go to the audio only when they change; the same settings
    // again push nothing.
    log.Clear();
    settings.fullScreen = false;
    EXPECT_TRUE(owner.Apply(settings));
    EXPECT_TRUE(owner.Apply(settings));
    EXPECT_TRUE(log.calls.empty());
    EXPECT_EQ(pushed.size(), 2U);
}

TEST_F(PlayerSettingsOwnerTest, SettingsThatAreNotValidAreRefusedWhole) {
    struct Bad {
        const char* name;
        void (*spoil)(PlayerSettings&);
    };
    const Bad cases[] = {
        {"a key on two actions", [](PlayerSettings& s) { s.keys.pause = s.keys.left; }},
        {"Escape as a key", [](PlayerSettings& s) { s.keys.drop = Qt::Key_Escape; }},
        {"a modifier as a key", [](PlayerSettings& s) { s.keys.cycle = Qt::Key_Shift; }},
        {"volume above 100", [](PlayerSettings& s) { s.musicVolume = 101; }},
        {"volume below 0", [](PlayerSettings& s) { s.effectsVolume = -1; }},
        {"repeat delay too short", [](PlayerSettings& s) { s.repeatDelayMs = 20; }},
        {"no repeats", [](PlayerSettings& s) { s.repeatRate = 0; }},
        {"zoom between the steps", [](PlayerSettings& s) { s.zoom = 1.75; }},
    };
    for (const Bad& bad : cases) {
        SCOPED_TRACE(bad.name);
        PlayerSettings settings;
        settings.musicVolume = 40;
        bad.spoil(settings);
        EXPECT_FALSE(owner.Apply(settings));
        EXPECT_EQ(owner.Current(), PlayerSettings{});
        EXPECT_TRUE(log.calls.empty());
        EXPECT_TRUE(pushed.empty());
    }
}

TEST_F(PlayerSettingsOwnerTest, ARemappedKeyDrivesTheEngineAndTheOldKeyNoLongerDoes) {
    PlayerSettings settings;
    settings.keys = LeftHandKeys();
    ASSERT_TRUE(owner.Apply(settings));
    StartGame();
    PlacePiece(4, 3, {1, 2, 3});

    for (const int old : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down}) {
        controller.FormKeyDown(old);
    }
    EXPECT_EQ(engine().fallingPiece.blocks[0].column, 4);
    EXPECT_EQ(board().At(4, 3), 1);
    EXPECT_FALSE(flags.collapsing);

    controller.FormKeyDown(Qt::Key_A);
    EXPECT_EQ(engine().fallingPiece.blocks[0].column, 3);
    controller.FormKeyDown(Qt::Key_D);
    controller.FormKeyDown(Qt::Key_D);
    EXPECT_EQ(engine().fallingPiece.blocks[0].column, 5);
    controller.FormKeyDown(Qt::Key_W);
    EXPECT_EQ(board().At(5, 3), 3);
    // The same keys on the Russian layout: Ф, В, Ц and Ы.
    controller.FormKeyDown(0x0424);
    EXPECT_EQ(engine().fallingPiece.blocks[0].column, 4);
    controller.FormKeyDown(0x0412);
    EXPECT_EQ(engine().fallingPiece.blocks[0].column, 5);
    controller.FormKeyDown(0x0426);
    EXPECT_EQ(board().At(5, 3), 2);
    controller.FormKeyDown(0x042B);
    EXPECT_TRUE(flags.collapsing);
}

// A pause key of the player's own pauses and resumes (the pause itself
// refuses every other key), and the characters of P no longer do.
TEST_F(PlayerSettingsOwnerTest, ARemappedPauseKeyTakesOverFromTheCharactersOfP) {
    PlayerSettings settings;
    settings.keys = LeftHandKeys();
    ASSERT_TRUE(owner.Apply(settings));
    StartGame();

    for (QChar character : {QChar(u'p'), QChar(u'P'), QChar(0x0437), QChar(0x0417)}) {
        controller.FormKeyDown(character == u'p' || character == u'P' ? Qt::Key_P : 0x0417);
        controller.FormKeyPress(character);
    }
    EXPECT_FALSE(flags.paused);
    controller.FormKeyDown(Qt::Key_Space);
    EXPECT_TRUE(flags.paused);
    controller.FormKeyDown(Qt::Key_Space);
    EXPECT_FALSE(flags.paused);
    flags.musicBusy = true;
    controller.FormKeyDown(Qt::Key_Space);
    EXPECT_FALSE(flags.paused);

    // Pause on O: its Russian key Щ pauses too; P is free for another action.
    flags.musicBusy = false;
    settings.keys.pause = Qt::Key_O;
    settings.keys.drop = Qt::Key_P;
    ASSERT_TRUE(owner.Apply(settings));
    controller.FormKeyDown(0x0429);
    EXPECT_TRUE(flags.paused);
    controller.FormKeyPress(u'o');
    EXPECT_TRUE(flags.paused);
}

// The game's own repeat, with its timer's ticks called by hand. Time stamps
// count from 1000.
class HeldKeyRepeatTest : public ::testing::Test {
protected:
    HeldKeyRepeatTest() { repeat.Configure(Qt::Key_A, Qt::Key_D, 250, 20, 500, 30); }

    std::vector<int> pressed;
    HeldKeyRepeat repeat{[this](int key) { pressed.push_back(key); }};
};

TEST_F(HeldKeyRepeatTest, WithoutValuesOfItsOwnTheKeyboardRepeats) {
    repeat.Configure(Qt::Key_Left, Qt::Key_Right, std::nullopt, std::nullopt, 500, 30);
    EXPECT_FALSE(repeat.Active());
    EXPECT_TRUE(repeat.KeyDown(Qt::Key_Left, false, 1000));
    repeat.KeyUp(Qt::Key_Left, false, 1500);
    EXPECT_TRUE(repeat.KeyDown(Qt::Key_Left, false, 1500));
    EXPECT_TRUE(repeat.KeyDown(Qt::Key_Left, true, 1540));
    EXPECT_FALSE(repeat.Repeating());
}

TEST_F(HeldKeyRepeatTest, AHeldShiftKeyRepeatsAfterTheDelayAtTheRateUntilReleased) {
    ASSERT_TRUE(repeat.Active());
    EXPECT_TRUE(repeat.KeyDown(Qt::Key_A, false, 1000));  // the game takes the press itself
    EXPECT_TRUE(repeat.Repeating());
    EXPECT_EQ(repeat.NextTickMs(), 250);
    // The keyboard's repeats are dropped: a release and a press of one time
    // stamp, whether Qt flagged them or not.
    repeat.KeyUp(Qt::Key_A, true, 1500);
    EXPECT_FALSE(repeat.KeyDown(Qt::Key_A, true, 1500));
    repeat.KeyUp(Qt::Key_A, false, 1540);
    EXPECT_FALSE(repeat.KeyDown(Qt::Key_A, false, 1540));
    EXPECT_TRUE(repeat.Repeating());
    repeat.Tick();
    EXPECT_EQ(repeat.NextTickMs(), 50);
    repeat.Tick();
    EXPECT_EQ(pressed, (std::vector<int>{Qt::Key_A, Qt::Key_A}));

    // Let go: no press follows, and the next tick moves nothing.
    repeat.KeyUp(Qt::Key_A, false, 1800);
    EXPECT_FALSE(repeat.Repeating());
    repeat.Tick();
    EXPECT_EQ(pressed.size(), 2U);
    // Pressed again later: a key of its own, taken by the game.
    EXPECT_TRUE(repeat.KeyDown(Qt::Key_A, false, 1950));
    EXPECT_EQ(repeat.NextTickMs(), 250);
}

TEST_F(HeldKeyRepeatTest, OtherKeysLeaveItRepeatingAndTheOtherShiftKeyTakesOver) {
    // The system's values stand in for the ones the player left unset.
    repeat.Configure(Qt::Key_A, Qt::Key_D, std::nullopt, 10, 400, 30);
    EXPECT_TRUE(repeat.KeyDown(Qt::Key_A, false, 1000));
    EXPECT_EQ(repeat.NextTickMs(), 400);
    EXPECT_TRUE(repeat.KeyDown(Qt::Key_W, false, 1100));
    EXPECT_TRUE(repeat.KeyDown(Qt::Key_W, true, 1200));  // not a shift key: the keyboard's own
    repeat.KeyUp(Qt::Key_W, false, 1300);
    repeat.Tick();
    EXPECT_EQ(repeat.NextTickMs(), 100);
    // The Russian-layout key of D: В.
    EXPECT_TRUE(repeat.KeyDown(0x0412, false, 1450));
    repeat.KeyUp(Qt::Key_A, false, 1460);  // the key let go is not the one that repeats
    repeat.Tick();
    EXPECT_EQ(pressed, (std::vector<int>{Qt::Key_A, 0x0412}));
    repeat.Stop();
    EXPECT_FALSE(repeat.Repeating());
}

}  // namespace
}  // namespace kwadrill::testing
