#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "Signal.h"

namespace kwadrill {

// A complete RIFF/WAVE image: one 16-byte "fmt " chunk (PCM, mono, 8 bits)
// and one "data" chunk, padded to an even length as RIFF asks.
std::vector<std::uint8_t> EncodeWave8(const Signal& signal);

// Returns false when the file cannot be written.
bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

}  // namespace kwadrill
