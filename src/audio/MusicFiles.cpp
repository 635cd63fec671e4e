#include "MusicFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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

void MusicFiles::RemoveStaleTemporaries() const {
    if (scratchDirectory_.isEmpty()) return;
    // A piece's own name (qzkm1.mid .. qzkm13.mid), then mkostemp's six characters.
    static const QRegularExpression kTemporaryName(QRegularExpression::anchoredPattern(
        QStringLiteral(R"(qzkm(1[0-3]|[1-9])\.mid\.[A-Za-z0-9]{6})")));
    const QDir dir(scratchDirectory_);
    const QStringList names = dir.entryList({QStringLiteral("qzkm*.mid.*")},
                                            QDir::AllEntries | QDir::Hidden | QDir::System |
                                                QDir::NoDotAndDotDot | QDir::CaseSensitive);
    for (const QString& name : names) {
        if (!kTemporaryName.match(name).hasMatch()) continue;
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        struct stat info {};
        // unlink never follows a link; the type is checked on the name itself.
        if (::lstat(path.constData(), &info) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == ::geteuid())
            ::unlink(path.constData());
    }
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
    // A new file of its own beside the piece, renamed into place once whole:
    // whatever stood at the name (an older piece, a link, a FIFO) is
    // replaced, never written through. Unbuffered, so a full disk shows at
    // the write that meets it; a file not written whole is thrown away.
    QByteArray temporary = QFile::encodeName(path) + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        problem = qt_error_string(errno);
        return false;
    }
    qint64 written = 0;
    errno = 0;
    while (written < bytes.size()) {
        const ssize_t now = ::write(fd, bytes.constData() + written,
                                    static_cast<std::size_t>(bytes.size() - written));
        if (now < 0 && errno == EINTR) continue;
        if (now <= 0) break;
        written += now;
    }
    int error = written == bytes.size() ? 0 : (errno != 0 ? errno : EIO);
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0)
        error = errno;
    if (error == 0) return true;
    ::unlink(temporary.constData());
    problem = QStringLiteral("%1 of %2 bytes written, %3")
                  .arg(written)
                  .arg(bytes.size())
                  .arg(qt_error_string(error));
    return false;
}

}  // namespace kwadrill
