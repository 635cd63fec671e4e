#pragma once

#include <cstddef>
#include <vector>

namespace kwadrill {

// A mono buffer of samples in [-1, 1] at a fixed rate.
struct Signal {
    Signal(double sampleRate, std::size_t length) : rate(sampleRate), samples(length, 0.0) {}

    std::size_t IndexAt(double seconds) const;
    double TimeAt(std::size_t index) const { return static_cast<double>(index) / rate; }

    double rate;
    std::vector<double> samples;
};

}  // namespace kwadrill
