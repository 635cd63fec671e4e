#include <QApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <SDL.h>

#include <array>
#include <functional>
#include <list>
#include <optional>
#include <vector>

#include "GameController.h"
#include "GameFlags.h"
#include "GameSession.h"
#include "Gamepads.h"
#include "PersistentState.h"
#include "SilentAudio.h"
#include "TForm1.h"
#include "TForm3.h"
#include "TForm5.h"
#include "VirtualPad.h"

namespace kwadrill {
namespace {

// Only a hung test gets this far; a loaded machine stays far below.
constexpr int kHangMs = 30000;

// Runs events until the condition holds; false only when the game hangs.
bool WaitFor(const std::function<bool()>& condition) {
    const QDeadlineTimer deadline(kHangMs);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Counts the arrow keys the main window receives.
class KeyCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Left || key == Qt::Key_Right) ++arrows;
        }
        return false;
    }
    int arrows = 0;
};

// Steps run one after another from a timer, in whatever event loop runs (a
// modal window's too); a step returns true once it is done. A hung step
// closes the modal windows so the test can fail instead of hanging.
class Steps : public QObject {
public:
    using Step = std::function<bool()>;
    Steps(std::vector<Step> steps, std::function<void()> closeAll)
        : steps_(std::move(steps)), closeAll_(std::move(closeAll)), deadline_(kHangMs) {
        startTimer(5);
    }
    bool Done() const { return next_ == steps_.size(); }
    // Runs the steps left once the modal window has closed; false if one hung.
    bool Finish() {
        WaitFor([this] { return Done() || hung_; });
        return !hung_;
    }

protected:
    void timerEvent(QTimerEvent*) override {
        while (!Done() && steps_[next_]()) ++next_;
        if (!Done() && deadline_.hasExpired()) {
            hung_ = true;
            closeAll_();
        }
    }

private:
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    bool hung_ = false;
    std::function<void()> closeAll_;
    QDeadlineTimer deadline_;
};

// The main window and the game on it, with a watcher for pads, as the
// program has them. The test gives the ticks itself.
class GamepadTest : public ::testing::Test {
protected:
    GamepadTest()
        : session_(effects_, music_, QuietSession()), pads_(form_, *form_.SpeedButton(1)) {
        session_.Arrange();
        controller_.timer1().SetEnabled(false);
        controller_.timer2().SetEnabled(false);
        form_.show();
        form_.activateWindow();
        pads_.Open();
    }

    void SetUp() override {
        ASSERT_TRUE(pads_.IsOpen());
        ASSERT_TRUE(
            WaitFor([] { return QGuiApplication::applicationState() == Qt::ApplicationActive; }));
    }

    VirtualPad& PlugIn() {
        VirtualPad& pad = virtualPads_.emplace_back();
        EXPECT_TRUE(pad.Plugged()) << SDL_GetError();
        const int count = static_cast<int>(virtualPads_.size());
        EXPECT_TRUE(WaitFor([&] { return pads_.PadCount() == count; }));
        return pad;
    }

    // Down and up, each seen by the watcher, and the key handed out.
    static void Tap(VirtualPad& pad, int button) {
        ASSERT_TRUE(pad.SetButton(button, true));
        ASSERT_TRUE(WaitFor([&] { return pad.ButtonShown(button); }));
        ASSERT_TRUE(pad.SetButton(button, false));
        ASSERT_TRUE(WaitFor([&] { return !pad.ButtonShown(button); }));
        QCoreApplication::sendPostedEvents();
    }

    static void Tilt(VirtualPad& pad, int axis, int value) {
        ASSERT_TRUE(pad.SetAxis(axis, value));
        ASSERT_TRUE(WaitFor([&] { return pad.AxisShown(axis) == value; }));
        QCoreApplication::sendPostedEvents();
    }

    void StartWithPiece() {
        controller_.SpeedButton1Click();
        controller_.Timer1Timer();  // the first main tick spawns the piece
        ASSERT_TRUE(controller_.engine().PieceCanMove());
    }
    int PieceColumn() const { return controller_.engine().fallingPiece.blocks[0].column; }
    // Towards the wall that is further away, so the piece can take a step.
    int RoomyButton() const {
        return PieceColumn() > 1 ? SDL_CONTROLLER_BUTTON_DPAD_LEFT
                                 : SDL_CONTROLLER_BUTTON_DPAD_RIGHT;
    }
    int RoomyStep() const { return PieceColumn() > 1 ? -1 : 1; }
    std::array<int, 3> PieceTypes() {
        std::array<int, 3> types{};
        for (std::size_t k = 0; k < 3; ++k) {
            const CellPosition cell = controller_.engine().fallingPiece.blocks[k];
            types[k] = controller_.engine().board.At(cell.column, cell.row);
        }
        return types;
    }

    static SessionSetup QuietSession() {
        SessionSetup setup;
        setup.seed = 7;
        setup.record.musicOn = 0;
        return setup;
    }

