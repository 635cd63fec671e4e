#pragma once

#include "Signal.h"

namespace kwadrill {

struct MasterSettings {
    // Loudest 400 ms of the finished sound (LUFS).
    double loudness;
    double reverbWet = 0.0;
    double reverbFeedback = 0.75;
    double reverbDamping = 0.3;
    // Everything below this is rumble that small speakers cannot play.
    double lowCutHz = 20.0;
    // Soft saturation amount; 0 leaves the waveform alone.
    double drive = 0.0;
    double fadeOut = 0.015;
    // When set, the sound (room included) has faded out by this time.
    double endBy = 0.0;
};

// Room, low cut, optional warmth, tail fade, then the level: set by loudness
// and held under a -1 dBFS peak by a soft limiter.
void Master(Signal& signal, const MasterSettings& settings);

}  // namespace kwadrill
