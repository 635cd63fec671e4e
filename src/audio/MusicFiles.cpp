#include "MusicFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>

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

std::vector<QByteArray> MusicFiles::ResourcePieces() {
    std::vector<QByteArray> pieces;
    for (const QString& name : MusicResourceNames()) {
        QFile resource(QStringLiteral(":/midi/") + name);
        if (resource.open(QIODevice::ReadOnly)) pieces.push_back(resource.readAll());
    }
    return pieces;
}

MusicFiles::MusicFiles(QString scratchDirectory) : scratchDirectory_(std::move(scratchDirectory)) {}

QString MusicFiles::PathFor(int position) const {
    return scratchDirectory_ + QStringLiteral("qzkm") + QString::number(position) +
           QStringLiteral(".mid");
}

bool MusicFiles::Extract() const {
    int failed = 0;
    QString firstProblem;
    for (int position = 1; position <= kCount; ++position) {
        QString problem;
        if (ExtractOne(position, problem)) continue;
        if (failed++ == 0)
            firstProblem = QFileInfo(PathFor(position)).fileName() + QStringLiteral(": ") + problem;
    }
    // The warning box says neither where nor why: that goes to stderr.
    if (failed > 0) {
        std::fprintf(stderr, "Kwadrill: %d of %d music files could not be written to %s (%s)\n",
                     failed, kCount, qUtf8Printable(scratchDirectory_),
                     qUtf8Printable(firstProblem));
    }
    return failed == 0;
}

void MusicFiles::Delete() const {
    for (int position = 1; position <= kCount; ++position) QFile::remove(PathFor(position));
}

bool MusicFiles::ExtractOne(int position, QString& problem) const {
    const QString path = PathFor(position);
    if (WriteWhole(position, path, problem)) return true;
    // A piece that could not be written whole is not left behind to be played,
    // and an older file at its place cannot be trusted either.
    QFile::remove(path);
    return false;
}

bool MusicFiles::WriteWhole(int position, const QString& path, QString& problem) const {
    QFile resource(QStringLiteral(":/midi/") + MusicResourceNames()[position - 1]);
    if (!resource.open(QIODevice::ReadOnly)) {
        problem = resource.errorString();
        return false;
    }
    const QByteArray bytes = resource.readAll();
    // Unbuffered: a buffered save would meet a full disk only when flushing on
    // commit, and could then put a cut piece in place. An uncommitted file is
    // thrown away.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        problem = file.errorString();
        return false;
    }
    const qint64 written = file.write(bytes);
    if (written != bytes.size() || file.size() != bytes.size()) {
        problem = QStringLiteral("%1 of %2 bytes written")
                      .arg(std::max<qint64>(written, 0))
                      .arg(bytes.size());
        if (file.error() != QFileDevice::NoError)
            problem += QStringLiteral(", ") + file.errorString();
        return false;
    }
    if (!file.commit()) {
        problem = file.errorString();
        return false;
    }
    return true;
}

}  // namespace kwadrill
