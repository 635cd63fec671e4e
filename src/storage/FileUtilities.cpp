#include "FileUtilities.h"

#include <QFile>
#include <QFileInfo>

#include <limits>

#include "XorChecksum.h"

namespace kwadrill {

namespace {

constexpr qint64 kLargestResult = std::numeric_limits<std::int32_t>::max();
constexpr qint64 kCopyChunkSize = 64 * 1024;

bool RemoveExisting(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return true;
    return QFile::remove(path);
}

qint64 CopyContents(QFile& in, QFile& out) {
    qint64 copied = 0;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kCopyChunkSize);
        if (chunk.isEmpty() || out.write(chunk) != chunk.size()) return kFileFailure;
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

std::int32_t CopyFileWithAttributes(const QString& source, const QString& destination,
                                    std::uint32_t attributes) {
    if (!QFileInfo(source).isFile() || source == destination) return kFileFailure;
    if (!RemoveExisting(destination)) return kFileFailure;
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) return kFileFailure;
    const qint64 length = in.size();
    if (length > kLargestResult) return kFileFailure;
    // NewOnly: nothing planted between the delete and the create is followed.
    QFile out(destination);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return kFileFailure;
    const qint64 copied = CopyContents(in, out);
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
