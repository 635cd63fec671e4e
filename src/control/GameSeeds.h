#pragma once

#include <cstdint>
#include <functional>

namespace kwadrill {

// Where each game's seed comes from, one call per Start: the system's
// entropy in the game, a fixed sequence in tests and benchmarks.
using SeedSource = std::function<std::uint64_t()>;

// 64 bits from std::random_device.
SeedSource EntropySeeds();
// first, first + 1, first + 2, ...
SeedSource CountingSeeds(std::uint64_t first);

}  // namespace kwadrill
