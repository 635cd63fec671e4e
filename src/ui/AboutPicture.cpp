#include "AboutPicture.h"

#include <QFile>
#include <QtDebug>

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE declared

#include <jpeglib.h>

namespace kwadrill {

namespace {

constexpr int kRgbComponents = 3;
constexpr qreal kDoubleRatio = 2.0;
constexpr char kUnsupportedPicture[] = "Unsupported picture size or colour layout";

// libjpeg's default error handler ends the process; ours jumps back instead.
struct JpegError {
    jpeg_error_mgr manager;  // first member: libjpeg hands back a pointer to it
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

JpegError& ErrorOf(j_common_ptr info) {
    return *reinterpret_cast<JpegError*>(info->err);
}

void KeepMessage(j_common_ptr info) {
    info->err->format_message(info, ErrorOf(info).message);
}

[[noreturn]] void JumpBack(j_common_ptr info) {
    KeepMessage(info);
    std::longjmp(ErrorOf(info).jump, 1);
}

// Nothing with a destructor lives in this frame, so libjpeg's error jump may
// leave it at any point; `image` belongs to the caller.
bool DecodeInto(jpeg_decompress_struct& info, JpegError& error, const QByteArray& data,
                QImage& image) {
    if (setjmp(error.jump)) return false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    // Before decompression starts: a progressive picture's buffers are sized
    // by its header alone, whatever data follows.
    if (info.image_width > kMaxJpegSide || info.image_height > kMaxJpegSide) {
        qstrncpy(error.message, kUnsupportedPicture, JMSG_LENGTH_MAX);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != kRgbComponents || info.output_width > kMaxJpegSide ||
        info.output_height > kMaxJpegSide) {
        qstrncpy(error.message, kUnsupportedPicture, JMSG_LENGTH_MAX);
        return false;
    }
    image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                   QImage::Format_RGB888);
    if (image.isNull()) {
        qstrncpy(error.message, "Out of memory for the picture", JMSG_LENGTH_MAX);
        return false;
    }
    // One row at a time: QImage pads its rows to 4 bytes.
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

}  // namespace

QImage DecodeJpeg(const QByteArray& data, QString* problem) {
    jpeg_decompress_struct info{};
    JpegError error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JumpBack;
    error.manager.output_message = KeepMessage;

    QImage image;
    const bool decoded = DecodeInto(info, error, data, image);
    const bool clean = decoded && error.manager.num_warnings == 0;
    jpeg_destroy_decompress(&info);
    if (clean) return image;
    if (problem) *problem = QString::fromLocal8Bit(error.message);
    return QImage();
}

QImage LoadJpegPicture(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning().noquote() << "Picture" << path << "is missing:" << file.errorString();
        return QImage();
    }
    QString problem;
    QImage image = DecodeJpeg(file.readAll(), &problem);
    if (image.isNull()) qWarning().noquote() << "Picture" << path << "is damaged:" << problem;
    return image;
}

QImage LoadPictureForRatio(qreal devicePixelRatio, const QString& plainPath,
                           const QString& doublePath) {
    if (devicePixelRatio > 1.0 && QFile::exists(doublePath)) {
        QImage image = LoadJpegPicture(doublePath);
        if (!image.isNull()) {
            image.setDevicePixelRatio(kDoubleRatio);
            return image;
        }
    }
    return LoadJpegPicture(plainPath);
}

QImage LoadAboutPicture(qreal devicePixelRatio) {
    return LoadPictureForRatio(devicePixelRatio, QString::fromUtf16(kAboutPictureResource),
                               QString::fromUtf16(kAboutPicture2xResource));
}

}  // namespace kwadrill
