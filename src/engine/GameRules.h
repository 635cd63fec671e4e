#pragma once

#include <array>
#include <cstdint>

#include "Board.h"

namespace kwadrill {

// The numbers of the rules, each in one place.

inline constexpr int kPieceBlocks = 3;
// The left block of a new piece stands in columns 1..7, so the piece fits the well.
inline constexpr int kSpawnColumns = kColumns - (kPieceBlocks - 1);
inline constexpr int kSpawnRow = 1;

// Block types: a draw span n lets types 1..n-1 appear; a first draw above
// n/2 is drawn once more, which makes the highest one or two types rarer.
inline constexpr int kInitialTypeSpan = 5;
struct TypeSpanStep {
    int levelAbove;  // applies when Level is greater than this
    int span;
};
inline constexpr std::array<TypeSpanStep, 3> kTypeSpanSteps{{{3, 6}, {5, 7}, {8, 8}}};

// Each destroyed cell of type t at level L is worth 10 * t + 11 * L.
inline constexpr std::int64_t kPointsPerBlockType = 10;
inline constexpr std::int64_t kPointsPerLevel = 11;

// Leaving level L needs a score above 1000 * L * L.
inline constexpr std::int64_t kLevelThresholdFactor = 1000;
// A level-up shortens the fall interval.
inline constexpr int kIntervalStepMs = 35;
inline constexpr int kMinIntervalMs = 50;

}  // namespace kwadrill
