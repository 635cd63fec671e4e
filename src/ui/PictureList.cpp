#include "PictureList.h"

#include <QFile>
#include <QImage>
#include <QImageReader>

namespace kwadrill {

namespace {
constexpr qreal kHighDensityRatio = 2.0;
const QString kBitmapPrefix = QStringLiteral(":/bitmaps/");
const QString kHighDensitySuffix = QStringLiteral("@2x");
}  // namespace

QImage ReadBitmap(const QString& path) {
    // Told the format and not to guess, Qt reads a BMP itself instead of first
    // loading each of its image plugins to ask whether it knows the file.
    QImageReader reader(path, "BMP");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

void MakeWhiteTransparent(QImage& image) {
    const QRgb white = qRgb(255, 255, 255);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == white) {
                line[x] = qRgba(0, 0, 0, 0);
            }
        }
    }
}

PictureList::PictureList(const QStringList& resourceNames, Transparency transparency,
                         qreal devicePixelRatio) {
    for (const QString& name : resourceNames) {
        QPixmap picture = Load(name, transparency, devicePixelRatio);
        if (pictureSize_.isEmpty()) {
            pictureSize_ = picture.deviceIndependentSize().toSize();
        }
        pictures_.push_back(std::move(picture));
    }
}

QPixmap PictureList::Load(const QString& name, Transparency transparency, qreal devicePixelRatio) {
    QImage image;
    const QString sharpName = kBitmapPrefix + name + kHighDensitySuffix;
    if (devicePixelRatio > 1.0 && QFile::exists(sharpName) &&
        !(image = ReadBitmap(sharpName)).isNull()) {
        image.setDevicePixelRatio(kHighDensityRatio);
    } else {
        image = ReadBitmap(kBitmapPrefix + name);
    }
    image = image.convertToFormat(QImage::Format_ARGB32);
    if (transparency == Transparency::WhiteIsTransparent) {
        MakeWhiteTransparent(image);
    }
    return QPixmap::fromImage(image);
}

}  // namespace kwadrill
