#pragma once

#include <cstdint>
#include <random>

namespace kwadrill {

// A pseudo-random generator. A copy goes on with the same numbers as the
// original, leaving the original alone. Every number it gives is defined
// here and by the standard's 64-bit Mersenne Twister, never by a library's
// distribution, so that one seed deals the same game with every compiler
// and library: a replay is a seed and the player's inputs.
class Random {
public:
    explicit Random(std::uint64_t seed = 0) : generator_(seed) {}

    void Seed(std::uint64_t seed) { generator_.seed(seed); }

    // A uniform integer in 0..n-1; n must be at least 1. The lowest
    // 2^64 mod n outcomes are drawn again, so that every remainder is
    // equally likely.
    int operator()(int n) {
        const auto range = static_cast<std::uint64_t>(n);
        const std::uint64_t rejected = (0 - range) % range;
        std::uint64_t value = generator_();
        while (value < rejected) value = generator_();
        return static_cast<int>(value % range);
    }

private:
    std::mt19937_64 generator_;
};

}  // namespace kwadrill
