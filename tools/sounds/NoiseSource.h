#pragma once

#include <cstdint>

namespace kwadrill {

// Fixed-seed xorshift generator: the same seed gives the same noise on every
// machine, so the generated effects never change between runs.
class NoiseSource {
public:
    explicit NoiseSource(std::uint32_t seed) : state_(seed == 0 ? 1u : seed) {}

    // Uniform in [-1, 1).
    double Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_) / 2147483648.0 - 1.0;
    }

    // Uniform in [low, high).
    double Between(double low, double high) { return low + (Next() + 1.0) * 0.5 * (high - low); }

private:
    std::uint32_t state_;
};

}  // namespace kwadrill
