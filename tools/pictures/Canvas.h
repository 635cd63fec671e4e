#pragma once

#include <QBrush>
#include <QPainterPath>
#include <QTransform>

class QPainter;

namespace kwadrill::art {

// What the vector art draws on: filled paths only, with a solid colour or a
// linear or radial gradient. One back end paints pixels, another writes SVG,
// so the icon and the cell pictures share one drawing.
class Canvas {
public:
    virtual ~Canvas() = default;

    // Path and brush are in the current local coordinates.
    virtual void Fill(const QPainterPath& path, const QBrush& brush) = 0;

    void SetTransform(const QTransform& transform) { transform_ = transform; }
    const QTransform& Transform() const { return transform_; }

private:
    QTransform transform_;
};

// Paints with antialiasing on a QPainter.
class PainterCanvas : public Canvas {
public:
    explicit PainterCanvas(QPainter& painter) : painter_(painter) {}
    void Fill(const QPainterPath& path, const QBrush& brush) override;

private:
    QPainter& painter_;
};

// Maps local coordinates to the canvas for the duration of a scope.
class CanvasTransformScope {
public:
    CanvasTransformScope(Canvas& canvas, const QTransform& local)
        : canvas_(canvas), saved_(canvas.Transform()) {
        canvas.SetTransform(local * saved_);
    }
    ~CanvasTransformScope() { canvas_.SetTransform(saved_); }
    CanvasTransformScope(const CanvasTransformScope&) = delete;
    CanvasTransformScope& operator=(const CanvasTransformScope&) = delete;

private:
    Canvas& canvas_;
    QTransform saved_;
};

}  // namespace kwadrill::art
