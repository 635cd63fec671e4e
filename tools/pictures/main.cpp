// Writes every cell, destruction, digit and glyph picture of the game as a
// 16-colour BMP, at scale 1 and 2, under the given resources folder.

#include <QDir>
#include <cstdio>

#include "BitmapFile.h"
#include "PictureCatalogue.h"
#include "PictureGenerator.h"

namespace {

bool WritePicture(const kwadrill::art::Picture& picture, int scale, const QDir& root) {
    using namespace kwadrill::art;
    QString error;
    const QByteArray bytes = EncodeSixteenColourBmp(picture.render(scale), &error);
    const QString path = root.filePath(picture.kind + "/" + PictureFileName(picture.name, scale));
    if (bytes.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(error));
        return false;
    }
    return SaveFile(path, bytes);
}

bool WriteAllPictures(const QDir& root) {
    int written = 0;
    for (const auto& picture : kwadrill::art::AllPictures()) {
        if (!root.mkpath(picture.kind)) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(root.filePath(picture.kind)));
            return false;
        }
        for (int scale : kwadrill::art::kScales) {
            if (!WritePicture(picture, scale, root)) return false;
            ++written;
        }
    }
    std::printf("%d pictures written to %s\n", written, qPrintable(root.absolutePath()));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    return kwadrill::art::RunPictureGenerator(argc, argv, KWADRILL_DEFAULT_RESOURCES,
                                              WriteAllPictures);
}
