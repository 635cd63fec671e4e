#include "ScorePaintBox.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cstdlib>

#include "WindowZoom.h"

namespace kwadrill {

void NumberToDigits(std::int32_t value, std::span<std::uint8_t> digits) {
    std::fill(digits.begin(), digits.end(), std::uint8_t{0});
    // 64 bits, so that the lowest 32-bit value has an absolute value too.
    std::int64_t remaining = std::llabs(static_cast<std::int64_t>(value));
    std::int64_t limit = 1;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        limit *= 10;
    }
    if (remaining >= limit) {
        return;
    }
    for (std::size_t j = digits.size(); j-- > 0;) {
        digits[j] = static_cast<std::uint8_t>(remaining % 10);
        remaining /= 10;
    }
}

ScorePaintBox::ScorePaintBox(const PictureList& digitPictures, QWidget* parent)
    : QWidget(parent), digitPictures_(digitPictures) {}

void ScorePaintBox::ShowScore(std::int32_t value) {
    shownScore_ = value;
    repaint();
}

void ScorePaintBox::paintEvent(QPaintEvent*) {
    std::array<std::uint8_t, kScoreDigits> digits{};
    NumberToDigits(shownScore_, digits);
    QPainter painter(this);
    painter.scale(ZoomOf(*this), ZoomOf(*this));
    const int digitWidth = digitPictures_.PictureSize().width();
    for (int i = 0; i < kScoreDigits; ++i) {
        painter.drawPixmap(i * digitWidth, 0,
                           digitPictures_.Picture(digits[static_cast<std::size_t>(i)]));
    }
}

}  // namespace kwadrill
