#include "NextPieceBox.h"

#include <QFrame>
#include <QPainter>

#include <algorithm>
#include <utility>

#include "WindowZoom.h"

namespace kwadrill {

namespace {

constexpr int kFrameMargin = 2;   // between the sunken frame and the cells
constexpr int kTitleHeight = 16;  // where the panel's first button starts, too

// Paints the three cells from the pictures; the box says what they show.
class PieceCells : public QWidget {
public:
    PieceCells(const PictureList& pictures, const PieceTypes& types, QWidget* parent)
        : QWidget(parent), pictures_(pictures), types_(types) {
        const QSize cell = pictures_.PictureSize();
        resize(cell.width() * static_cast<int>(types_.size()), cell.height());
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.scale(ZoomOf(*this), ZoomOf(*this));
        const int width = pictures_.PictureSize().width();
        for (std::size_t k = 0; k < types_.size(); ++k) {
            painter.drawPixmap(static_cast<int>(k) * width, 0, pictures_.Picture(types_[k]));
        }
    }

private:
    const PictureList& pictures_;
    const PieceTypes& types_;
};

}  // namespace

NextPieceBox::NextPieceBox(const PictureList& cellPictures, QWidget* parent) : QGroupBox(parent) {
    frame_ = new QFrame(this);
    frame_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    cells_ = new PieceCells(cellPictures, types_, frame_);
    const int inset = frame_->frameWidth() + kFrameMargin;
    cells_->move(inset, inset);
    frame_->resize(cells_->size() + QSize(2 * inset, 2 * inset));
}

void NextPieceBox::ShowPiece(const PieceTypes& types) {
    if (std::exchange(types_, types) != types) {
        cells_->update();
    }
}

void NextPieceBox::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    PlaceFrame();
}

// The frame stands in the middle of the room under the title, worked out in
// the described layout's pixels and drawn at the window's zoom.
void NextPieceBox::PlaceFrame() {
    const QSize box = LogicalSize(*this);
    const QSize frame = LogicalSize(*frame_);
    const int roomHeight = box.height() - kTitleHeight;
    const QPoint at((box.width() - frame.width()) / 2,
                    kTitleHeight + std::max(0, (roomHeight - frame.height()) / 2));
    frame_->setGeometry(ZoomedRect(QRect(at, frame), ZoomOf(*this)));
}

}  // namespace kwadrill
