#include "MusicFiles.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>

namespace kwadrill {

const std::array<QString, MusicFiles::kCount>& MusicFiles::MusicResourceNames() {
    // File numbers are positions here: "SCORE" and "GAMEOVER" sit between GAME2 and GAME3.
    static const std::array<QString, kCount> names{
        QStringLiteral("MENU"),  QStringLiteral("GAME1"),    QStringLiteral("GAME2"),
        QStringLiteral("SCORE"), QStringLiteral("GAMEOVER"), QStringLiteral("GAME3"),
        QStringLiteral("GAME4"), QStringLiteral("GAME5"),    QStringLiteral("GAME6"),
        QStringLiteral("GAME7"), QStringLiteral("GAME8"),    QStringLiteral("GAME9"),
        QStringLiteral("GAME10")};
    return names;
}

int MusicFiles::PositionOf(const QString& name) {
    const auto& names = MusicResourceNames();
    const auto found = std::find(names.begin(), names.end(), name);
    return found == names.end() ? 0 : static_cast<int>(found - names.begin()) + 1;
}

MusicFiles::MusicFiles(QString scratchDirectory) : scratchDirectory_(std::move(scratchDirectory)) {}

QString MusicFiles::PathFor(int position) const {
    return scratchDirectory_ + QStringLiteral("qzkm") + QString::number(position) +
           QStringLiteral(".mid");
}

bool MusicFiles::Extract() const {
    bool allWritten = true;
    for (int position = 1; position <= kCount; ++position)
        allWritten = ExtractOne(position) && allWritten;
    return allWritten;
}

void MusicFiles::Delete() const {
    for (int position = 1; position <= kCount; ++position) QFile::remove(PathFor(position));
}

bool MusicFiles::ExtractOne(int position) const {
    QFile resource(QStringLiteral(":/midi/") + MusicResourceNames()[position - 1]);
    if (!resource.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = resource.readAll();
    QSaveFile file(PathFor(position));
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace kwadrill
