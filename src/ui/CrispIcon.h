#pragma once

#include <QIcon>
#include <QImage>

namespace kwadrill {

// An icon of pixel art at any size: the plain picture for sizes up to 1.25
// times its own, the double one above, each widened pixel by pixel, never
// smoothed. Qt's own icons blur a picture they widen, and never widen one
// past its size.
QIcon CrispIcon(const QImage& plain, const QImage& sharp);

}  // namespace kwadrill
