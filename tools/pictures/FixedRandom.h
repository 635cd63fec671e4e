#pragma once

#include <cstdint>

namespace kwadrill::art {

// A small generator with a fixed seed, so every picture comes out the same on
// every run and on every machine (the standard distributions are not portable).
class FixedRandom {
public:
    explicit FixedRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t NextBits();
    // Uniform on 0..n-1; n must be positive.
    int Next(int n);
    // Uniform on [0, 1).
    double NextUnit();

private:
    std::uint64_t state_;
};

// Stateless hash of a lattice point: the same point always gives the same
// value in [0, 1), whatever order the points are visited in.
double LatticeValue(std::int64_t x, std::int64_t y, std::uint64_t seed);

}  // namespace kwadrill::art
