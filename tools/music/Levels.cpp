#include "Levels.h"

#include <array>
#include <utility>

namespace kwadrill {

namespace {

// Measured: render each piece whole, meter it, and correct by the difference.
constexpr std::array<std::pair<std::string_view, double>, 13> kTrims = {{
    {"MENU", 2.6},
    {"GAME1", -0.4},
    {"GAME2", 1.4},
    {"SCORE", -0.0},
    {"GAMEOVER", 2.8},
    {"GAME3", 1.1},
    {"GAME4", 1.8},
    {"GAME5", -0.8},
    {"GAME6", 0.9},
    {"GAME7", 0.6},
    {"GAME8", -2.8},
    {"GAME9", 3.1},
    {"GAME10", -0.9},
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
