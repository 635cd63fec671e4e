#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <span>

#include "PictureList.h"

namespace kwadrill {

inline constexpr int kScoreDigits = 7;

// Splits |value| into digits, most significant first; a number with more
// digits than the span holds shows as all zeros.
void NumberToDigits(std::int32_t value, std::span<std::uint8_t> digits);

// The seven-digit score counter, drawn from the digit pictures.
class ScorePaintBox : public QWidget {
public:
    ScorePaintBox(const PictureList& digitPictures, QWidget* parent);

    // Shows value from now on, repainting at once.
    void ShowScore(std::int32_t value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const PictureList& digitPictures_;
    std::int32_t shownScore_ = 0;
};

}  // namespace kwadrill
