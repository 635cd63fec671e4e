#pragma once

#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kwadrill {

// One of the compiled-in BMP pictures; null when missing or damaged.
QImage ReadBitmap(const QString& path);

// Turns pure white pixels of an ARGB32 image fully transparent.
void MakeWhiteTransparent(QImage& image);

// A list of equally sized pictures loaded from the compiled-in bitmaps,
// optionally with white as the transparent colour. On a high-density screen
// the "@2x" pictures are taken when present, so nothing is blown up. A
// picture is decoded when it is first drawn: at start-up the window shows
// only a few of them.
class PictureList {
public:
    enum class Transparency { Opaque, WhiteIsTransparent };

    PictureList() = default;
    PictureList(const QStringList& resourceNames, Transparency transparency,
                qreal devicePixelRatio);

    int Count() const { return static_cast<int>(names_.size()); }
    // The logical size of one picture (the first one's).
    QSize PictureSize() const { return pictureSize_; }
    const QPixmap& Picture(int index) const;

private:
    QPixmap Load(const QString& name) const;

    QStringList names_;
    Transparency transparency_ = Transparency::Opaque;
    qreal devicePixelRatio_ = 1.0;
    mutable std::vector<std::optional<QPixmap>> pictures_;
    QSize pictureSize_;
};

}  // namespace kwadrill
