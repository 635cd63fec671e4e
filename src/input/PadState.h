#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>

#include "PadBindings.h"

namespace kwadrill {

// The pads' buttons and sticks turned into presses of their bindings, with
// the repeat of a held key: a press at once, the first repeat after the
// delay, then one per interval while it stays held. Only the repeating
// control pressed last repeats, and releasing it ends the repeat. Any
// number of pads; each is known by the id SDL gives it. Time is passed in,
// so the logic runs on any clock.
class PadState {
public:
    using Clock = std::chrono::steady_clock;
    using Press = std::function<void(const PadBinding&)>;

    struct RepeatTiming {
        std::chrono::milliseconds delay{500};
        std::chrono::microseconds interval{std::chrono::seconds(1) / 30};
    };

    PadState(RepeatTiming timing, Press press);

    // A button in SDL's game-controller numbering went down or up.
    void Button(int pad, int button, bool down, Clock::time_point now);
    // An axis in SDL's game-controller numbering moved; only the left stick counts.
    void Axis(int pad, int axis, int value, Clock::time_point now);
    // The pad is gone: whatever it held is let go.
    void PadRemoved(int pad);
    // Lets go of everything (no pad can be read any more).
    void ReleaseAll();

    // Gives the repeat that is due by now, if any.
    void Advance(Clock::time_point now);
    // When the next repeat is due; nothing while no repeating control is held.
    std::optional<Clock::time_point> NextRepeat() const;

    const RepeatTiming& Timing() const { return timing_; }
    // From the next press on.
    void SetTiming(RepeatTiming timing) { timing_ = timing; }

private:
    // A control of one pad: a button's number, or the stick's direction past
    // the last button number.
    struct Control {
        int pad;
        int code;
        friend bool operator==(const Control&, const Control&) = default;
    };
    struct Repeat {
        Control control;
        PadBinding binding;
        Clock::time_point due;
    };
    struct Stick {
        int x = 0;
        int y = 0;
        StickDirection direction = StickDirection::None;
    };

    static Control StickControl(int pad, StickDirection direction);
    void Pressed(Control control, const PadBinding& binding, Clock::time_point now);
    void Released(Control control);

    RepeatTiming timing_;
    Press press_;
    std::optional<Repeat> repeat_;
    std::map<int, Stick> sticks_;
};

}  // namespace kwadrill
