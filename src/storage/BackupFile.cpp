#include "BackupFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cstring>

#include "FileUtilities.h"
#include "HighScores.h"
#include "ScratchDirectory.h"
#include "XorChecksum.h"

namespace kwadrill {

namespace {

constexpr auto kDataFolder = "QZ's Kwadrill";
constexpr qint64 kRecordSize = sizeof(BackupRecord);

QString BackupFilePath(const QString& dir) {
    return EnsureTrailingBackslash(dir) + QLatin1String(kBackupFileName);
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

QString BackupFileDirectory(const QString& executableDir) {
    const QFileInfo info(executableDir);
    if (!executableDir.isEmpty() && info.isDir() && info.isWritable())
        return EnsureTrailingBackslash(executableDir);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return EnsureTrailingBackslash(EnsureTrailingBackslash(data) + QLatin1String(kDataFolder));
}

bool LoadBackupFile(BackupRecord& record, const QString& recordDir, const QString& scratchDir) {
    if (recordDir.isEmpty() || scratchDir.isEmpty()) return false;
    const QString copy = BackupFilePath(scratchDir);
    if (CopyFileWithAttributes(BackupFilePath(recordDir), copy, kAttributeArchive) == kFileFailure)
        return false;
    if (VerifyAndStripChecksum(copy, kBackupSeed) == kFileFailure) return false;
    if (GetFileSizeOrFail(copy) != kRecordSize) return false;
    if (!ReadRecord(copy, record)) return false;
    QFile::remove(copy);
    return true;
}

bool SaveBackupFile(const BackupRecord& record, const QString& recordDir) {
    if (recordDir.isEmpty() || !QDir().mkpath(recordDir)) return false;
    QByteArray bytes(reinterpret_cast<const char*>(&record), kRecordSize);
    bytes.append(static_cast<char>(XorCheckByte(bytes, kBackupSeed)));
    // Unbuffered: QSaveFile does not notice a write that fails only when its
    // buffer is flushed on commit (a full disk), and would then put a short
    // file in place of the good one. An uncommitted file is thrown away.
    QSaveFile file(BackupFilePath(recordDir));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
    if (file.write(bytes) != bytes.size() || file.size() != bytes.size()) return false;
    return file.commit();
}

void SetBackupDefaults(BackupRecord& record) {
    ClearHighScores(record.scoreTable);
    record.musicOn = 1;
    record.soundOn = 1;
    record.lastPlayerNameLength = 0;
}

}  // namespace kwadrill
