#include "FixedRandom.h"

namespace kwadrill::art {

namespace {

// splitmix64 finaliser: a strong 64-bit mixer.
std::uint64_t Mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

constexpr std::uint64_t kGoldenGamma = 0x9e3779b97f4a7c15ULL;
constexpr double kTwoToMinus53 = 1.0 / 9007199254740992.0;

}  // namespace

std::uint64_t FixedRandom::NextBits() {
    state_ += kGoldenGamma;
    return Mix(state_);
}

int FixedRandom::Next(int n) {
    return static_cast<int>(NextBits() % static_cast<std::uint64_t>(n));
}

double FixedRandom::NextUnit() {
    return static_cast<double>(NextBits() >> 11) * kTwoToMinus53;
}

double LatticeValue(std::int64_t x, std::int64_t y, std::uint64_t seed) {
    const std::uint64_t h = Mix(seed ^ Mix(static_cast<std::uint64_t>(x) * kGoldenGamma +
                                           Mix(static_cast<std::uint64_t>(y))));
    return static_cast<double>(h >> 11) * kTwoToMinus53;
}

}  // namespace kwadrill::art
