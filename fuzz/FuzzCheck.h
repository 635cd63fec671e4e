#pragma once

#include <cstdio>
#include <cstdlib>

namespace kwadrill::fuzz {

// A promise the code under test makes about any input. A broken one aborts,
// which libFuzzer records as a crash, keeping the input that broke it.
inline void Require(bool holds, const char* promise) {
    if (holds) return;
    std::fprintf(stderr, "Broken promise: %s\n", promise);
    std::abort();
}

}  // namespace kwadrill::fuzz
