#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

namespace kwadrill {

// The well. It keeps a backing image, its "screen": pictures are painted into
// it at once and shown at once. A repaint the window system asks for is
// handed to the repaintFromBoard callback, which redraws the whole field.
class WellPaintBox : public QWidget {
public:
    WellPaintBox(QSize logicalSize, qreal devicePixelRatio, QWidget* parent);

    // The window is drawn at zoom: the screen is made anew at that many
    // pixels per logical pixel (times the desktop's ratio), blank until the
    // next picture or repaint.
    void SetZoom(qreal zoom, qreal devicePixelRatio);

    void SetRepaintFromBoard(std::function<void()> repaintFromBoard);

    // Paints a picture with its top-left corner at a logical point and shows it.
    void PaintPicture(const QPixmap& picture, QPoint topLeft);
    // Paints several pictures, then shows them in one go.
    void PaintPictures(const std::function<void(QPainter&)>& paint);

    const QImage& Screen() const { return screen_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void ShowNow(const QRect& area);

    QSize logicalSize_;
    qreal zoom_ = 1.0;
    QImage screen_;
    std::function<void()> repaintFromBoard_;
    bool showingOwnPicture_ = false;
    bool painting_ = false;
};

}  // namespace kwadrill
