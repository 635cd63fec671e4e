#include "GameSeeds.h"

#include <memory>
#include <random>

namespace kwadrill {

SeedSource EntropySeeds() {
    // Shared by the copies of the source: a random_device cannot be copied.
    auto device = std::make_shared<std::random_device>();
    return [device] {
        const std::uint64_t high = (*device)();
        return (high << 32) ^ (*device)();
    };
}

SeedSource CountingSeeds(std::uint64_t first) {
    return [next = first]() mutable { return next++; };
}

}  // namespace kwadrill
