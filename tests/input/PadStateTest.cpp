#include <gtest/gtest.h>

#include <SDL_gamecontroller.h>

#include <chrono>
#include <vector>

#include "PadState.h"

namespace kwadrill {
namespace {

using namespace std::chrono_literals;
using Time = PadState::Clock::time_point;

constexpr int kPad = 3;
constexpr int kOtherPad = 7;
const Time kStart = Time{} + 1h;

class PadStateTest : public ::testing::Test {
protected:
    PadStateTest()
        : state_({500ms, 40ms}, [this](const PadBinding& b) { presses_.push_back(b.game); }) {}

    std::vector<GameKey> Take() { return std::exchange(presses_, {}); }
    void Button(int button, bool down, Time at = kStart, int pad = kPad) {
        state_.Button(pad, button, down, at);
    }
    void Stick(int x, int y, Time at = kStart, int pad = kPad) {
        state_.Axis(pad, SDL_CONTROLLER_AXIS_LEFTX, x, at);
        state_.Axis(pad, SDL_CONTROLLER_AXIS_LEFTY, y, at);
    }

    std::vector<GameKey> presses_;
    PadState state_;
};

using Keys = std::vector<GameKey>;

TEST_F(PadStateTest, EachButtonGivesItsKeyOnceWhenPressed) {
    struct Case {
        SDL_GameControllerButton button;
        GameKey game;
        DialogKey dialog;
    };
    const Case cases[] = {
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, GameKey::Left, DialogKey::None},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, GameKey::Right, DialogKey::None},
        {SDL_CONTROLLER_BUTTON_DPAD_UP, GameKey::Cycle, DialogKey::None},
        {SDL_CONTROLLER_BUTTON_A, GameKey::Cycle, DialogKey::Confirm},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, GameKey::Drop, DialogKey::None},
        {SDL_CONTROLLER_BUTTON_B, GameKey::Drop, DialogKey::Dismiss},
        {SDL_CONTROLLER_BUTTON_START, GameKey::Pause, DialogKey::None},
        {SDL_CONTROLLER_BUTTON_BACK, GameKey::Start, DialogKey::None},
        {SDL_CONTROLLER_BUTTON_X, GameKey::None, DialogKey::None},
        {SDL_CONTROLLER_BUTTON_Y, GameKey::None, DialogKey::None},
        {SDL_CONTROLLER_BUTTON_GUIDE, GameKey::None, DialogKey::None},
        {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, GameKey::None, DialogKey::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(SDL_GameControllerGetStringForButton(c.button));
        Button(c.button, true);
        Button(c.button, false, kStart + 10ms);
        EXPECT_EQ(Take(), c.game == GameKey::None ? Keys{} : Keys{c.game});
        const PadBinding* binding = ButtonBinding(c.button);
        EXPECT_EQ(binding ? binding->dialog : DialogKey::None, c.dialog);
    }
}

TEST_F(PadStateTest, AHeldShiftRepeatsAfterTheDelayAtTheRateUntilReleased) {
    Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    EXPECT_EQ(Take(), Keys{GameKey::Left});
    EXPECT_EQ(state_.NextRepeat(), kStart + 500ms);
    state_.Advance(kStart + 499ms);
    EXPECT_EQ(Take(), Keys{});
    state_.Advance(kStart + 500ms);
    state_.Advance(kStart + 539ms);
    state_.Advance(kStart + 540ms);
    EXPECT_EQ(Take(), (Keys{GameKey::Left, GameKey::Left}));
    EXPECT_EQ(state_.NextRepeat(), kStart + 580ms);

    Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false, kStart + 560ms);
    EXPECT_EQ(state_.NextRepeat(), std::nullopt);
    state_.Advance(kStart + 10s);
    EXPECT_EQ(Take(), Keys{});
}

// A pump that comes late (a busy machine) gives one move, not a burst.
TEST_F(PadStateTest, ALateCallGivesOneRepeatAndTheRateGoesOnFromThere) {
    Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    Take();
    state_.Advance(kStart + 2s);
    EXPECT_EQ(Take(), Keys{GameKey::Right});
    EXPECT_EQ(state_.NextRepeat(), kStart + 2s + 40ms);
}

