#pragma once

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace kwadrill::test {

// An 8-bit mono PCM WAV file as the game stores it.
struct Wave8 {
    std::uint32_t sampleRate = 0;
    std::vector<std::uint8_t> samples;
};

// Reads the exact layout: RIFF header, a 16-byte "fmt " chunk, a "data" chunk
// (plus its pad byte when odd) and nothing after it. Throws std::runtime_error
// naming the first thing that is wrong.
Wave8 ReadWave8(const std::vector<std::uint8_t>& file);

}  // namespace kwadrill::test
