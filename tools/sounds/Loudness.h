#pragma once

#include <vector>

#include "Signal.h"

namespace kwadrill {

// The loudest 400 ms of a sound (EBU R 128 momentary loudness, LUFS), the
// sound padded with silence on both sides. A short effect is heard at about
// this level, so effects are matched to the music by it.
double MaxMomentaryLoudness(const Signal& signal);
// The same of a mono sound given as samples in [-1, 1] at the given rate,
// as heard when played on both speakers, as the game plays it.
double MaxMomentaryLoudness(const std::vector<double>& samples, double rate);

}  // namespace kwadrill
