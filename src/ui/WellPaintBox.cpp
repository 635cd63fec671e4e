#include "WellPaintBox.h"

#include <QPaintEvent>
#include <QPainter>

#include "WindowZoom.h"

namespace kwadrill {

WellPaintBox::WellPaintBox(QSize logicalSize, qreal devicePixelRatio, QWidget* parent)
    : QWidget(parent), logicalSize_(logicalSize) {
    SetZoom(1.0, devicePixelRatio);
    resize(logicalSize);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void WellPaintBox::SetZoom(qreal zoom, qreal devicePixelRatio) {
    zoom_ = zoom;
    const qreal ratio = zoom * devicePixelRatio;
    screen_ = QImage(ZoomedSize(logicalSize_, ratio), QImage::Format_RGB32);
    screen_.setDevicePixelRatio(ratio);
    screen_.fill(Qt::black);
}

void WellPaintBox::SetRepaintFromBoard(std::function<void()> repaintFromBoard) {
    repaintFromBoard_ = std::move(repaintFromBoard);
}

void WellPaintBox::PaintPicture(const QPixmap& picture, QPoint topLeft) {
    {
        QPainter painter(&screen_);
        painter.drawPixmap(topLeft, picture);
    }
    ShowNow(ZoomedRect(QRect(topLeft, picture.deviceIndependentSize().toSize()), zoom_));
}

void WellPaintBox::PaintPictures(const std::function<void(QPainter&)>& paint) {
    {
        QPainter painter(&screen_);
        paint(painter);
    }
    ShowNow(rect());
}

void WellPaintBox::ShowNow(const QRect& area) {
    if (!isVisible() || painting_) {
        return;  // a paint event under way shows the screen anyway
    }
    showingOwnPicture_ = true;
    repaint(area);
    showingOwnPicture_ = false;
}

void WellPaintBox::paintEvent(QPaintEvent* event) {
    painting_ = true;
    if (!showingOwnPicture_ && repaintFromBoard_) {
        // Asked by the window system: show the real cells, not frames or sprinkles.
        repaintFromBoard_();
    }
    painting_ = false;
    // The screen holds this many of its pixels for each of the widget's.
    const qreal scale = screen_.devicePixelRatio() / zoom_;
    QPainter painter(this);
    painter.drawImage(event->rect(), screen_,
                      QRectF(event->rect().topLeft() * scale, event->rect().size() * scale));
}

}  // namespace kwadrill
