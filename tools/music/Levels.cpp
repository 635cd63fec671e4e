#include "Levels.h"

#include <array>
#include <utility>

namespace kwadrill {

namespace {

// Measured: render each piece whole, meter it, and correct by the difference.
constexpr std::array<std::pair<std::string_view, double>, 13> kTrims = {{
    {"MENU", 3.9},
    {"GAME1", 1.6},
    {"GAME2", 2.5},
    {"SCORE", 1.4},
    {"GAMEOVER", 3.0},
    {"GAME3", 2.5},
    {"GAME4", 3.1},
    {"GAME5", 0.7},
    {"GAME6", 2.1},
    {"GAME7", 1.8},
    {"GAME8", -0.3},
    {"GAME9", 2.8},
    {"GAME10", 0.3},
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
