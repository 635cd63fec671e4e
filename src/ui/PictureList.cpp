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
                         qreal devicePixelRatio)
    : names_(resourceNames),
      transparency_(transparency),
      devicePixelRatio_(devicePixelRatio),
      pictures_(static_cast<std::size_t>(resourceNames.size())) {
    if (!names_.isEmpty()) {
        pictureSize_ = Picture(0).deviceIndependentSize().toSize();
    }
}

const QPixmap& PictureList::Picture(int index) const {
    std::optional<QPixmap>& picture = pictures_.at(static_cast<std::size_t>(index));
    if (!picture) {
        picture = Load(names_.at(index));
    }
    return *picture;
}

QPixmap PictureList::Load(const QString& name) const {
    QImage image;
    const QString sharpName = kBitmapPrefix + name + kHighDensitySuffix;
    if (devicePixelRatio_ > 1.0 && QFile::exists(sharpName) &&
        !(image = ReadBitmap(sharpName)).isNull()) {
        image.setDevicePixelRatio(kHighDensityRatio);
    } else {
        image = ReadBitmap(kBitmapPrefix + name);
    }
    image = image.convertToFormat(QImage::Format_ARGB32);
    if (transparency_ == Transparency::WhiteIsTransparent) {
        MakeWhiteTransparent(image);
    }
    return QPixmap::fromImage(image);
}

}  // namespace kwadrill
