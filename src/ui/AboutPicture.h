#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace kwadrill {

// Resource names of the about picture, plain and for a device pixel ratio of 2.
inline constexpr char16_t kAboutPictureResource[] = u":/jpeg/ABOUT";
inline constexpr char16_t kAboutPicture2xResource[] = u":/jpeg/ABOUT@2x";

// Pictures larger than this on either side are taken as damaged headers.
inline constexpr int kMaxJpegSide = 8192;

// Decodes a JPEG with libjpeg into an RGB image. A damaged picture (an error,
// or a corrupt-data warning, from libjpeg) gives a null image and, when
// `problem` is given, libjpeg's message.
QImage DecodeJpeg(const QByteArray& data, QString* problem = nullptr);

// Decodes a JPEG resource or file; a missing or damaged one gives a null
// image and a warning in the log.
QImage LoadJpegPicture(const QString& path);

// A picture for a screen of the given device pixel ratio: the double-size one
// above a ratio of 1 when it exists and decodes (marked with a ratio of 2),
// else the plain one. Null when neither can be had.
QImage LoadPictureForRatio(qreal devicePixelRatio, const QString& plainPath,
                           const QString& doublePath);

// The about picture for a screen of the given device pixel ratio.
QImage LoadAboutPicture(qreal devicePixelRatio);

}  // namespace kwadrill
