#include "PadBindings.h"

#include <SDL_gamecontroller.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace kwadrill {

namespace {

struct ButtonRow {
    SDL_GameControllerButton button;
    PadBinding binding;
};

// The pad's layout as SDL's mapping database gives it (A is the south
// button, B the east one), whatever the make of the pad.
constexpr ButtonRow kButtons[] = {
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, {GameKey::Left, DialogKey::None, true}},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, {GameKey::Right, DialogKey::None, true}},
    {SDL_CONTROLLER_BUTTON_DPAD_UP, {GameKey::Cycle, DialogKey::None, false}},
    {SDL_CONTROLLER_BUTTON_A, {GameKey::Cycle, DialogKey::Confirm, false}},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, {GameKey::Drop, DialogKey::None, false}},
    {SDL_CONTROLLER_BUTTON_B, {GameKey::Drop, DialogKey::Dismiss, false}},
    {SDL_CONTROLLER_BUTTON_START, {GameKey::Pause, DialogKey::None, false}},
    {SDL_CONTROLLER_BUTTON_BACK, {GameKey::Start, DialogKey::None, false}},
};

constexpr PadBinding kStickLeft{GameKey::Left, DialogKey::None, true};
constexpr PadBinding kStickRight{GameKey::Right, DialogKey::None, true};
constexpr PadBinding kStickDown{GameKey::Drop, DialogKey::None, false};

// How far the stick is pushed towards a direction (negative: away from it).
int Push(int x, int y, StickDirection direction) {
    switch (direction) {
        case StickDirection::Left:
            return -x;
        case StickDirection::Right:
            return x;
        case StickDirection::Up:
            return -y;
        case StickDirection::Down:
            return y;
        case StickDirection::None:
            break;
    }
    return 0;
}

// The direction of the axis that leads, or None below the engage threshold.
StickDirection EngagedDirection(int x, int y) {
    if (std::abs(x) >= std::abs(y)) {
        if (std::abs(x) < kStickEngage) return StickDirection::None;
        return x < 0 ? StickDirection::Left : StickDirection::Right;
    }
    if (std::abs(y) < kStickEngage) return StickDirection::None;
    return y < 0 ? StickDirection::Up : StickDirection::Down;
}

}  // namespace

const PadBinding* ButtonBinding(int button) {
    const auto row = std::find_if(std::begin(kButtons), std::end(kButtons),
                                  [button](const ButtonRow& r) { return r.button == button; });
    return row == std::end(kButtons) ? nullptr : &row->binding;
}

const PadBinding* StickBinding(StickDirection direction) {
    switch (direction) {
        case StickDirection::Left:
            return &kStickLeft;
        case StickDirection::Right:
            return &kStickRight;
        case StickDirection::Down:
            return &kStickDown;
        case StickDirection::Up:  // taken, so that pushing up moves nothing sideways
        case StickDirection::None:
            break;
    }
    return nullptr;
}

StickDirection NextStickDirection(int x, int y, StickDirection current) {
    const StickDirection engaged = EngagedDirection(x, y);
    if (current == StickDirection::None) return engaged;
    const int held = Push(x, y, current);
    if (held < kStickRelease) return engaged;
    // Still held: only a direction pushed further than this one takes over.
    if (engaged != StickDirection::None && engaged != current && Push(x, y, engaged) > held) {
        return engaged;
    }
    return current;
}

}  // namespace kwadrill
