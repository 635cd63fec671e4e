#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace kwadrill::art {

// Encodes the picture as a baseline JPEG (three 8-bit components, standard
// Huffman tables) with libjpeg. Returns an empty array and says why in
// *error when libjpeg reports an error.
QByteArray EncodeBaselineJpeg(const QImage& picture, int quality, QString* error);

// The quality from minQuality..maxQuality whose file comes closest to
// targetBytes.
int QualityForSize(const QImage& picture, qsizetype targetBytes, int minQuality, int maxQuality);

}  // namespace kwadrill::art
