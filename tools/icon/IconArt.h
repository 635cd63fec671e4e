#pragma once

#include "Canvas.h"

namespace kwadrill::art {

// Sizes of the icon written as PNG; the SVG is drawn at the largest.
inline constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
inline constexpr int kSvgIconSize = 256;

// The application icon on a size x size pixel canvas: a stone well three
// blocks wide holding a few gem blocks, one more falling in. The layout is
// snapped to whole pixels at each size so the small icons stay crisp, and
// small cells get plain bevelled blocks instead of gems.
void DrawIcon(Canvas& canvas, int size);

}  // namespace kwadrill::art
