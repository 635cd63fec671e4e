#pragma once

#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

#include <vector>

namespace kwadrill {

// One of the compiled-in BMP pictures; null when missing or damaged.
QImage ReadBitmap(const QString& path);

// Turns pure white pixels of an ARGB32 image fully transparent.
void MakeWhiteTransparent(QImage& image);

// A list of equally sized pictures loaded from the compiled-in bitmaps,
// optionally with white as the transparent colour. On a high-density screen
// the "@2x" pictures are taken when present, so nothing is blown up.
class PictureList {
public:
    enum class Transparency { Opaque, WhiteIsTransparent };

    PictureList() = default;
    PictureList(const QStringList& resourceNames, Transparency transparency,
                qreal devicePixelRatio);

    int Count() const { return static_cast<int>(pictures_.size()); }
    // The logical size of one picture.
    QSize PictureSize() const { return pictureSize_; }
    const QPixmap& Picture(int index) const {
        return pictures_.at(static_cast<std::size_t>(index));
    }

private:
    static QPixmap Load(const QString& name, Transparency transparency, qreal devicePixelRatio);

    std::vector<QPixmap> pictures_;
    QSize pictureSize_;
};

}  // namespace kwadrill
