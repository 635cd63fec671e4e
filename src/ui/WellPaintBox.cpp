#include "WellPaintBox.h"

#include <QPaintEvent>
#include <QPainter>

namespace kwadrill {

WellPaintBox::WellPaintBox(QSize logicalSize, qreal devicePixelRatio, QWidget* parent)
    : QWidget(parent), screen_(logicalSize * devicePixelRatio, QImage::Format_RGB32) {
    screen_.setDevicePixelRatio(devicePixelRatio);
    screen_.fill(Qt::black);
    resize(logicalSize);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void WellPaintBox::SetRepaintFromBoard(std::function<void()> repaintFromBoard) {
    repaintFromBoard_ = std::move(repaintFromBoard);
}

void WellPaintBox::PaintPicture(const QPixmap& picture, QPoint topLeft) {
    {
        QPainter painter(&screen_);
        painter.drawPixmap(topLeft, picture);
    }
    ShowNow(QRect(topLeft, picture.deviceIndependentSize().toSize()));
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
    QPainter painter(this);
    painter.drawImage(event->rect(), screen_,
                      QRectF(event->rect().topLeft() * screen_.devicePixelRatio(),
                             event->rect().size() * screen_.devicePixelRatio()));
}

}  // namespace kwadrill
