#include "SoundFontSearch.h"

#include <cstdlib>
#include <filesystem>

namespace kwadrill {

std::vector<std::string> DefaultSoundFontCandidates() {
    std::vector<std::string> candidates;
    if (const char* chosen = std::getenv("KWADRILL_SOUNDFONT"); chosen != nullptr && *chosen)
        candidates.emplace_back(chosen);
    candidates.insert(candidates.end(), {"/usr/share/sounds/sf2/default-GM.sf2",
                                         "/usr/share/sounds/sf2/FluidR3_GM.sf2",
                                         "/usr/share/sounds/sf2/TimGM6mb.sf2"});
    return candidates;
}

std::string FindSoundFont(const std::vector<std::string>& candidates) {
    for (const std::string& candidate : candidates) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) return candidate;
    }
    return {};
}

}  // namespace kwadrill
