#pragma once

#include <QColor>

namespace kwadrill::art {

// Colour steps shared by all pictures, so that every piece of art is lit
// the same way: light from the top left.

// factor < 1 darkens towards black, factor > 1 does nothing.
QColor Darker(const QColor& colour, double factor);
// amount 0 keeps the colour, 1 gives white.
QColor TowardsWhite(const QColor& colour, double amount);

inline const QColor kPureWhite{255, 255, 255};
inline const QColor kPureBlack{0, 0, 0};

}  // namespace kwadrill::art
