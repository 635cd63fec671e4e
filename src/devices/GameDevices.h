#pragma once

#include <QString>

#include <functional>
#include <optional>

#include "MusicControl.h"
#include "SoundEffects.h"

class QAbstractButton;
class QWidget;

namespace kwadrill {

// What the devices module needs from the program: where the music files
// are, a generator for the effects' variants, a way to show a music device
// error, and the window the gamepads steer with its Start button.
struct DeviceSetup {
    QString scratchDirectory;
    std::function<int(int)> random;
    std::function<void(const QString&)> showError;
    QWidget* mainWindow = nullptr;
    QAbstractButton* startButton = nullptr;
};

// What the pads press for the game: the keys as the player has bound them
// (Qt key codes), and how a held shift repeats, the keyboard's way (as Qt
// tells it) unless the player has set a delay or a rate.
struct PadKeys {
    int left = Qt::Key_Left;
    int right = Qt::Key_Right;
    int cycle = Qt::Key_Up;
    int drop = Qt::Key_Down;
    int pause = Qt::Key_P;
    std::optional<int> repeatDelayMs;
    std::optional<int> repeatRate;  // per second
    friend bool operator==(const PadKeys&, const PadKeys&) = default;
};

// The sound output, the music and the gamepads of a real machine. They live
// in a module of their own, loaded once the window is up, so that the
// libraries they bring do not stand between a player and the first window.
class GameDevices {
public:
    virtual ~GameDevices() = default;

    virtual SoundEffects& effects() = 0;
    virtual MusicControl& music() = 0;
    // Opens the audio device and decodes the effects, then the gamepads.
    virtual void Open() = 0;
    // The gamepads let go of the main window; before it goes.
    virtual void CloseGamepads() = 0;
    virtual void SetPadKeys(const PadKeys& keys) = 0;
};

// The module's one entry point, by this name; the caller owns the result.
using MakeGameDevicesFunction = GameDevices* (*)(const DeviceSetup&);
inline constexpr char kMakeGameDevicesSymbol[] = "kwadrill_make_game_devices";

}  // namespace kwadrill
