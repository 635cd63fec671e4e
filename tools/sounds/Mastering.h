#pragma once

#include "Signal.h"

namespace kwadrill {

struct MasterSettings {
    double reverbWet = 0.0;
    double reverbFeedback = 0.75;
    double reverbDamping = 0.3;
    // Soft saturation amount; 0 leaves the waveform alone.
    double drive = 0.0;
    double fadeOut = 0.015;
};

// Room, DC removal, optional warmth, tail fade and a peak of -3 dBFS.
void Master(Signal& signal, const MasterSettings& settings);

}  // namespace kwadrill
