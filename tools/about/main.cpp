// Draws the about picture and writes it as ABOUT.jpg (500 x 375) and
// ABOUT@2x.jpg (1000 x 750), baseline JPEGs, into the given folder.

#include <QDir>
#include <QGuiApplication>
#include <QSaveFile>
#include <cstdio>

#include "AboutFonts.h"
#include "AboutPicture.h"
#include "JpegWriter.h"
#include "TextOutline.h"

namespace {

// The size the about picture is meant to have at scale 1; the quality is
// chosen to come closest to it and is then used at both scales.
constexpr qsizetype kTargetBytes = 66278;
constexpr int kMinQuality = 40;
constexpr int kMaxQuality = 95;

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    return true;
}

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

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QDir out(args.size() > 1 ? args.at(1) : QString(KWADRILL_DEFAULT_JPEG_DIR));
    if (!FontsPresent()) return 1;
    if (!out.mkpath(".")) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(out.absolutePath()));
        return 1;
    }
    const QImage normal = kwadrill::art::DrawAboutPicture(1);
    const int quality =
        kwadrill::art::QualityForSize(normal, kTargetBytes, kMinQuality, kMaxQuality);
    const std::pair<const char*, QImage> pictures[] = {
        {"ABOUT.jpg", normal}, {"ABOUT@2x.jpg", kwadrill::art::DrawAboutPicture(2)}};
    for (const auto& [name, picture] : pictures) {
        QString error;
        const QByteArray bytes = kwadrill::art::EncodeBaselineJpeg(picture, quality, &error);
        if (bytes.isEmpty()) {
            std::fprintf(stderr, "%s: %s\n", name, qPrintable(error));
            return 1;
        }
        if (!WriteFile(out.filePath(name), bytes)) return 1;
        std::printf("%s: %lld bytes at quality %d\n", name, static_cast<long long>(bytes.size()),
                    quality);
    }
    return 0;
}
