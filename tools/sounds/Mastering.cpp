#include "Mastering.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>

#include "Filters.h"
#include "Loudness.h"

namespace kwadrill {

namespace {

constexpr double kCeiling = 0.89;  // -1 dBFS
constexpr double kKnee = 0.5;      // the limiter leaves everything below this alone
constexpr double kButterworthQ = 0.707;
constexpr double kLoudnessTolerance = 0.25;
constexpr int kLevelPasses = 12;

void AddRoom(Signal& signal, const MasterSettings& settings) {
    Reverb room(signal.rate, settings.reverbFeedback, settings.reverbDamping);
    for (double& sample : signal.samples) {
        sample += settings.reverbWet * room.Process(sample);
    }
}

void CutLows(Signal& signal, double cutoffHz) {
    // Twice, for a 24 dB/octave slope.
    for (int pass = 0; pass < 2; ++pass) {
        Biquad highpass = Biquad::Highpass(cutoffHz, kButterworthQ, signal.rate);
        for (double& sample : signal.samples) {
            sample = highpass.Process(sample);
        }
    }
}

double Peak(const Signal& signal) {
    double largest = 0.0;
    for (double sample : signal.samples) {
        largest = std::max(largest, std::abs(sample));
    }
    return largest;
}

void Scale(Signal& signal, double gain) {
    for (double& sample : signal.samples) {
        sample *= gain;
    }
}

void Saturate(Signal& signal, double drive) {
    Scale(signal, 1.0 / Peak(signal));
    const double norm = std::tanh(drive);
    for (double& sample : signal.samples) {
        sample = std::tanh(drive * sample) / norm;
    }
}

// Above the knee, peaks bend smoothly towards the ceiling instead of clipping.
void Limit(Signal& signal) {
    const double room = kCeiling - kKnee;
    for (double& sample : signal.samples) {
        const double size = std::abs(sample);
        if (size > kKnee) {
            sample = std::copysign(kKnee + room * std::tanh((size - kKnee) / room), sample);
        }
    }
}

// Raised-cosine fade of `seconds` ending at sample `end`; silence after it.
void FadeOut(Signal& signal, double seconds, std::size_t end) {
    const std::size_t length = std::min(end, signal.IndexAt(seconds));
    const std::size_t first = end - length;
    for (std::size_t i = 0; i < length; ++i) {
        const double x = static_cast<double>(i + 1) / static_cast<double>(length);
        signal.samples[first + i] *= 0.5 + 0.5 * std::cos(std::numbers::pi * x);
    }
    std::fill(signal.samples.begin() + static_cast<std::ptrdiff_t>(end), signal.samples.end(), 0.0);
}

void SetLoudness(Signal& signal, double target) {
    for (int pass = 0; pass < kLevelPasses; ++pass) {
        const double error = target - MaxMomentaryLoudness(signal);
        if (std::abs(error) < kLoudnessTolerance && Peak(signal) <= kCeiling) {
            return;
        }
        Scale(signal, std::pow(10.0, error / 20.0));
        Limit(signal);
    }
    throw std::runtime_error("cannot reach " + std::to_string(target) +
                             " LUFS under the peak ceiling");
}

}  // namespace

void Master(Signal& signal, const MasterSettings& settings) {
    if (settings.reverbWet > 0.0) {
        AddRoom(signal, settings);
    }
    CutLows(signal, settings.lowCutHz);
    if (settings.drive > 0.0) {
        Saturate(signal, settings.drive);
    }
    const std::size_t end =
        settings.endBy > 0.0 ? signal.IndexAt(settings.endBy) : signal.samples.size();
    FadeOut(signal, settings.fadeOut, end);
    SetLoudness(signal, settings.loudness);
}

}  // namespace kwadrill
