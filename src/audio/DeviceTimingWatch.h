#pragma once

#include <chrono>

namespace kwadrill {

// Tells from how much sound an output has mixed against how long it has been
// watched whether its device plays in real time. A device that keeps time
// never lets the mix run kMaxLead ahead: its buffer holds two or three
// periods. A sink that takes every buffer at once (ALSA's null device) is
// far past that after a few milliseconds of the audio thread.
class DeviceTimingWatch {
public:
    using Duration = std::chrono::microseconds;

    static constexpr Duration kMaxLead = std::chrono::milliseconds(250);
    // The verdict "keeps time" needs this much watched and this much mixed:
    // an audio thread that the machine has not let run yet proves nothing.
    static constexpr Duration kWatchFor = std::chrono::milliseconds(100);
    // ...unless it has had this long: a device that mixes so little keeps
    // time by any measure.
    static constexpr Duration kWatchAtMost = std::chrono::seconds(2);

    enum class Verdict { Watching, KeepsTime, TooFast };

    // One look: `mixed` is the sound mixed since the watch began, `watched`
    // the wall time since then. Each look decides on what it sees, however
    // late it comes.
    static Verdict Look(Duration mixed, Duration watched) {
        if (mixed - watched > kMaxLead) return Verdict::TooFast;
        if (watched >= kWatchAtMost) return Verdict::KeepsTime;
        if (watched >= kWatchFor && mixed >= kWatchFor) return Verdict::KeepsTime;
        return Verdict::Watching;
    }
};

}  // namespace kwadrill
