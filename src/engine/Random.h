#pragma once

#include <cstdint>
#include <random>

namespace kwadrill {

// The game's one pseudo-random generator. A copy goes on with the same
// numbers as the original, leaving the original alone.
class Random {
public:
    explicit Random(std::uint32_t seed = 0) : generator_(seed) {}

    void Seed(std::uint32_t seed) { generator_.seed(seed); }

    // A uniform integer in 0..n-1; n must be at least 1.
    int operator()(int n) { return std::uniform_int_distribution<int>(0, n - 1)(generator_); }

private:
    std::mt19937 generator_;
};

}  // namespace kwadrill
