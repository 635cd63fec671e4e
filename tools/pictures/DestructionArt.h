#pragma once

#include <QImage>

namespace kwadrill::art {

inline constexpr int kDestructionSets = 3;
inline constexpr int kDestructionFrames = 11;

// Frame 0..10 of destruction set 1..3 at the given scale: black on white,
// 21 x 21 cells times scale. The frames of a set are cumulative (each black
// area contains the one before), because the game draws them one over
// another. Set 1 is a closing iris, set 2 a thickening cross-hatch, set 3 a
// dissolve in small squares that ends all black.
QImage DestructionFrame(int set, int frame, int scale);

}  // namespace kwadrill::art
