#include "Effects.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "Mastering.h"
#include "NoiseSource.h"
#include "Voices.h"

namespace kwadrill {

namespace {

// The music is mastered to -18 LUFS; effects sit about 4 LU above it, the
// dissolve a touch over the drop that follows it.
constexpr double kDissolveLoudness = -13.8;
constexpr double kDropLoudness = -14.3;
// A drop cuts the dissolve off about 0.55 s after it started.
constexpr double kDissolveEnd = 0.55;

// Thin glass: partials far from any harmonic series, of nearly equal
// strength, so a strike has no clear pitch and clashes with no key.
const std::vector<Partial> kGlassPartials = {
    {1.0, 1.0}, {2.32, 0.8}, {3.47, 0.65}, {4.25, 0.5}, {6.63, 0.35}};
const std::vector<Partial> kPureTone = {{1.0, 1.0}};

// Shards fall from high to low: `count` strikes spread over `span` seconds.
void AddShards(Signal& signal, NoiseSource& random, int count, double span, double highHz,
               double lowHz, double amplitude) {
    for (int i = 0; i < count; ++i) {
        const double x = static_cast<double>(i) / (count - 1);
        const double hz = highHz * std::pow(lowHz / highHz, x) * random.Between(0.92, 1.08);
        AddBell(signal, {0.01 + span * std::pow(x, 1.2) + random.Between(-0.006, 0.006), hz,
                         amplitude * (1.0 - 0.45 * x) * random.Between(0.75, 1.0), 0.05 + 0.05 * x,
                         kGlassPartials});
    }
}

void AddSparkles(Signal& signal, NoiseSource& random, int count, double span) {
    for (int i = 0; i < count; ++i) {
        // Dense at first, thinning out as the blocks vanish.
        const double t = 0.04 + span * std::pow(random.Between(0.0, 1.0), 1.6);
        AddBell(signal, {t, random.Between(3000.0, 7000.0), 0.2 * (1.0 - t / (span + 0.1)),
                         random.Between(0.006, 0.015), kPureTone});
    }
}

// Sample counts: the lengths the game's effect slots were timed for, kept even
// so that no RIFF pad byte is needed.
Signal Diss1() {
    Signal signal(11025, 9226);
    NoiseSource random(0xD155'0001);
    AddShards(signal, random, 18, 0.36, 4200.0, 1900.0, 0.5);
    AddSweptNoise(signal, {0.0, 0.45, 3500.0, 1200.0, 0.12, 0xF121});
    Master(signal, {.loudness = kDissolveLoudness,
                    .reverbWet = 0.35,
                    .reverbFeedback = 0.7,
                    .reverbDamping = 0.4,
                    .lowCutHz = 300.0,
                    .fadeOut = 0.12,
                    .endBy = kDissolveEnd});
    return signal;
}

Signal Diss2() {
    Signal signal(22050, 18376);
    NoiseSource random(0xD155'0002);
    // A rising fizz and shards climbing against it.
    AddSweptNoise(signal, {0.02, 0.48, 1500.0, 8000.0, 0.3, 0xF122});
    AddShards(signal, random, 12, 0.3, 1900.0, 5200.0, 0.35);
    AddSparkles(signal, random, 30, 0.38);
    Master(signal, {.loudness = kDissolveLoudness,
                    .reverbWet = 0.3,
                    .reverbFeedback = 0.72,
                    .lowCutHz = 300.0,
                    .fadeOut = 0.12,
                    .endBy = kDissolveEnd});
    return signal;
}

// Every drop is the same stone block landing: a body that rings between 150
// and 400 Hz, its shell modes above, a contact click. The variants differ in
// the block's pitch, a bounce and the grit that settles after it.
struct StoneDrop {
    double rate;
    std::size_t samples;
    double bodyHz;
    double bodyDecay;
    double bounceAt;  // 0: no bounce
    int grit;
    double gritSpan;
    std::uint32_t seed;
};

const std::vector<double> kShellRatios = {2.31, 3.87, 6.12};

void AddImpact(Signal& signal, double start, double bodyHz, double decay, double amplitude,
               std::uint32_t seed) {
    const double nyquistSafe = 0.45 * signal.rate;
    AddThump(signal, {start, bodyHz * 1.45, bodyHz, 0.012, decay, amplitude});
    std::vector<Mode> shell;
    double gain = 1.0;
    for (double ratio : kShellRatios) {
        if (bodyHz * ratio < nyquistSafe) {
            shell.push_back({bodyHz * ratio, decay * 0.45 / ratio * 2.0, gain});
        }
        gain *= 0.6;
    }
    AddKnock(signal, {start, 0.45 * amplitude, 0.0012, shell, seed});
    AddNoiseBurst(signal, {start, 0.0004, 0.005, 0.3 * amplitude, 1200.0,
                           std::min(5000.0, nyquistSafe), seed + 1});
}

Signal Drop(const StoneDrop& drop) {
    Signal signal(drop.rate, drop.samples);
    AddImpact(signal, 0.0, drop.bodyHz, drop.bodyDecay, 1.0, drop.seed);
    if (drop.bounceAt > 0.0) {
        AddImpact(signal, drop.bounceAt, drop.bodyHz * 1.06, drop.bodyDecay * 0.6, 0.4,
                  drop.seed + 2);
    }
    NoiseSource random(drop.seed);
    const double nyquistSafe = 0.45 * signal.rate;
    for (int k = 0; k < drop.grit; ++k) {
        const double x = drop.grit > 1 ? static_cast<double>(k) / (drop.grit - 1) : 0.0;
        // Chips of the same stone: the shell's modes, a few times higher.
        const double hz = std::min(drop.bodyHz * random.Between(3.0, 5.5), nyquistSafe / 2.6);
        AddKnock(signal, {0.06 + drop.gritSpan * std::pow(x, 1.3) + random.Between(-0.01, 0.01),
                          0.16 * (1.0 - 0.6 * x),
                          0.0008,
                          {{hz, 0.018, 1.0}, {hz * 2.31, 0.01, 0.5}},
                          drop.seed + 10 + static_cast<std::uint32_t>(k)});
    }
    Master(signal, {.loudness = kDropLoudness,
                    .reverbWet = drop.grit > 6 ? 0.15 : 0.0,
                    .reverbFeedback = 0.6,
                    .reverbDamping = 0.5,
                    .lowCutHz = 110.0,
                    .drive = 1.3,
                    .fadeOut = 0.04});
    return signal;
}

}  // namespace

std::vector<Effect> SynthesizeEffects() {
    std::vector<Effect> effects;
    effects.push_back({"DISS1", Diss1()});
    effects.push_back({"DISS2", Diss2()});
    // Pitch, bounce and grit per variant; the longest settles as rubble.
    effects.push_back({"DROP1", Drop({16000, 5264, 230.0, 0.07, 0.0, 3, 0.18, 0xD201})});
    effects.push_back({"DROP2", Drop({16000, 7068, 195.0, 0.08, 0.15, 4, 0.25, 0xD202})});
    effects.push_back({"DROP3", Drop({16000, 5184, 270.0, 0.06, 0.0, 2, 0.14, 0xD203})});
    effects.push_back({"DROP4", Drop({22050, 5700, 310.0, 0.055, 0.0, 2, 0.1, 0xD204})});
    effects.push_back({"DROP5", Drop({11025, 3166, 250.0, 0.065, 0.0, 2, 0.12, 0xD205})});
    effects.push_back({"DROP6", Drop({22000, 15984, 175.0, 0.09, 0.12, 12, 0.5, 0xD206})});
    return effects;
}

}  // namespace kwadrill
