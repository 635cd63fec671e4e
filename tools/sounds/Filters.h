#pragma once

#include <vector>

namespace kwadrill {

// Second-order IIR section (RBJ cookbook coefficients).
class Biquad {
public:
    static Biquad Lowpass(double cutoffHz, double q, double rate);
    static Biquad Highpass(double cutoffHz, double q, double rate);
    static Biquad Bandpass(double centreHz, double q, double rate);

    double Process(double x);
    // Takes another filter's response but keeps this one's state, so a sweep is smooth.
    void Retune(const Biquad& other);

private:
    Biquad(double b0, double b1, double b2, double a1, double a2)
        : b0_(b0), b1_(b1), b2_(b2), a1_(a1), a2_(a2) {}

    double b0_, b1_, b2_, a1_, a2_;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// A decaying mode of a struck body: rings at its frequency when kicked.
class Resonator {
public:
    Resonator(double frequencyHz, double decaySeconds, double rate);
    double Process(double x);

private:
    double c1_, c2_, gain_;
    double y1_ = 0, y2_ = 0;
};

// Small Schroeder room: four damped combs in parallel, two allpasses in series.
class Reverb {
public:
    Reverb(double rate, double feedback, double damping);
    double Process(double x);

private:
    struct Comb {
        std::vector<double> line;
        std::size_t pos = 0;
        double store = 0;
    };
    struct Allpass {
        std::vector<double> line;
        std::size_t pos = 0;
    };

    std::vector<Comb> combs_;
    std::vector<Allpass> allpasses_;
    double feedback_;
    double damping_;
};

}  // namespace kwadrill
