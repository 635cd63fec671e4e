#pragma once

#include <QImage>
#include <QList>
#include <QRgb>

namespace kwadrill::art {

// Colours of a 16-colour bitmap.
inline constexpr int kBitmapColours = 16;

// Reduces a drawing to an indexed image of exactly 16 palette entries (which
// Qt writes as a 4-bit BMP). `pinned` colours (at most 16) are kept exactly,
// so white stays pure white where it is the transparent colour; the other
// entries are found by median cut, refined by a few k-means rounds. Each
// pixel takes its nearest entry: no dithering, which would only add noise
// to pictures this small. Deterministic.
QImage ToSixteenColours(const QImage& image, const QList<QRgb>& pinned);

}  // namespace kwadrill::art
