#include "ArtColours.h"

#include <algorithm>

namespace kwadrill::art {

QColor Darker(const QColor& colour, double factor) {
    factor = std::clamp(factor, 0.0, 1.0);
    return QColor::fromRgbF(float(colour.redF() * factor), float(colour.greenF() * factor),
                            float(colour.blueF() * factor));
}

QColor TowardsWhite(const QColor& colour, double amount) {
    amount = std::clamp(amount, 0.0, 1.0);
    auto mix = [amount](float c) { return float(c + (1.0 - c) * amount); };
    return QColor::fromRgbF(mix(colour.redF()), mix(colour.greenF()), mix(colour.blueF()));
}

}  // namespace kwadrill::art
