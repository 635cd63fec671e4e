#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace kwadrill::art {

// Offset of biBitCount in a BMP file (14-byte file header + 14 bytes of info header).
inline constexpr int kBmpBitCountOffset = 28;

// Bits per pixel recorded in a BMP file's header, or 0 when it is no BMP.
int BmpBitsPerPixel(const QByteArray& bmp);

// Encodes an indexed image of at most 16 colours as an uncompressed 4-bit
// BMP. Returns an empty array (and says why in *error) if Qt would write
// another depth.
QByteArray EncodeSixteenColourBmp(const QImage& indexed, QString* error);

}  // namespace kwadrill::art
