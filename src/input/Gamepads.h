#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <map>
#include <memory>
#include <optional>

#include <SDL_events.h>
#include <SDL_gamecontroller.h>

#include "PadState.h"

class QAbstractButton;
class QWidget;

namespace kwadrill {

class PadScript;

// Every game controller SDL knows, plugged in at any time, steering the one
// game through the main window's own key handling: a pad's press becomes the
// key event a keyboard would send, so every rule for keys applies unchanged.
// While a modal window is open, A is Return (its default button) and B is
// Escape, given to that window as a keyboard would give them. Nothing reaches
// the game while none of its windows is active, and whatever is held when the
// main window loses the focus is let go.
//
// SDL is asked for events on a timer: rarely while no pad is plugged in (to
// see one arrive), at input rate while one is, and at each repeat when it
// is due.
class Gamepads : public QObject {
public:
    static constexpr int kIdlePumpMs = 500;
    static constexpr int kPadPumpMs = 10;

    // The main window receives the keys; Back clicks its Start button.
    Gamepads(QWidget& mainWindow, QAbstractButton& startButton);
    ~Gamepads() override;
    Gamepads(const Gamepads&) = delete;
    Gamepads& operator=(const Gamepads&) = delete;

    // Opens SDL's game-controller subsystem and starts watching. If it cannot
    // open, one line on stderr and the game goes on without pads. Tests may
    // give a file of presses for a virtual pad to play (see PadScript).
    void Open(const QString& padScript = {});
    bool IsOpen() const { return open_; }
    int PadCount() const { return static_cast<int>(pads_.size()); }
    // The pump's current period, and whether a repeat is waiting to fire.
    int PumpInterval() const { return pump_.interval(); }
    bool RepeatPending() const { return state_.NextRepeat().has_value(); }

    // The platform's keyboard auto-repeat, where Qt tells it.
    static PadState::RepeatTiming KeyboardRepeat();

    // The keys the pads press for the game, as the player has bound them.
    struct GameKeys {
        int left = Qt::Key_Left;
        int right = Qt::Key_Right;
        int cycle = Qt::Key_Up;
        int drop = Qt::Key_Down;
        int pause = Qt::Key_P;
    };
    void SetGameKeys(const GameKeys& keys) { keys_ = keys; }
    // A held shift repeats as the keyboard does, but for what the player set.
    void SetRepeat(std::optional<std::chrono::milliseconds> delay, std::optional<int> perSecond);
    const PadState::RepeatTiming& Repeat() const { return state_.Timing(); }

private:
    void Pump();
    void Handle(const SDL_Event& event);
    void AddPad(int deviceIndex);
    void RemovePad(SDL_JoystickID id);
    void Reschedule();
    void Deliver(const PadBinding& binding);
    void DeliverToGame(GameKey key);
    static void DeliverToDialog(QWidget& modal, DialogKey key);
    void CloseAll();

    QWidget& mainWindow_;
    QAbstractButton& startButton_;
    PadState state_;
    GameKeys keys_;
    QTimer pump_;
    QTimer repeat_;
    std::map<SDL_JoystickID, SDL_GameController*> pads_;
    std::unique_ptr<PadScript> script_;
    bool open_ = false;
};

}  // namespace kwadrill
