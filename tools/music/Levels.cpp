#include "Levels.h"

#include <array>
#include <utility>

namespace kwadrill {

namespace {

// Measured: render each piece whole, meter it, and correct by the difference.
constexpr std::array<std::pair<std::string_view, double>, 13> kTrims = {{
    {"MENU", 3.6},
    {"GAME1", 0.5},
    {"GAME2", 2.2},
    {"SCORE", 1.3},
    {"GAMEOVER", 1.8},
    {"GAME3", 2.2},
    {"GAME4", 2.6},
    {"GAME5", 0.2},
    {"GAME6", 1.6},
    {"GAME7", 1.5},
    {"GAME8", -1.2},
    {"GAME9", 2.3},
    {"GAME10", -0.3},
}};

}  // namespace

double TargetLoudness(std::string_view piece) {
    if (piece == "GAMEOVER") {
        return kMusicLoudness - 2.0;
    }
    if (piece == "SCORE") {
        return kMusicLoudness + 1.0;
    }
    return kMusicLoudness;
}

double LevelTrim(std::string_view piece) {
    for (const auto& [name, trim] : kTrims) {
        if (name == piece) {
            return trim;
        }
    }
    return 0.0;
}

}  // namespace kwadrill
