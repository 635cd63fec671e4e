#pragma once

#include <QString>
#include <QStringList>

#include "Canvas.h"

namespace kwadrill::art {

// Writes what is drawn on it as the elements of an SVG document: each fill
// becomes a <path>, each gradient a <linearGradient> or <radialGradient> in
// user space, so the file shows exactly what the painter back end paints.
class SvgCanvas : public Canvas {
public:
    SvgCanvas(int width, int height, const QString& title);

    void Fill(const QPainterPath& path, const QBrush& brush) override;
    QString Document() const;

private:
    QString PaintOf(const QBrush& brush);
    QString GradientStops(const QGradient& gradient) const;

    int width_;
    int height_;
    QString title_;
    QStringList elements_;
    int gradients_ = 0;
};

}  // namespace kwadrill::art
