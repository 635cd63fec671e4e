#include "Filters.h"

#include <cmath>
#include <numbers>

namespace kwadrill {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kCombDelaysMs[] = {29.7, 37.1, 41.1, 43.7};
constexpr double kAllpassDelaysMs[] = {5.0, 1.7};
constexpr double kAllpassGain = 0.5;

std::size_t DelaySamples(double ms, double rate) {
    return static_cast<std::size_t>(std::lround(ms * 0.001 * rate));
}

}  // namespace

Biquad Biquad::Lowpass(double cutoffHz, double q, double rate) {
    const double w = kTwoPi * cutoffHz / rate;
    const double alpha = std::sin(w) / (2.0 * q);
    const double a0 = 1.0 + alpha;
    const double c = std::cos(w);
    return Biquad((1 - c) / 2 / a0, (1 - c) / a0, (1 - c) / 2 / a0, -2 * c / a0, (1 - alpha) / a0);
}

Biquad Biquad::Highpass(double cutoffHz, double q, double rate) {
    const double w = kTwoPi * cutoffHz / rate;
    const double alpha = std::sin(w) / (2.0 * q);
    const double a0 = 1.0 + alpha;
    const double c = std::cos(w);
    return Biquad((1 + c) / 2 / a0, -(1 + c) / a0, (1 + c) / 2 / a0, -2 * c / a0, (1 - alpha) / a0);
}

Biquad Biquad::Bandpass(double centreHz, double q, double rate) {
    const double w = kTwoPi * centreHz / rate;
    const double alpha = std::sin(w) / (2.0 * q);
    const double a0 = 1.0 + alpha;
    return Biquad(alpha / a0, 0.0, -alpha / a0, -2 * std::cos(w) / a0, (1 - alpha) / a0);
}

double Biquad::Process(double x) {
    const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_;
    x1_ = x;
    y2_ = y1_;
    y1_ = y;
    return y;
}

void Biquad::Retune(const Biquad& other) {
    b0_ = other.b0_;
    b1_ = other.b1_;
    b2_ = other.b2_;
    a1_ = other.a1_;
    a2_ = other.a2_;
}

Resonator::Resonator(double frequencyHz, double decaySeconds, double rate) {
    const double r = std::exp(-1.0 / (decaySeconds * rate));
    const double w = kTwoPi * frequencyHz / rate;
    c1_ = 2.0 * r * std::cos(w);
    c2_ = -r * r;
    // An impulse then rings with unit amplitude, whatever the frequency.
    gain_ = std::sin(w);
}

double Resonator::Process(double x) {
    const double y = gain_ * x + c1_ * y1_ + c2_ * y2_;
    y2_ = y1_;
    y1_ = y;
    return y;
}

Reverb::Reverb(double rate, double feedback, double damping)
    : feedback_(feedback), damping_(damping) {
    for (double ms : kCombDelaysMs) {
        combs_.push_back({std::vector<double>(DelaySamples(ms, rate), 0.0)});
    }
    for (double ms : kAllpassDelaysMs) {
        allpasses_.push_back({std::vector<double>(DelaySamples(ms, rate), 0.0)});
    }
}

double Reverb::Process(double x) {
    double sum = 0.0;
    for (Comb& comb : combs_) {
        const double out = comb.line[comb.pos];
        comb.store = out * (1.0 - damping_) + comb.store * damping_;
        comb.line[comb.pos] = x + comb.store * feedback_;
        comb.pos = (comb.pos + 1) % comb.line.size();
        sum += out;
    }
    double y = sum / static_cast<double>(combs_.size());
    for (Allpass& allpass : allpasses_) {
        const double delayed = allpass.line[allpass.pos];
        allpass.line[allpass.pos] = y + delayed * kAllpassGain;
        allpass.pos = (allpass.pos + 1) % allpass.line.size();
        y = delayed - y;
    }
    return y;
}

}  // namespace kwadrill
