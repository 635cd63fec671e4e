#pragma once

#include <string>
#include <vector>

namespace kwadrill {

// Where the General MIDI SoundFont may be, best first: $KWADRILL_SOUNDFONT,
// then the system's usual places.
std::vector<std::string> DefaultSoundFontCandidates();

// The first candidate that is an existing regular file, or empty.
std::string FindSoundFont(const std::vector<std::string>& candidates);

}  // namespace kwadrill
