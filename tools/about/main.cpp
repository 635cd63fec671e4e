// Draws the about picture and writes it as ABOUT.jpg (500 x 375) and
// ABOUT@2x.jpg (1000 x 750), baseline JPEGs, into the given folder.

#include <QDir>
#include <cstdio>

#include "AboutFonts.h"
#include "AboutPicture.h"
#include "JpegWriter.h"
#include "PictureGenerator.h"
#include "TextOutline.h"

namespace {

// The size the about picture is meant to have at scale 1; the quality is
// chosen to come closest to it and is then used at both scales.
constexpr qsizetype kTargetBytes = 66278;
constexpr int kMinQuality = 40;
constexpr int kMaxQuality = 95;

// A missing font would silently leave its text out of the picture.
bool FontsPresent() {
    for (const QString& file : kwadrill::art::AboutFontFiles()) {
        if (!kwadrill::art::TextOutline(file, 12).IsValid()) {
            std::fprintf(stderr, "cannot load the font %s (package fonts-liberation2)\n",
                         qPrintable(file));
            return false;
        }
    }
    return true;
}

bool WritePictures(const QDir& out) {
    using namespace kwadrill::art;
    const QImage normal = DrawAboutPicture(1);
    const int quality = QualityForSize(normal, kTargetBytes, kMinQuality, kMaxQuality);
    const std::pair<const char*, QImage> pictures[] = {{"ABOUT.jpg", normal},
                                                       {"ABOUT@2x.jpg", DrawAboutPicture(2)}};
    for (const auto& [name, picture] : pictures) {
        QString error;
        const QByteArray bytes = EncodeBaselineJpeg(picture, quality, &error);
        if (bytes.isEmpty()) {
            std::fprintf(stderr, "%s: %s\n", name, qPrintable(error));
            return false;
        }
        if (!SaveFile(out.filePath(name), bytes)) return false;
        std::printf("%s: %lld bytes at quality %d\n", name, static_cast<long long>(bytes.size()),
                    quality);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    return kwadrill::art::RunPictureGenerator(
        argc, argv, KWADRILL_DEFAULT_JPEG_DIR,
        [](const QDir& out) { return FontsPresent() && WritePictures(out); });
}
