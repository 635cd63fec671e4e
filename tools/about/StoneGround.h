#pragma once

#include <QImage>
#include <QSize>

namespace kwadrill::art {

// A grey, granite-like ground of the given size in picture units, drawn at
// the scale from fixed-seed noise: the same stone at every scale and run.
QImage StoneGround(QSize units, int scale);

}  // namespace kwadrill::art
