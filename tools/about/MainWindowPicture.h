#pragma once

#include <QImage>

namespace kwadrill::art {

// Size of the window picture in window units: the 329 x 323 client area
// with a title bar and a frame around it.
inline constexpr int kWindowFrame = 3;
inline constexpr int kWindowTitleHeight = 18;
inline constexpr int kWindowClientWidth = 329;
inline constexpr int kWindowClientHeight = 323;
inline constexpr int kWindowWidth = kWindowClientWidth + 2 * kWindowFrame;
inline constexpr int kWindowHeight = kWindowClientHeight + kWindowTitleHeight + 2 * kWindowFrame;

// The main window in the middle of a game, built from the game's own cell,
// destruction, digit and glyph pictures, drawn at the scale.
QImage DrawMainWindowPicture(int scale);

}  // namespace kwadrill::art