    test::SilentEffects effects_;
    test::SilentMusic music_;
    GameSession session_;
    TForm1& form_ = session_.window();
    GameController& controller_ = session_.controller();
    GameFlags& flags_ = session_.flags();
    Gamepads pads_;
    std::list<VirtualPad> virtualPads_;  // unplugged before the watcher closes SDL's subsystem
};

TEST_F(GamepadTest, PadsPluggedInDuringTheGameStartMoveCyclePauseAndDrop) {
    EXPECT_EQ(pads_.PumpInterval(), Gamepads::kIdlePumpMs);
    VirtualPad& first = PlugIn();
    EXPECT_EQ(pads_.PumpInterval(), Gamepads::kPadPumpMs);

    Tap(first, SDL_CONTROLLER_BUTTON_BACK);
    ASSERT_TRUE(WaitFor([&] { return flags_.gameRunning; }));
    controller_.Timer1Timer();
    ASSERT_TRUE(controller_.engine().PieceCanMove());

    const int column = PieceColumn();
    const int step = RoomyStep();
    Tap(first, RoomyButton());
    EXPECT_TRUE(WaitFor([&] { return PieceColumn() == column + step; }));

    // A second pad steers the same game.
    VirtualPad& second = PlugIn();
    const std::array<int, 3> types = PieceTypes();
    Tap(second, SDL_CONTROLLER_BUTTON_A);
    EXPECT_TRUE(WaitFor([&] { return PieceTypes() == std::array{types[2], types[0], types[1]}; }));

    Tap(first, SDL_CONTROLLER_BUTTON_START);
    ASSERT_TRUE(WaitFor([&] { return flags_.paused; }));
    // The keys' rules hold for the pad: a paused piece does not move.
    const int pausedColumn = PieceColumn();
    Tap(second, RoomyButton());
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(PieceColumn(), pausedColumn);
    Tap(second, SDL_CONTROLLER_BUTTON_START);
    ASSERT_TRUE(WaitFor([&] { return !flags_.paused; }));

    Tap(first, SDL_CONTROLLER_BUTTON_B);
    EXPECT_TRUE(WaitFor([&] { return flags_.collapsing; }));
    // Back starts nothing while a game runs (a new start would end the drop).
    Tap(first, SDL_CONTROLLER_BUTTON_BACK);
    EXPECT_TRUE(flags_.collapsing);
}

TEST_F(GamepadTest, ARestingOrSlightlyTiltedStickMovesNothing) {
    VirtualPad& pad = PlugIn();
    StartWithPiece();
    const int column = PieceColumn();
    const std::array<int, 3> types = PieceTypes();
    const std::pair<int, int> positions[] = {{0, 0},    {2500, -1800}, {-9000, 0}, {9000, 0},
                                             {0, 9000}, {-8000, 8000}, {0, 0}};
    for (const auto& [x, y] : positions) {
        Tilt(pad, SDL_CONTROLLER_AXIS_LEFTX, x);
        Tilt(pad, SDL_CONTROLLER_AXIS_LEFTY, y);
    }
    EXPECT_EQ(PieceColumn(), column);
    EXPECT_EQ(PieceTypes(), types);
    EXPECT_FALSE(flags_.collapsing);

    // Pushed far enough, the same stick does move it.
    const int step = RoomyStep();
    Tilt(pad, SDL_CONTROLLER_AXIS_LEFTX, step * 30000);
    EXPECT_TRUE(WaitFor([&] { return PieceColumn() == column + step; }));
}

TEST_F(GamepadTest, UnpluggingThePadMidHoldStopsTheRepeat) {
    KeyCounter keys;
    form_.installEventFilter(&keys);
    VirtualPad& pad = PlugIn();
    ASSERT_TRUE(pad.SetButton(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true));
    ASSERT_TRUE(WaitFor([&] { return keys.arrows >= 3; }));  // the press and two repeats
    EXPECT_TRUE(pads_.RepeatPending());

    pad.Unplug();
    ASSERT_TRUE(WaitFor([&] { return pads_.PadCount() == 0; }));
    EXPECT_FALSE(pads_.RepeatPending());
    EXPECT_EQ(pads_.PumpInterval(), Gamepads::kIdlePumpMs);
    QCoreApplication::sendPostedEvents();
    const int arrows = keys.arrows;
    QTest::qWait(300);  // nine repeat periods
    EXPECT_EQ(keys.arrows, arrows);
}

