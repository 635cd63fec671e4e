#include "WriteFailure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kwadrill {

namespace {

// Letters only, as Qt names its own temporary files: what a save cut short
// leaves is found by one pattern whichever made it.
constexpr auto kNameLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr int kNameLength = 6;
constexpr int kNameAttempts = 16;

QString NameBeside(const QString& path) {
    QString name = path + u'.';
    const int letters = static_cast<int>(std::strlen(kNameLetters));
    for (int i = 0; i < kNameLength; ++i)
        name += QLatin1Char(kNameLetters[QRandomGenerator::global()->bounded(letters)]);
    return name;
}

}  // namespace

WriteFailure SystemFailure(const QString& file, const QString& at, int error) {
    return {.cause = WriteFailure::Cause::System, .file = file, .at = at, .error = error};
}

WriteFailure NotAFileFailure(const QString& file) {
    return {.cause = WriteFailure::Cause::NotAFile, .file = file, .at = file, .error = 0};
}

WriteFailure UnexplainedFailure(const QString& file) {
    return {.cause = WriteFailure::Cause::Unexplained, .file = file, .at = file, .error = 0};
}

WriteFailure NoFolderFailure(const QString& file) {
    return {.cause = WriteFailure::Cause::NoFolder, .file = file, .at = QString(), .error = 0};
}

QString Describe(const WriteFailure& failure) {
    switch (failure.cause) {
        case WriteFailure::Cause::NoFolder:
            return QStringLiteral("%1: no folder for it").arg(failure.file);
        case WriteFailure::Cause::NotAFile:
            return QStringLiteral("%1: not a regular file").arg(failure.at);
        case WriteFailure::Cause::Unexplained:
            return QStringLiteral("%1: the write failed, without a reason given").arg(failure.file);
        case WriteFailure::Cause::System:
            break;
    }
    const QString reason = qt_error_string(failure.error);
    if (failure.at == failure.file) return QStringLiteral("%1: %2").arg(failure.file, reason);
    return QStringLiteral("%1: %2: %3").arg(failure.file, failure.at, reason);
}

bool MakeFolders(const QString& folder, const QString& file, WriteFailure* failure) {
    const QString absolute = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QStringList parts = absolute.split(u'/', Qt::SkipEmptyParts);
    QString parent = QStringLiteral("/");
    QString path;
    for (const QString& part : parts) {
        path += u'/' + part;
        const QByteArray native = QFile::encodeName(path);
        if (::mkdir(native.constData(), 0777) == 0) {
            parent = path;
            continue;
        }
        const int error = errno;
        struct stat info {};
        // A folder there, or a link to one, is the way on; anything else
        // there is in the way. Otherwise the folder it was to be made in refused.
        if (error != EEXIST) {
            if (failure) *failure = SystemFailure(file, parent, error);
            return false;
        }
        if (::stat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            if (failure) *failure = SystemFailure(file, path, ENOTDIR);
            return false;
        }
        parent = path;
    }
    return true;
}

int CreateFileBeside(const QString& path, unsigned mode, QString& created, WriteFailure& failure) {
    int error = EEXIST;
    for (int attempt = 0; attempt < kNameAttempts && error == EEXIST; ++attempt) {
        created = NameBeside(path);
        const int fd = ::open(QFile::encodeName(created).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode));
        if (fd >= 0) return fd;
        error = errno;
    }
    failure = SystemFailure(path, QFileInfo(path).absolutePath(), error);
    return -1;
}

bool ReplaceFileAtomically(const QString& path, const QByteArray& bytes, WriteFailure& failure) {
    const QByteArray native = QFile::encodeName(path);
    struct stat old {};
    const bool existed = ::lstat(native.constData(), &old) == 0;
    if (existed && !S_ISLNK(old.st_mode) && !S_ISREG(old.st_mode)) {
        failure = NotAFileFailure(path);
        return false;
    }
    // Created exclusively, so nothing planted at its name is followed, with
    // the usual permissions (those the umask leaves).
    QString temporary;
    const int fd = CreateFileBeside(path, 0666, temporary, failure);
    if (fd < 0) return false;
    if (existed && S_ISREG(old.st_mode)) ::fchmod(fd, old.st_mode & 0777);
    const QByteArray nativeTemporary = QFile::encodeName(temporary);
    int error = WriteAndClose(fd, bytes, Sync::ToDisk);
    if (error == 0 && ::rename(nativeTemporary.constData(), native.constData()) != 0) error = errno;
    if (error == 0) return true;
    ::unlink(nativeTemporary.constData());
    failure = SystemFailure(path, QFileInfo(path).absolutePath(), error);
    return false;
}

int WriteAndClose(int fd, const QByteArray& bytes, Sync sync) {
    qsizetype written = 0;
    int error = 0;
    while (written < bytes.size() && error == 0) {
        const ssize_t now = ::write(fd, bytes.constData() + written,
                                    static_cast<std::size_t>(bytes.size() - written));
        if (now > 0)
            written += now;
        else if (now == 0)
            error = EIO;
        else if (errno != EINTR)
            error = errno;
    }
    // EINVAL: a file that cannot be synced (a special file system) is as written as it gets.
    if (error == 0 && sync == Sync::ToDisk && ::fsync(fd) != 0 && errno != EINVAL) error = errno;
    if (::close(fd) != 0 && error == 0 && errno != EINTR) error = errno;
    return error;
}

}  // namespace kwadrill
