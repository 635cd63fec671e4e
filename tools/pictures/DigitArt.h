#pragma once

#include "Canvas.h"

namespace kwadrill::art {

// Size of a counter digit at scale 1; the art is drawn in these units.
inline constexpr int kDigitWidth = 16;
inline constexpr int kDigitHeight = 21;

// A seven-segment digit 0..9 in red LED segments on a dark face, which fills
// the whole picture so the seven digits make one counter; the unlit segments
// are only a shade above the face, as on a real counter.
void DrawDigit(Canvas& canvas, int digit);

}  // namespace kwadrill::art
