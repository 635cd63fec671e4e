#pragma once

#include <cstdint>
#include <vector>

#include "Signal.h"

namespace kwadrill {

// Building blocks the effects are mixed from. Each adds into the signal.

struct Partial {
    double ratio;
    double gain;
};

// A struck metal bar or glass: inharmonic partials, the upper ones dying first.
struct BellStrike {
    double start;
    double frequency;
    double amplitude;
    double decay;
    std::vector<Partial> partials;
};
void AddBell(Signal& signal, const BellStrike& bell);

// A sine whose pitch falls exponentially: the weight of an impact.
struct Thump {
    double start;
    double fromHz;
    double toHz;
    double sweepTime;
    double decay;
    double amplitude;
};
void AddThump(Signal& signal, const Thump& thump);

// Band-limited noise under an attack/decay envelope.
struct NoiseBurst {
    double start;
    double attack;
    double decay;
    double amplitude;
    double lowHz;
    double highHz;
    std::uint32_t seed;
};
void AddNoiseBurst(Signal& signal, const NoiseBurst& burst);

// Noise whose band sweeps from one centre to another: a dissolving fizz.
struct SweptNoise {
    double start;
    double length;
    double fromHz;
    double toHz;
    double amplitude;
    std::uint32_t seed;
};
void AddSweptNoise(Signal& signal, const SweptNoise& noise);

struct Mode {
    double frequency;
    double decay;
    double gain;
};

// A struck body (wood, stone): resonant modes excited by a short noise click.
struct Knock {
    double start;
    double amplitude;
    double excitation;
    std::vector<Mode> modes;
    std::uint32_t seed;
};
void AddKnock(Signal& signal, const Knock& knock);

// A gliding tone with tremolo that fades in and out: the shimmer under a dissolve.
struct Glide {
    double start;
    double length;
    double fromHz;
    double toHz;
    double amplitude;
    double tremoloHz;
};
void AddGlide(Signal& signal, const Glide& glide);

}  // namespace kwadrill
