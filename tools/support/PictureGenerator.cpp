#include "PictureGenerator.h"

#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>

namespace kwadrill::art {

int RunPictureGenerator(int argc, char** argv, const QString& defaultFolder,
                        const std::function<bool(const QDir&)>& generate) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QDir out(args.size() > 1 ? args.at(1) : defaultFolder);
    if (!out.mkpath(".")) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(out.absolutePath()));
        return 1;
    }
    return generate(out) ? 0 : 1;
}

bool SaveFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    return true;
}

}  // namespace kwadrill::art
