#pragma once

#include <QDialog>
#include <QImage>

#include <optional>

namespace kwadrill {

// The about box: the about picture without a frame, with a shadowed text over
// its lower left. Escape or a click closes it.
class TForm4 : public QDialog {
public:
    explicit TForm4(QWidget* parent);

    // The decoded picture; null when it is missing or damaged (the box is then black).
    const QImage& Picture() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;  // FormKeyDown
    void showEvent(QShowEvent* event) override;

private:
    void Image1Click();

    mutable std::optional<QImage> picture_;
    mutable qreal pictureRatio_ = 0;  // the pixels per logical pixel it was chosen for
};

}  // namespace kwadrill
