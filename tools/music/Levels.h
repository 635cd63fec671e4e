#pragma once

#include <string_view>

namespace kwadrill {

// Integrated loudness each piece is mastered to, in the game's own render
// (FluidSynth at the game's gain with the General MIDI SoundFont).
inline constexpr double kMusicLoudness = -18.0;

// Loudness the named piece aims at: the common level, the game-over piece a
// little lower and the high-score fanfare a little higher.
double TargetLoudness(std::string_view piece);

// Channel-volume trim (dB) that brings the named piece to its target,
// measured from renders; 0 for a piece not in the table.
double LevelTrim(std::string_view piece);

}  // namespace kwadrill
