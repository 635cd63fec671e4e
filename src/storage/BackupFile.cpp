#include "BackupFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <array>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileUtilities.h"
#include "HighScores.h"
#include "ScratchDirectory.h"
#include "XorChecksum.h"

#ifndef KWADRILL_INSTALL_PREFIX
#define KWADRILL_INSTALL_PREFIX ""
#endif

namespace kwadrill {

namespace {

constexpr auto kDataFolder = "QZ's Kwadrill";
constexpr qint64 kRecordSize = sizeof(BackupRecord);
// Where packages and installers put programs: no player's own folder.
constexpr std::array kSystemFolders{"/usr",   "/bin", "/sbin", "/lib",
                                    "/lib64", "/opt", "/snap", "/app"};
// A temporary file is the backup's name, a dot and six letters (CreateFileBeside).
constexpr int kTemporaryNameLength = 6;

QString BackupFilePath(const QString& dir) {
    return EnsureTrailingBackslash(dir) + QLatin1String(kBackupFileName);
}

bool LinkStatus(const QString& path, struct stat& info) {
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

// The folder as written and as it really is, so that a link on either side
// does not hide that one lies inside the other.
QStringList Spellings(const QString& path) {
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString canonical = QFileInfo(clean).canonicalFilePath();
    if (canonical.isEmpty() || canonical == clean) return {clean};
    return {clean, canonical};
}

bool IsInside(const QString& path, const QString& folder) {
    for (const QString& inner : Spellings(path)) {
        for (const QString& outer : Spellings(folder)) {
            if (outer == QLatin1String("/")) continue;  // a prefix of "/" says nothing
            if (inner == outer || inner.startsWith(outer + QLatin1Char('/'))) return true;
        }
    }
    return false;
}

// The old file, unless the scratch copy is the backup file itself.
void RemoveLeftoverCopy(const QString& copy, const QString& source) {
    struct stat copyInfo {};
    struct stat sourceInfo {};
    if (copy == source || !LinkStatus(copy, copyInfo)) return;
    if (LinkStatus(source, sourceInfo) && sourceInfo.st_dev == copyInfo.st_dev &&
        sourceInfo.st_ino == copyInfo.st_ino)
        return;
    QFile::remove(copy);
}

bool IsRegularFileOfLength(const QString& path, qint64 length) {
    struct stat info {};
    return LinkStatus(path, info) && S_ISREG(info.st_mode) && info.st_size == length;
}

bool ReadRecord(const QString& path, BackupRecord& record) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.read(kRecordSize);
    if (bytes.size() != kRecordSize) return false;
    std::memcpy(&record, bytes.constData(), sizeof record);
    return true;
}

}  // namespace

bool IsInstalledLocation(const QString& executableDir, const QString& installPrefix) {
    if (executableDir.isEmpty()) return false;
    if (!installPrefix.isEmpty() && IsInside(executableDir, installPrefix)) return true;
    for (const char* folder : kSystemFolders) {
        if (IsInside(executableDir, QLatin1String(folder))) return true;
    }
    return false;
}

QString BackupFileDirectory(const QString& executableDir, const QString& installPrefix,
                            const QString& dataDir) {
    if (!executableDir.isEmpty() && !IsInstalledLocation(executableDir, installPrefix)) {
        const QFileInfo info(executableDir);
        if (info.isDir() && info.isWritable()) return EnsureTrailingBackslash(executableDir);
    }
    // Without a data folder the record would land relative to the working directory.
    if (dataDir.isEmpty()) return {};
    return EnsureTrailingBackslash(EnsureTrailingBackslash(dataDir) + QLatin1String(kDataFolder));
}

QString BackupFileDirectory(const QString& executableDir) {
    return BackupFileDirectory(
        executableDir, QStringLiteral(KWADRILL_INSTALL_PREFIX),
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

bool LoadBackupFile(BackupRecord& record, const QString& recordDir, const QString& scratchDir) {
    if (recordDir.isEmpty() || scratchDir.isEmpty()) return false;
    const QString source = BackupFilePath(recordDir);
    const QString copy = BackupFilePath(scratchDir);
    RemoveLeftoverCopy(copy, source);
    // Decided on the name itself: nothing but a regular file of the one length
    // a backup has is worth copying.
    if (!IsRegularFileOfLength(source, kBackupFileSize)) return false;
    // The limit also holds for a file that grows after the check.
    if (CopyFileWithAttributes(source, copy, kAttributeArchive, kBackupFileSize) == kFileFailure)
        return false;
    const bool loaded = VerifyAndStripChecksum(copy, kBackupSeed) != kFileFailure &&
                        GetFileSizeOrFail(copy) == kRecordSize && ReadRecord(copy, record);
    // A successful copy is never the backup file itself.
    QFile::remove(copy);
    return loaded;
}

bool SaveBackupFile(const BackupRecord& record, const QString& recordDir, WriteFailure* failure) {
    WriteFailure found;
    const QString path = BackupFilePath(recordDir);
    bool saved = false;
    if (recordDir.isEmpty()) {
        found = NoFolderFailure(QLatin1String(kBackupFileName));
    } else if (MakeFolders(recordDir, path, &found)) {
        QByteArray bytes(reinterpret_cast<const char*>(&record), kRecordSize);
        bytes.append(static_cast<char>(XorCheckByte(bytes, kBackupSeed)));
        saved = ReplaceFileAtomically(path, bytes, found);
    }
    if (!saved && failure) *failure = found;
    return saved;
}

void RemoveStaleBackupTemporaries(const QString& recordDir) {
    if (recordDir.isEmpty()) return;
    static const QRegularExpression kTemporaryName(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(QLatin1String(kBackupFileName)) +
        QStringLiteral("\\.[A-Za-z]{%1}").arg(kTemporaryNameLength)));
    const QDir dir(recordDir);
    const QStringList names = dir.entryList({QLatin1String(kBackupFileName) + QStringLiteral(".*")},
                                            QDir::AllEntries | QDir::Hidden | QDir::System |
                                                QDir::NoDotAndDotDot | QDir::CaseSensitive);
    for (const QString& name : names) {
        if (!kTemporaryName.match(name).hasMatch()) continue;
        const QString path = dir.filePath(name);
        struct stat info {};
        if (LinkStatus(path, info) && S_ISREG(info.st_mode) && info.st_uid == ::geteuid())
            QFile::remove(path);
    }
}

void SetBackupDefaults(BackupRecord& record) {
    ClearHighScores(record.scoreTable);
    record.musicOn = 1;
    record.soundOn = 1;
    record.lastPlayerNameLength = 0;
}

}  // namespace kwadrill
