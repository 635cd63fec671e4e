#pragma once

#include <cstdint>

namespace kwadrill {

// What a control of the pad stands for in the game: one of the main
// window's keys, or its Start button.
enum class GameKey : std::uint8_t { None, Left, Right, Cycle, Drop, Pause, Start };

// What it stands for while a modal window is open.
enum class DialogKey : std::uint8_t { None, Confirm, Dismiss };

struct PadBinding {
    GameKey game = GameKey::None;
    DialogKey dialog = DialogKey::None;
    bool repeats = false;  // held down, it repeats as a held key does
    friend bool operator==(const PadBinding&, const PadBinding&) = default;
};

// The binding of a button in SDL's game-controller numbering
// (SDL_GameControllerButton); nullptr for a button that does nothing.
const PadBinding* ButtonBinding(int button);

// The left stick, read as four directions with a dead zone.
enum class StickDirection : std::uint8_t { None, Left, Right, Up, Down };

const PadBinding* StickBinding(StickDirection direction);

// Where the stick points now, given where it pointed before (x, y in SDL's
// axis range, -32768 .. 32767, y growing downwards). A direction is taken
// when its axis leads and is pushed past the engage threshold; it is kept
// until that axis falls back below the lower release threshold or the other
// axis leads past the engage threshold, so a stick resting near a threshold
// does not flicker.
StickDirection NextStickDirection(int x, int y, StickDirection current);

inline constexpr int kStickEngage = 16384;   // half way
inline constexpr int kStickRelease = 11469;  // 35 %

}  // namespace kwadrill
