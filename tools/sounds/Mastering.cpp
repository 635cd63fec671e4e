#include "Mastering.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "Filters.h"

namespace kwadrill {

namespace {

constexpr double kPeakDbfs = -3.0;
constexpr double kDcCutoffHz = 20.0;
constexpr double kButterworthQ = 0.707;

void AddRoom(Signal& signal, const MasterSettings& settings) {
    Reverb room(signal.rate, settings.reverbFeedback, settings.reverbDamping);
    for (double& sample : signal.samples) {
        sample += settings.reverbWet * room.Process(sample);
    }
}

void RemoveDc(Signal& signal) {
    Biquad highpass = Biquad::Highpass(kDcCutoffHz, kButterworthQ, signal.rate);
    for (double& sample : signal.samples) {
        sample = highpass.Process(sample);
    }
}

void ScalePeakTo(Signal& signal, double peak) {
    double largest = 0.0;
    for (double sample : signal.samples) {
        largest = std::max(largest, std::abs(sample));
    }
    if (largest > 0.0) {
        for (double& sample : signal.samples) {
            sample *= peak / largest;
        }
    }
}

void Saturate(Signal& signal, double drive) {
    const double norm = std::tanh(drive);
    for (double& sample : signal.samples) {
        sample = std::tanh(drive * sample) / norm;
    }
}

void FadeOut(Signal& signal, double seconds) {
    const std::size_t length = std::min(signal.samples.size(), signal.IndexAt(seconds));
    const std::size_t first = signal.samples.size() - length;
    for (std::size_t i = 0; i < length; ++i) {
        const double x = static_cast<double>(i + 1) / static_cast<double>(length);
        signal.samples[first + i] *= 0.5 + 0.5 * std::cos(std::numbers::pi * x);
    }
}

}  // namespace

void Master(Signal& signal, const MasterSettings& settings) {
    if (settings.reverbWet > 0.0) {
        AddRoom(signal, settings);
    }
    RemoveDc(signal);
    if (settings.drive > 0.0) {
        ScalePeakTo(signal, 1.0);
        Saturate(signal, settings.drive);
    }
    FadeOut(signal, settings.fadeOut);
    ScalePeakTo(signal, std::pow(10.0, kPeakDbfs / 20.0));
}

}  // namespace kwadrill
