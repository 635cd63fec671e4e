#include "Canvas.h"

#include <QPainter>

namespace kwadrill::art {

void PainterCanvas::Fill(const QPainterPath& path, const QBrush& brush) {
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.setTransform(Transform(), true);
    painter_.fillPath(path, brush);
    painter_.restore();
}

}  // namespace kwadrill::art
