// Writes every cell, destruction, digit and glyph picture of the game as a
// 16-colour BMP, at scale 1 and 2, under the given resources folder.

#include <QDir>
#include <QGuiApplication>
#include <QSaveFile>
#include <cstdio>

#include "BitmapFile.h"
#include "PictureCatalogue.h"

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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QDir root(args.size() > 1 ? args.at(1) : QString(KWADRILL_DEFAULT_RESOURCES));
    int written = 0;
    for (const auto& picture : kwadrill::art::AllPictures()) {
        if (!root.mkpath(picture.kind)) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(root.filePath(picture.kind)));
            return 1;
        }
        for (int scale : kwadrill::art::kScales) {
            if (!WritePicture(picture, scale, root)) return 1;
            ++written;
        }
    }
    std::printf("%d pictures written to %s\n", written, qPrintable(root.absolutePath()));
    return 0;
}
