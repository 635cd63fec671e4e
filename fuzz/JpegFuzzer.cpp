// Any bytes as the about picture, decoded with libjpeg.

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstddef>
#include <cstdint>

#include "AboutPicture.h"
#include "FuzzCheck.h"

using kwadrill::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Not copied: a read past the input's end is caught right at its edge.
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString problem;
    const QImage image = kwadrill::DecodeJpeg(bytes, &problem);
    if (image.isNull()) {
        Require(!problem.isEmpty(), "a refused picture comes with libjpeg's reason");
        return 0;
    }
    Require(problem.isEmpty(), "a decoded picture reports no problem");
    Require(image.format() == QImage::Format_RGB888, "a decoded picture is RGB");
    Require(image.width() <= kwadrill::kMaxJpegSide && image.height() <= kwadrill::kMaxJpegSide,
            "no decoded picture is larger than the limit");
    return 0;
}
