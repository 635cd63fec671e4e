#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kwadrill::test {

// Integrated loudness (LUFS) of a whole piece as the game plays it: the
// game's synthesizer with its settings and the given SoundFont, rendered up
// to `boundSeconds`.
std::optional<double> RenderedLoudness(const std::vector<std::uint8_t>& midiFile,
                                       const std::string& soundFont, double boundSeconds);

}  // namespace kwadrill::test
