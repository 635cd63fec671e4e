#include "ScratchDirectory.h"

#include <QDir>
#include <QFile>

#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace kwadrill {

namespace {

constexpr mode_t kPrivateMode = 0700;
constexpr mode_t kModeBits = 07777;
constexpr auto kTempFolderPrefix = "kwadrill-";

enum class Links { Follow, DoNotFollow };

bool IsPrivateDirectory(const QString& path, Links links) {
    if (path.isEmpty()) return false;
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    const int result = links == Links::Follow ? ::stat(native.constData(), &info)
                                              : ::lstat(native.constData(), &info);
    // Writable too: a runtime directory on a read-only file system could
    // hold neither the music nor the lock.
    return result == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & kModeBits) == kPrivateMode &&
           ::faccessat(AT_FDCWD, native.constData(), W_OK | X_OK, AT_EACCESS) == 0;
}

// tempDir/kwadrill-<uid>: ours only when it is a real directory of ours that
// nobody else could have written into.
QString PerUserTempFolder(const QString& tempDir) {
    const QString path = EnsureTrailingBackslash(tempDir) + QLatin1String(kTempFolderPrefix) +
                         QString::number(::geteuid());
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), kPrivateMode) == 0) ::chmod(native.constData(), kPrivateMode);
    return IsPrivateDirectory(path, Links::DoNotFollow) ? path : QString();
}

QString UniqueTempFolder(const QString& tempDir) {
    QByteArray pattern =
        QFile::encodeName(EnsureTrailingBackslash(tempDir) + QLatin1String(kTempFolderPrefix) +
                          QString::number(::geteuid()) + QLatin1String("-XXXXXX"));
    if (::mkdtemp(pattern.data()) == nullptr) return {};
    return QFile::decodeName(pattern);
}

}  // namespace

QString EnsureTrailingBackslash(const QString& path) {
    const QChar separator(u'/');
    if (path.isEmpty() || path.endsWith(separator)) return path;
    return path + separator;
}

QString GetScratchDirectory() {
    return GetScratchDirectory(qEnvironmentVariable("XDG_RUNTIME_DIR"), QDir::tempPath());
}

QString GetScratchDirectory(const QString& runtimeDir, const QString& tempDir) {
    if (IsPrivateDirectory(runtimeDir, Links::Follow)) return EnsureTrailingBackslash(runtimeDir);
    QString folder = PerUserTempFolder(tempDir);
    if (folder.isEmpty()) folder = UniqueTempFolder(tempDir);
    return EnsureTrailingBackslash(folder);
}

}  // namespace kwadrill