// A control held when the main window loses the focus is let go, as a
// keyboard's key is: its repeat stops for good, and only a new press acts.
TEST_F(GamepadTest, HeldButtonIsLetGoWhenTheMainWindowLosesTheFocus) {
    KeyCounter keys;
    form_.installEventFilter(&keys);
    VirtualPad& pad = PlugIn();
    ASSERT_TRUE(pad.SetButton(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true));
    ASSERT_TRUE(WaitFor([&] { return keys.arrows >= 2; }));  // the press and a repeat
    EXPECT_TRUE(pads_.RepeatPending());

    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return QGuiApplication::focusWindow() == other.windowHandle(); }));
    EXPECT_FALSE(pads_.RepeatPending());
    form_.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return QGuiApplication::focusWindow() == form_.windowHandle(); }));
    // Still held: the pad is read on, and nothing repeats.
    ASSERT_TRUE(pad.SetButton(SDL_CONTROLLER_BUTTON_A, true));
    ASSERT_TRUE(WaitFor([&] { return pad.ButtonShown(SDL_CONTROLLER_BUTTON_A); }));
    EXPECT_FALSE(pads_.RepeatPending());

    QCoreApplication::sendPostedEvents();
    const int arrows = keys.arrows;
    ASSERT_TRUE(pad.SetButton(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false));
    ASSERT_TRUE(WaitFor([&] { return !pad.ButtonShown(SDL_CONTROLLER_BUTTON_DPAD_RIGHT); }));
    ASSERT_TRUE(pad.SetButton(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true));
    EXPECT_TRUE(WaitFor([&] { return keys.arrows > arrows; })) << "a new press acts again";
}

// A player who has bound other keys steers with the pad as before: it
// presses the keys of its actions, and a held shift repeats at the
// player's pace where one is set.
TEST_F(GamepadTest, PadsPressTheKeysThePlayerHasBound) {
    PlayerSettings settings;
    settings.keys = {Qt::Key_A, Qt::Key_D, Qt::Key_W, Qt::Key_S, Qt::Key_Space};
    ASSERT_TRUE(session_.playerSettings().Apply(settings));
    pads_.SetGameKeys({Qt::Key_A, Qt::Key_D, Qt::Key_W, Qt::Key_S, Qt::Key_Space});
    VirtualPad& pad = PlugIn();
    StartWithPiece();
    const int column = PieceColumn();
    const int step = RoomyStep();
    Tap(pad, RoomyButton());
    EXPECT_TRUE(WaitFor([&] { return PieceColumn() == column + step; }));
    Tap(pad, SDL_CONTROLLER_BUTTON_START);
    EXPECT_TRUE(WaitFor([&] { return flags_.paused; }));

    const PadState::RepeatTiming keyboard = Gamepads::KeyboardRepeat();
    pads_.SetRepeat(std::chrono::milliseconds(200), 10);
    EXPECT_EQ(pads_.Repeat().delay, std::chrono::milliseconds(200));
    EXPECT_EQ(pads_.Repeat().interval, std::chrono::milliseconds(100));
    pads_.SetRepeat(std::nullopt, 20);
    EXPECT_EQ(pads_.Repeat().delay, keyboard.delay);
    EXPECT_EQ(pads_.Repeat().interval, std::chrono::milliseconds(50));
    pads_.SetRepeat(std::nullopt, std::nullopt);
    EXPECT_EQ(pads_.Repeat().interval, keyboard.interval);
}

TEST_F(GamepadTest, BClosesADialogAndAConfirmsItsDefaultButton) {
    VirtualPad& pad = PlugIn();
    const auto tap = [&pad](int button) -> std::vector<Steps::Step> {
        return {[&pad, button] { return pad.SetButton(button, true); },
                [&pad, button] { return pad.ButtonShown(button); },
                [&pad, button] { return pad.SetButton(button, false); },
                [&pad, button] { return !pad.ButtonShown(button); }};
    };
    const auto opened = [](QWidget* window) -> Steps::Step {
        return [window] { return QApplication::activeModalWidget() == window; };
    };
    const auto closeAll = [this] { form_.CloseModalWindows(); };
    const auto join = [](std::vector<std::vector<Steps::Step>> parts) {
        std::vector<Steps::Step> all;
        for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
        return all;
    };

    {
        Steps steps(join({{opened(form_.RulesWindow())}, tap(SDL_CONTROLLER_BUTTON_B)}), closeAll);
        form_.ShowRules();  // returns when the window has closed
        EXPECT_TRUE(steps.Finish());
    }

    // The name-entry dialog keeps its rule: no empty name.
    bool openWithEmptyName = false;
    {
        Steps steps(join({{opened(form_.NameEntryDialog()),
                           [this] {
                               QTest::keyClick(form_.NameEntryDialog()->focusWidget(),
                                               Qt::Key_Backspace);
                               return true;
                           }},
                          tap(SDL_CONTROLLER_BUTTON_A),
                          {[&] {
                              QCoreApplication::sendPostedEvents();
                              openWithEmptyName = form_.NameEntryDialog()->isVisible();
                              QTest::keyClicks(form_.NameEntryDialog()->focusWidget(),
                                               QStringLiteral("Pad"));
                              return true;
                          }},
                          tap(SDL_CONTROLLER_BUTTON_A)}),
                    closeAll);
        EXPECT_EQ(form_.ShowNameEntry(QStringLiteral("Someone")), QStringLiteral("Pad"));
        EXPECT_TRUE(steps.Finish());
    }
    EXPECT_TRUE(openWithEmptyName);

    {
        Steps steps(join({{[] { return QApplication::activeModalWidget() != nullptr; }},
                          tap(SDL_CONTROLLER_BUTTON_A)}),
                    closeAll);
        form_.ShowGameOverBox();
        EXPECT_TRUE(steps.Finish());
    }
}

}  // namespace
}  // namespace kwadrill
