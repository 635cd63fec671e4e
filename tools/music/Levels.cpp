#include "Levels.h"

#include <array>
#include <utility>

namespace kwadrill {

namespace {

// Measured: render each piece whole, meter it, and correct by the difference.
constexpr std::array<std::pair<std::string_view, double>, 13> kTrims = {{
    {"MENU", 2.6},
    {"GAME1", -0.5},
    {"GAME2", 2.0},
    {"SCORE", -0.4},
    {"GAMEOVER", 2.8},
    {"GAME3", 1.1},
    {"GAME4", 1.7},
    {"GAME5", -0.9},
    {"GAME6", 1.0},
    {"GAME7", 0.6},
    {"GAME8", -1.9},
    {"GAME9", 2.4},
    {"GAME10", -0.6},
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
