#include "JpegWriter.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace kwadrill::art {

namespace {

constexpr int kComponents = 3;

// The default error handler calls exit(); this one jumps back instead.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void JumpOnError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

// Rows of packed RGB, ready for jpeg_write_scanlines.
std::vector<JSAMPLE> PackedRgb(const QImage& picture) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    const auto rowBytes = std::size_t(rgb.width()) * kComponents;
    std::vector<JSAMPLE> packed(rowBytes * std::size_t(rgb.height()));
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* line = rgb.constScanLine(y);
        std::copy(line, line + rowBytes,
                  packed.begin() + std::ptrdiff_t(rowBytes * std::size_t(y)));
    }
    return packed;
}

// Plain C control flow only between setjmp and the end: no object with a
// destructor is created after the jump point.
bool Compress(const std::vector<JSAMPLE>& packed, int width, int height, int quality,
              unsigned char** output, unsigned long* outputSize, char* message) {
    jpeg_compress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = JumpOnError;
    if (setjmp(errors.jump)) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, output, outputSize);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = kComponents;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const auto rowBytes = std::size_t(width) * kComponents;
    while (info.next_scanline < info.image_height) {
        auto* row = const_cast<JSAMPLE*>(packed.data() + rowBytes * info.next_scanline);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

}  // namespace

QByteArray EncodeBaselineJpeg(const QImage& picture, int quality, QString* error) {
    const std::vector<JSAMPLE> packed = PackedRgb(picture);
    unsigned char* output = nullptr;
    unsigned long outputSize = 0;
    char message[JMSG_LENGTH_MAX] = {};
    const bool ok =
        Compress(packed, picture.width(), picture.height(), quality, &output, &outputSize, message);
    QByteArray bytes;
    if (ok) {
        bytes = QByteArray(reinterpret_cast<const char*>(output), qsizetype(outputSize));
    } else {
        *error = QString::fromLocal8Bit(message);
    }
    std::free(output);  // jpeg_mem_dest's buffer is malloc'ed
    return bytes;
}

int QualityForSize(const QImage& picture, qsizetype targetBytes, int minQuality, int maxQuality) {
    int best = minQuality;
    qsizetype bestGap = -1;
    for (int quality = minQuality; quality <= maxQuality; ++quality) {
        QString error;
        const qsizetype size = EncodeBaselineJpeg(picture, quality, &error).size();
        const qsizetype gap = size > targetBytes ? size - targetBytes : targetBytes - size;
        if (size > 0 && (bestGap < 0 || gap < bestGap)) {
            bestGap = gap;
            best = quality;
        }
    }
    return best;
}

}  // namespace kwadrill::art
