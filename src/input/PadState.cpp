#include "PadState.h"

#include <SDL_gamecontroller.h>

namespace kwadrill {

PadState::PadState(RepeatTiming timing, Press press) : timing_(timing), press_(std::move(press)) {}

PadState::Control PadState::StickControl(int pad, StickDirection direction) {
    return {pad, SDL_CONTROLLER_BUTTON_MAX + static_cast<int>(direction)};
}

void PadState::Button(int pad, int button, bool down, Clock::time_point now) {
    const PadBinding* binding = ButtonBinding(button);
    if (binding == nullptr) return;
    if (down) {
        Pressed({pad, button}, *binding, now);
    } else {
        Released({pad, button});
    }
}

void PadState::Axis(int pad, int axis, int value, Clock::time_point now) {
    if (axis != SDL_CONTROLLER_AXIS_LEFTX && axis != SDL_CONTROLLER_AXIS_LEFTY) return;
    Stick& stick = sticks_[pad];
    (axis == SDL_CONTROLLER_AXIS_LEFTX ? stick.x : stick.y) = value;
    const StickDirection next = NextStickDirection(stick.x, stick.y, stick.direction);
    if (next == stick.direction) return;
    Released(StickControl(pad, stick.direction));
    stick.direction = next;
    if (const PadBinding* binding = StickBinding(next)) {
        Pressed(StickControl(pad, next), *binding, now);
    }
}

void PadState::PadRemoved(int pad) {
    sticks_.erase(pad);
    if (repeat_ && repeat_->control.pad == pad) repeat_.reset();
}

void PadState::ReleaseAll() {
    sticks_.clear();
    repeat_.reset();
}

void PadState::Pressed(Control control, const PadBinding& binding, Clock::time_point now) {
    // A control that does not repeat (A to cycle) leaves a held shift
    // repeating, so a piece can be turned while it slides.
    if (binding.repeats) repeat_ = Repeat{control, binding, now + timing_.delay};
    press_(binding);
}

void PadState::Released(Control control) {
    if (repeat_ && repeat_->control == control) repeat_.reset();
}

void PadState::Advance(Clock::time_point now) {
    if (!repeat_ || now < repeat_->due) return;
    // One repeat per call: a late call does not fire a burst of moves.
    repeat_->due += timing_.interval;
    if (repeat_->due <= now) repeat_->due = now + timing_.interval;
    press_(repeat_->binding);
}

std::optional<PadState::Clock::time_point> PadState::NextRepeat() const {
    if (!repeat_) return std::nullopt;
    return repeat_->due;
}

}  // namespace kwadrill
