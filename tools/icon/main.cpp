// Writes the application icon: kwadrill.svg and <N>x<N>/kwadrill.png for
// every icon size, into the given folder.

#include <QBuffer>
#include <QDir>
#include <QPainter>
#include <cstdio>

#include "IconArt.h"
#include "PictureGenerator.h"
#include "SvgCanvas.h"

namespace {

const QString kIconName = "kwadrill";

QByteArray IconPng(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        kwadrill::art::PainterCanvas canvas(painter);
        kwadrill::art::DrawIcon(canvas, size);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(QImage::Format_ARGB32).save(&buffer, "PNG");
    return bytes;
}

QByteArray IconSvg() {
    using namespace kwadrill::art;
    SvgCanvas canvas(kSvgIconSize, kSvgIconSize, "Kwadrill");
    DrawIcon(canvas, kSvgIconSize);
    return canvas.Document().toUtf8();
}

bool WriteIcons(const QDir& out) {
    using kwadrill::art::SaveFile;
    if (!SaveFile(out.filePath(kIconName + ".svg"), IconSvg())) return false;
    for (int size : kwadrill::art::kIconSizes) {
        const QString folder = QString("%1x%1").arg(size);
        const QByteArray png = IconPng(size);
        if (!out.mkpath(folder) || png.isEmpty() ||
            !SaveFile(out.filePath(folder + "/" + kIconName + ".png"), png)) {
            std::fprintf(stderr, "cannot write the %d pixel icon\n", size);
            return false;
        }
    }
    std::printf("icon written to %s\n", qPrintable(out.absolutePath()));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    return kwadrill::art::RunPictureGenerator(argc, argv, KWADRILL_DEFAULT_ICON_DIR, WriteIcons);
}
