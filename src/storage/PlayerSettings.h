#pragma once

#include <QtCore/qnamespace.h>

#include <array>
#include <optional>

namespace kwadrill {

// The keys of the main window's five actions, as Qt key codes. A letter is
// kept as its key on the Latin layout (see LatinLayoutKey), so a binding
// works whichever of the game's two layouts is on.
struct KeyBindings {
    int left = Qt::Key_Left;
    int right = Qt::Key_Right;
    int cycle = Qt::Key_Up;
    int drop = Qt::Key_Down;
    // Left at P, the characters "p", "P", "з" and "З" pause, as they always did.
    int pause = Qt::Key_P;

    std::array<int, 5> All() const { return {left, right, cycle, drop, pause}; }
    // Every key bindable and no key on two actions.
    bool Valid() const;
    friend bool operator==(const KeyBindings&, const KeyBindings&) = default;
};

inline constexpr int kMaxVolumePercent = 100;
// The game's own repeat of a held shift key: the ranges a player may set.
inline constexpr int kMinRepeatDelayMs = 100;
inline constexpr int kMaxRepeatDelayMs = 2000;
inline constexpr int kMinRepeatRate = 1;  // per second
inline constexpr int kMaxRepeatRate = 100;
// The sizes the windows may be drawn at.
inline constexpr std::array<double, 6> kZoomFactors{1.0, 1.5, 2.0, 2.5, 3.0, 4.0};

// What a player may change beyond the described game; the defaults are the
// described game. An empty optional is "not set": the system's key repeat,
// and a zoom the game picks itself at the first start.
struct PlayerSettings {
    int musicVolume = kMaxVolumePercent;    // percent
    int effectsVolume = kMaxVolumePercent;  // percent
    KeyBindings keys;
    std::optional<int> repeatDelayMs;
    std::optional<int> repeatRate;  // repeats per second
    bool nextPiecePreview = false;
    bool landingShadow = false;
    bool pauseOnFocusLoss = true;
    std::optional<double> zoom;  // one of kZoomFactors
    bool fullScreen = false;

    // Every value in its range, and valid keys.
    bool Valid() const;
    friend bool operator==(const PlayerSettings&, const PlayerSettings&) = default;
};

bool IsVolume(int percent);
bool IsRepeatDelay(int milliseconds);
bool IsRepeatRate(int perSecond);
bool IsZoomFactor(double zoom);

// A key a player may bind to an action: a character key or a special key,
// but not a modifier on its own, Escape (it cancels), Tab (it moves the
// focus) or the menu key; and a Cyrillic letter only as its Latin key.
bool IsBindableKey(int qtKey);

// The key at the same place of the Latin layout for a letter of the Russian
// layout (0x0417 "З" gives Qt::Key_P); any other key unchanged.
int LatinLayoutKey(int qtKey);

}  // namespace kwadrill