TEST_F(PadStateTest, OnlyTheShiftPressedLastRepeatsAndOtherButtonsLeaveItRepeating) {
    Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true, kStart + 100ms);
    state_.Advance(kStart + 600ms);
    EXPECT_EQ(Take(), (Keys{GameKey::Left, GameKey::Right, GameKey::Right}));

    // Letting go of the other shift changes nothing; a tap of A cycles once.
    Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false, kStart + 610ms);
    Button(SDL_CONTROLLER_BUTTON_A, true, kStart + 620ms);
    state_.Advance(kStart + 640ms);
    EXPECT_EQ(Take(), (Keys{GameKey::Cycle, GameKey::Right}));

    Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false, kStart + 650ms);
    state_.Advance(kStart + 5s);
    EXPECT_EQ(Take(), Keys{});
}

TEST_F(PadStateTest, DownDropsOnceHoweverLongItIsHeld) {
    Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    Stick(0, 32767, kStart + 10ms);
    state_.Advance(kStart + 5s);
    EXPECT_EQ(Take(), (Keys{GameKey::Drop, GameKey::Drop}));
    EXPECT_EQ(state_.NextRepeat(), std::nullopt);
}

TEST_F(PadStateTest, AnUnpluggedPadLetsGoOfWhatItHeldAndTheOthersPlayOn) {
    Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    state_.PadRemoved(kPad);
    state_.Advance(kStart + 5s);
    EXPECT_EQ(Take(), Keys{GameKey::Left});

    Stick(32767, 0, kStart + 5s, kOtherPad);
    Stick(-32768, 0, kStart + 5s, kPad);
    state_.PadRemoved(kPad);
    state_.Advance(kStart + 6s);
    EXPECT_EQ(Take(), (Keys{GameKey::Right, GameKey::Left}));

    // The stick of the unplugged pad starts from rest when it comes back.
    Stick(-32768, 0, kStart + 6s, kPad);
    EXPECT_EQ(Take(), Keys{GameKey::Left});
    state_.PadRemoved(kOtherPad);
    state_.Advance(kStart + 6s + 500ms);
    EXPECT_EQ(Take(), Keys{GameKey::Left});
}

TEST_F(PadStateTest, TriggersAndTheRightStickDoNothing) {
    state_.Axis(kPad, SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767, kStart);
    state_.Axis(kPad, SDL_CONTROLLER_AXIS_RIGHTX, -32768, kStart);
    state_.Axis(kPad, SDL_CONTROLLER_AXIS_RIGHTY, 32767, kStart);
    state_.Advance(kStart + 5s);
    EXPECT_EQ(Take(), Keys{});
}

// A stick moved through a path of positions, and the keys it gives.
TEST_F(PadStateTest, TheStickHasADeadZoneWithHysteresis) {
    struct Case {
        const char* what;
        std::vector<std::pair<int, int>> path;
        Keys keys;
    };
    const Case cases[] = {
        {"resting with drift", {{1500, -900}, {-2500, 3000}, {0, 0}}, {}},
        {"slightly tilted", {{-9830, 0}, {9830, 0}, {0, 9830}, {-9000, 9000}}, {}},
        {"pushed past half way", {{-16384, 0}}, {GameKey::Left}},
        {"held between the thresholds",
         {{20000, 0}, {12000, 0}, {15000, 0}, {12000, 3000}},
         {GameKey::Right}},
        {"let go below the release threshold and pushed again",
         {{20000, 0}, {11000, 0}, {17000, 0}},
         {GameKey::Right, GameKey::Right}},
        {"down", {{0, 25000}}, {GameKey::Drop}},
        {"up moves nothing", {{0, -32768}, {-14000, -32768}}, {}},
        {"a diagonal belongs to the axis that leads", {{-20000, 19000}}, {GameKey::Left}},
        {"rolled from left to down",
         {{-30000, 0}, {-21000, 21000}, {-12000, 28000}},
         {GameKey::Left, GameKey::Drop}},
        {"straight from left to right", {{-30000, 0}, {30000, 0}}, {GameKey::Left, GameKey::Right}},
    };
    int pad = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ++pad;  // a fresh stick for each path
        for (const auto& [x, y] : c.path) Stick(x, y, kStart, pad);
        EXPECT_EQ(Take(), c.keys);
        state_.PadRemoved(pad);
    }
}

TEST_F(PadStateTest, TheStickRepeatsLikeTheDpadAndStopsWhenLetGo) {
    Stick(-30000, 0);
    state_.Advance(kStart + 500ms);
    Stick(-13000, 0, kStart + 520ms);  // still held
    state_.Advance(kStart + 540ms);
    Stick(-5000, 0, kStart + 560ms);
    state_.Advance(kStart + 5s);
    EXPECT_EQ(Take(), (Keys{GameKey::Left, GameKey::Left, GameKey::Left}));
}

}  // namespace
}  // namespace kwadrill
