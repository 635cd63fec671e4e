#include "Voices.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "Filters.h"
#include "NoiseSource.h"

namespace kwadrill {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
// Partials above this fraction of the sample rate would fold back as aliases.
constexpr double kHighestPartial = 0.45;
constexpr double kStrikeAttack = 0.0015;
constexpr double kFilterQ = 0.707;
constexpr std::size_t kSweepBlock = 32;
constexpr double kSweepQ = 2.5;

// Linear rise over `attack`, then exponential fall with time constant `decay`.
double StrikeEnvelope(double t, double attack, double decay) {
    if (t < 0.0) {
        return 0.0;
    }
    if (t < attack) {
        return t / attack;
    }
    return std::exp(-(t - attack) / decay);
}

// Raised-cosine swell over a span of the given length.
double SwellEnvelope(double t, double length) {
    if (t < 0.0 || t > length) {
        return 0.0;
    }
    return 0.5 - 0.5 * std::cos(kTwoPi * t / length);
}

// Samples until an exponential decay has fallen below about -80 dB.
std::size_t RingLength(const Signal& signal, double decay) {
    return static_cast<std::size_t>(decay * 9.5 * signal.rate) + 1;
}

// Mixes a rendered part in at `first`, scaled so its own peak is `peak`:
// filtered noise and resonators have no natural level of their own.
void MixAtPeak(Signal& signal, std::size_t first, const std::vector<double>& part, double peak) {
    double largest = 0.0;
    for (double sample : part) {
        largest = std::max(largest, std::abs(sample));
    }
    if (largest == 0.0) {
        return;
    }
    for (std::size_t i = 0; i < part.size() && first + i < signal.samples.size(); ++i) {
        signal.samples[first + i] += part[i] * peak / largest;
    }
}

}  // namespace

void AddBell(Signal& signal, const BellStrike& bell) {
    const std::size_t first = signal.IndexAt(bell.start);
    const std::size_t last =
        std::min(signal.samples.size(), first + RingLength(signal, bell.decay));
    for (const Partial& partial : bell.partials) {
        const double hz = bell.frequency * partial.ratio;
        if (hz >= kHighestPartial * signal.rate) {
            continue;
        }
        // Higher partials ring shorter, as in a real bar.
        const double decay = bell.decay / std::sqrt(partial.ratio);
        for (std::size_t i = first; i < last; ++i) {
            const double t = signal.TimeAt(i - first);
            signal.samples[i] += bell.amplitude * partial.gain *
                                 StrikeEnvelope(t, kStrikeAttack, decay) *
                                 std::sin(kTwoPi * hz * t);
        }
    }
}

void AddThump(Signal& signal, const Thump& thump) {
    const std::size_t first = signal.IndexAt(thump.start);
    const std::size_t last =
        std::min(signal.samples.size(), first + RingLength(signal, thump.decay));
    double phase = 0.0;
    for (std::size_t i = first; i < last; ++i) {
        const double t = signal.TimeAt(i - first);
        const double hz = thump.toHz + (thump.fromHz - thump.toHz) * std::exp(-t / thump.sweepTime);
        phase += kTwoPi * hz / signal.rate;
        signal.samples[i] +=
            thump.amplitude * StrikeEnvelope(t, kStrikeAttack, thump.decay) * std::sin(phase);
    }
}

void AddNoiseBurst(Signal& signal, const NoiseBurst& burst) {
    NoiseSource noise(burst.seed);
    Biquad highpass = Biquad::Highpass(burst.lowHz, kFilterQ, signal.rate);
    Biquad lowpass = Biquad::Lowpass(burst.highHz, kFilterQ, signal.rate);
    std::vector<double> part(RingLength(signal, burst.decay));
    for (std::size_t i = 0; i < part.size(); ++i) {
        const double filtered = lowpass.Process(highpass.Process(noise.Next()));
        part[i] = StrikeEnvelope(signal.TimeAt(i), burst.attack, burst.decay) * filtered;
    }
    MixAtPeak(signal, signal.IndexAt(burst.start), part, burst.amplitude);
}

void AddSweptNoise(Signal& signal, const SweptNoise& sweep) {
    NoiseSource noise(sweep.seed);
    Biquad band = Biquad::Bandpass(sweep.fromHz, kSweepQ, signal.rate);
    std::vector<double> part(static_cast<std::size_t>(sweep.length * signal.rate));
    for (std::size_t i = 0; i < part.size(); ++i) {
        const double t = signal.TimeAt(i);
        if (i % kSweepBlock == 0) {
            const double hz = sweep.fromHz * std::pow(sweep.toHz / sweep.fromHz, t / sweep.length);
            band.Retune(Biquad::Bandpass(hz, kSweepQ, signal.rate));
        }
        // Fast rise, long fall: the swell is skewed towards the start.
        const double shape = std::sqrt(SwellEnvelope(std::sqrt(t / sweep.length) * 0.5, 1.0));
        part[i] = shape * band.Process(noise.Next());
    }
    MixAtPeak(signal, signal.IndexAt(sweep.start), part, sweep.amplitude);
}

void AddKnock(Signal& signal, const Knock& knock) {
    NoiseSource noise(knock.seed);
    std::vector<Resonator> modes;
    double longest = 0.0;
    for (const Mode& mode : knock.modes) {
        modes.emplace_back(mode.frequency, mode.decay, signal.rate);
        longest = std::max(longest, mode.decay);
    }
    std::vector<double> part(RingLength(signal, longest));
    for (std::size_t i = 0; i < part.size(); ++i) {
        const double t = signal.TimeAt(i);
        const double strike =
            t < knock.excitation ? noise.Next() * (1.0 - t / knock.excitation) : 0.0;
        for (std::size_t m = 0; m < modes.size(); ++m) {
            part[i] += knock.modes[m].gain * modes[m].Process(strike);
        }
    }
    MixAtPeak(signal, signal.IndexAt(knock.start), part, knock.amplitude);
}

void AddGlide(Signal& signal, const Glide& glide) {
    const std::size_t first = signal.IndexAt(glide.start);
    const std::size_t last = signal.IndexAt(glide.start + glide.length);
    double phase = 0.0;
    for (std::size_t i = first; i < last; ++i) {
        const double t = signal.TimeAt(i - first);
        const double hz = glide.fromHz * std::pow(glide.toHz / glide.fromHz, t / glide.length);
        phase += kTwoPi * hz / signal.rate;
        const double tremolo = 0.6 + 0.4 * std::sin(kTwoPi * glide.tremoloHz * t);
        const double octave =
            2.0 * hz < kHighestPartial * signal.rate ? 0.35 * std::sin(2.0 * phase) : 0.0;
        signal.samples[i] +=
            glide.amplitude * SwellEnvelope(t, glide.length) * tremolo * (std::sin(phase) + octave);
    }
}

}  // namespace kwadrill
