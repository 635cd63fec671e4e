#include "BitmapFile.h"

#include <QBuffer>

namespace kwadrill::art {

namespace {

constexpr int kSixteenColourBits = 4;

}  // namespace

int BmpBitsPerPixel(const QByteArray& bmp) {
    if (bmp.size() < kBmpBitCountOffset + 2 || !bmp.startsWith("BM")) return 0;
    return static_cast<unsigned char>(bmp[kBmpBitCountOffset]) |
           (static_cast<unsigned char>(bmp[kBmpBitCountOffset + 1]) << 8);
}

QByteArray EncodeSixteenColourBmp(const QImage& indexed, QString* error) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!indexed.save(&buffer, "BMP")) {
        *error = "the BMP writer failed";
        return {};
    }
    if (BmpBitsPerPixel(bytes) != kSixteenColourBits) {
        *error = QString("written with %1 bits per pixel, not 4").arg(BmpBitsPerPixel(bytes));
        return {};
    }
    return bytes;
}

}  // namespace kwadrill::art
