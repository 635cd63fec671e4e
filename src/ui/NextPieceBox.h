#pragma once

#include <QGroupBox>

#include "PictureList.h"
#include "PieceForecast.h"

class QFrame;

namespace kwadrill {

// The next piece, shown under the control panel: its three blocks drawn from
// the well's cell pictures in a small sunken frame, under a title.
class NextPieceBox : public QGroupBox {
public:
    NextPieceBox(const PictureList& cellPictures, QWidget* parent);

    // Shows the types left to right; 0 shows an empty cell.
    void ShowPiece(const PieceTypes& types);
    const PieceTypes& ShownPiece() const { return types_; }
    // Centres the cells' frame under the title; the box does it when resized,
    // which a hidden box is not until it shows.
    void PlaceFrame();
    // The three cells, for tests.
    QWidget* Cells() const { return cells_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    PieceTypes types_{};
    QFrame* frame_ = nullptr;
    QWidget* cells_ = nullptr;
};

}  // namespace kwadrill
