// Writes the application icon: kwadrill.svg and <N>x<N>/kwadrill.png for
// every icon size, into the given folder.

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QSaveFile>
#include <cstdio>

#include "IconArt.h"
#include "SvgCanvas.h"

namespace {

const QString kIconName = "kwadrill";

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    return true;
}

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

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QDir out(args.size() > 1 ? args.at(1) : QString(KWADRILL_DEFAULT_ICON_DIR));
    if (!out.mkpath(".") || !WriteFile(out.filePath(kIconName + ".svg"), IconSvg())) return 1;
    for (int size : kwadrill::art::kIconSizes) {
        const QString folder = QString("%1x%1").arg(size);
        const QByteArray png = IconPng(size);
        if (!out.mkpath(folder) || png.isEmpty() ||
            !WriteFile(out.filePath(folder + "/" + kIconName + ".png"), png)) {
            std::fprintf(stderr, "cannot write the %d pixel icon\n", size);
            return 1;
        }
    }
    std::printf("icon written to %s\n", qPrintable(out.absolutePath()));
    return 0;
}
