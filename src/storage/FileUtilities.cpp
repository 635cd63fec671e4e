#include "FileUtilities.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "XorChecksum.h"

namespace kwadrill {

namespace {

constexpr qint64 kLargestResult = std::numeric_limits<std::int32_t>::max();
constexpr qint64 kCopyChunkSize = 64 * 1024;

bool LinkStatus(const QString& path, struct stat& info) {
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

bool IsSameFile(const struct stat& file, const QString& path) {
    struct stat other {};
    return LinkStatus(path, other) && other.st_dev == file.st_dev && other.st_ino == file.st_ino;
}

// Removes whatever is at the path itself (a link, not its target).
bool RemoveExisting(const QString& path) {
    struct stat info {};
    if (!LinkStatus(path, info)) return true;
    return QFile::remove(path);
}

// Copies until the end of the source, but never more than `ceiling` bytes.
qint64 CopyContents(QFile& in, QFile& out, qint64 ceiling) {
    qint64 copied = 0;
    while (copied < ceiling) {
        const QByteArray chunk = in.read(std::min(kCopyChunkSize, ceiling - copied));
        if (chunk.isEmpty()) return in.error() == QFileDevice::NoError ? copied : kFileFailure;
        if (out.write(chunk) != chunk.size()) return kFileFailure;
        copied += chunk.size();
    }
    return copied;
}

bool ApplyAttributes(const QString& path, std::uint32_t attributes) {
    constexpr QFileDevice::Permissions kWrite = QFileDevice::WriteOwner | QFileDevice::WriteUser |
                                                QFileDevice::WriteGroup | QFileDevice::WriteOther;
    QFileDevice::Permissions permissions = QFile::permissions(path);
    if (attributes & kAttributeReadOnly)
        permissions &= ~kWrite;
    else
        permissions |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
    return QFile::setPermissions(path, permissions);
}

}  // namespace

// O_NOFOLLOW and O_NONBLOCK: a link or FIFO swapped in after the check.
bool OpenRegularFile(const QString& path, QFile& file, struct stat& info) {
    if (!LinkStatus(path, info) || !S_ISREG(info.st_mode)) return false;
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_dev != info.st_dev ||
        opened.st_ino != info.st_ino ||
        !file.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    info = opened;
    return true;
}

std::int32_t CopyFileWithAttributes(const QString& source, const QString& destination,
                                    std::uint32_t attributes, qint64 largestSource) {
    if (source == destination) return kFileFailure;
    QFile in;
    struct stat info {};
    if (!OpenRegularFile(source, in, info)) return kFileFailure;
    const qint64 largest = std::min(largestSource, kLargestResult);
    const qint64 length = info.st_size;
    // Deleting the destination first would delete the source itself.
    if (length > largest || IsSameFile(info, destination)) return kFileFailure;
    if (!RemoveExisting(destination)) return kFileFailure;
    // NewOnly: nothing planted between the delete and the create is followed.
    QFile out(destination);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return kFileFailure;
    const qint64 copied = CopyContents(in, out, largest + 1);
    out.close();
    if (copied != length || out.error() != QFileDevice::NoError ||
        !ApplyAttributes(destination, attributes)) {
        QFile::remove(destination);
        return kFileFailure;
    }
    return static_cast<std::int32_t>(copied);
}

std::int32_t GetFileSizeOrFail(const QString& path) {
    if (!QFileInfo(path).isFile()) return kFileFailure;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return kFileFailure;
    const qint64 length = file.size();
    if (length > kLargestResult) return kFileFailure;
    return static_cast<std::int32_t>(length);
}

}  // namespace kwadrill
