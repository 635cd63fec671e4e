#pragma once

#include <cstdint>
#include <vector>

#include "Signal.h"

namespace kwadrill {

// A complete RIFF/WAVE image: one 16-byte "fmt " chunk (PCM, mono, 8 bits)
// and one "data" chunk, padded to an even length as RIFF asks.
std::vector<std::uint8_t> EncodeWave8(const Signal& signal);

}  // namespace kwadrill
