#pragma once

#include <QImage>
#include <QRect>

namespace kwadrill::art {

// Size of the about picture at scale 1.
inline constexpr int kAboutWidth = 500;
inline constexpr int kAboutHeight = 375;

// Where the about box lays its text label: kept free of drawings.
inline constexpr QRect kAboutLabelArea(4, 200, 301, 173);

// The about picture at the scale: the game's name in coloured 3-D letters at
// the top left with a falling piece under it, the main window in play tilted
// on the right, the maker's gold "QZ" with "productions" beneath at the
// bottom right, all on grey stone.
QImage DrawAboutPicture(int scale);

}  // namespace kwadrill::art
