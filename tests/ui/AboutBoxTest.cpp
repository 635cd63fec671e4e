#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <utility>
#include <vector>

#include <jpeglib.h>

#include "AboutPicture.h"
#include "TForm4.h"

namespace kwadrill {
namespace {

using namespace Qt::StringLiterals;

// A small JPEG, baseline unless asked: left half red, right half blue.
QByteArray MakeJpeg(int width, int height, bool progressive = false) {
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
    for (int x = 0; x < width; ++x) {
        row[static_cast<std::size_t>(x) * 3] = x < width / 2 ? 255 : 0;
        row[static_cast<std::size_t>(x) * 3 + 2] = x < width / 2 ? 0 : 255;
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW rowPointer = row.data();
        jpeg_write_scanlines(&info, &rowPointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
    std::free(buffer);
    return bytes;
}

bool Near(QRgb actual, QRgb expected) {
    return std::abs(qRed(actual) - qRed(expected)) < 24 &&
           std::abs(qGreen(actual) - qGreen(expected)) < 24 &&
           std::abs(qBlue(actual) - qBlue(expected)) < 24;
}

// 50 is not a multiple of 4 bytes per row, so padded rows are exercised.
TEST(DecodeJpeg, DecodesEveryRowIntoTheImage) {
    const QImage image = DecodeJpeg(MakeJpeg(50, 30));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(50, 30));
    for (const int y : {0, 15, 29}) {
        EXPECT_TRUE(Near(image.pixel(5, y), qRgb(255, 0, 0))) << y;
        EXPECT_TRUE(Near(image.pixel(45, y), qRgb(0, 0, 255))) << y;
    }
}

// libjpeg's own error handler would end the process; each case returns here.
TEST(DecodeJpeg, DamagedDataGivesANullImageAndAReason) {
    const QByteArray good = MakeJpeg(64, 64);
    QByteArray flipped = good;
    for (qsizetype i = flipped.size() / 2; i < flipped.size() - 2; ++i) flipped[i] = '\xff';
    const QList<QByteArray> damaged{QByteArray(), QByteArray("not a picture at all"),
                                    good.left(good.size() / 2), good.left(20), flipped};
    for (const QByteArray& data : damaged) {
        QString problem;
        EXPECT_TRUE(DecodeJpeg(data, &problem).isNull()) << data.size();
        EXPECT_FALSE(problem.isEmpty()) << data.size();
    }
}

// Writes the sides into the frame header (SOF0 or SOF2) of a JPEG image.
QByteArray WithHeaderSides(QByteArray jpeg, int width, int height) {
    for (qsizetype i = 0; i + 9 < jpeg.size(); ++i) {
        const auto marker = static_cast<unsigned char>(jpeg[i + 1]);
        if (jpeg[i] == '\xff' && (marker == 0xc0 || marker == 0xc2)) {
            jpeg[i + 5] = static_cast<char>(height >> 8);
            jpeg[i + 6] = static_cast<char>(height & 0xff);
            jpeg[i + 7] = static_cast<char>(width >> 8);
            jpeg[i + 8] = static_cast<char>(width & 0xff);
            return jpeg;
        }
    }
    ADD_FAILURE() << "no frame header";
    return jpeg;
}

// A header's sides alone size a progressive picture's buffers, so a damaged
// one must be refused before decoding starts (found by fuzzing). 65500 is
// the largest side libjpeg itself accepts.
TEST(DecodeJpeg, SidesAboveTheLimitAreRefusedFromTheHeader) {
    for (const bool progressive : {false, true}) {
        const QByteArray small = MakeJpeg(16, 16, progressive);
        for (const auto& [width, height] :
             {std::pair(kMaxJpegSide + 1, 16), std::pair(16, 60000), std::pair(65500, 65500)}) {
            QString problem;
            EXPECT_TRUE(DecodeJpeg(WithHeaderSides(small, width, height), &problem).isNull())
                << progressive << " " << width << "x" << height;
            EXPECT_EQ(problem.toStdString(), "Unsupported picture size or colour layout");
        }
    }
}

TEST(DecodeJpeg, MissingFileGivesANullImage) {
    EXPECT_TRUE(LoadJpegPicture(u"/nonexistent/ABOUT.jpg"_s).isNull());
}

class PictureForRatioTest : public testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QTemporaryDir dir_;
};

TEST_F(PictureForRatioTest, DoubleScreensGetTheDoubleSizePictureMarkedWithItsRatio) {
    const QString plain = Write(u"plain.jpg"_s, MakeJpeg(50, 30));
    const QString twice = Write(u"twice.jpg"_s, MakeJpeg(100, 60));
    const QImage sharp = LoadPictureForRatio(2.0, plain, twice);
    EXPECT_EQ(sharp.size(), QSize(100, 60));
    EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
    EXPECT_EQ(sharp.deviceIndependentSize().toSize(), QSize(50, 30));

    const QImage normal = LoadPictureForRatio(1.0, plain, twice);
    EXPECT_EQ(normal.size(), QSize(50, 30));
    EXPECT_EQ(normal.devicePixelRatio(), 1.0);
}

TEST_F(PictureForRatioTest, MissingOrDamagedDoubleSizePictureFallsBackToThePlainOne) {
    const QString plain = Write(u"plain.jpg"_s, MakeJpeg(50, 30));
    const QString damaged = Write(u"damaged.jpg"_s, MakeJpeg(100, 60).left(40));
    EXPECT_EQ(LoadPictureForRatio(2.0, plain, damaged).size(), QSize(50, 30));
    EXPECT_EQ(LoadPictureForRatio(2.0, plain, dir_.filePath(u"none.jpg"_s)).size(), QSize(50, 30));
    EXPECT_TRUE(LoadPictureForRatio(2.0, damaged, damaged).isNull());
}

class AboutBoxTest : public testing::Test {
protected:
    TForm4 form_{nullptr};
};

TEST_F(AboutBoxTest, IsABorderlessBlackBoxOfItsSize) {
    EXPECT_EQ(form_.size(), QSize(500, 375));
    EXPECT_TRUE(form_.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(form_.findChild<QWidget*>(u"RxLabel1"_s)->geometry(), QRect(4, 200, 301, 173));
    if (QFile::exists(QString::fromUtf16(kAboutPictureResource))) {
        EXPECT_FALSE(form_.Picture().isNull());
        EXPECT_EQ(form_.Picture().deviceIndependentSize().toSize(), QSize(500, 375));
    }
}

TEST_F(AboutBoxTest, LabelDrawsLimeTextOverABlueShadow) {
    form_.show();
    const QImage image = form_.findChild<QWidget*>(u"RxLabel1"_s)->grab().toImage();
    bool lime = false;
    bool blue = false;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            lime = lime || image.pixel(x, y) == qRgb(0, 255, 0);
            blue = blue || image.pixel(x, y) == qRgb(0, 0, 255);
        }
    }
    EXPECT_TRUE(lime);
    EXPECT_TRUE(blue);
}

TEST_F(AboutBoxTest, EscapeClosesWithOk) {
    form_.show();
    QTest::keyClick(&form_, Qt::Key_Escape);
    EXPECT_FALSE(form_.isVisible());
    EXPECT_EQ(form_.result(), QDialog::Accepted);
}

TEST_F(AboutBoxTest, AClickOnThePictureOrTheLabelCloses) {
    for (const QString& child : {u"Image1"_s, u"RxLabel1"_s}) {
        form_.show();
        QTest::mouseClick(form_.findChild<QWidget*>(child), Qt::LeftButton);
        EXPECT_FALSE(form_.isVisible()) << child.toStdString();
        EXPECT_EQ(form_.result(), QDialog::Accepted);
    }
}

}  // namespace
}  // namespace kwadrill
