// Any bytes as "Kwadrill.hsc", loaded as at start-up: copied to the scratch
// folder, checked, stripped of the check byte and read.

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "BackupFile.h"
#include "FuzzCheck.h"
#include "HighScores.h"
#include "ScoreTableChecks.h"

namespace {

using namespace kwadrill;
using fuzz::Require;

constexpr qsizetype kRecordSize = sizeof(BackupRecord);
constexpr unsigned char kUntouched = 0xA5;

struct Folders {
    QTemporaryDir record;
    QTemporaryDir scratch;

    QString RecordDir() const { return record.path() + u'/'; }
    QString ScratchDir() const { return scratch.path() + u'/'; }
};

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    Require(
        file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
        "the fuzzer can write its input file");
}

// The rule, worked out apart from the loader: one record and its check byte,
// the XOR of the seed and every record byte.
bool IsSoundBackup(const QByteArray& bytes) {
    if (bytes.size() != kRecordSize + 1) return false;
    std::uint8_t check = kBackupSeed;
    for (qsizetype i = 0; i < kRecordSize; ++i) check ^= static_cast<std::uint8_t>(bytes[i]);
    return check == static_cast<std::uint8_t>(bytes[kRecordSize]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Folders folders;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString file = folders.RecordDir() + QLatin1String(kBackupFileName);
    const QString copy = folders.ScratchDir() + QLatin1String(kBackupFileName);
    WriteAll(file, bytes);

    BackupRecord record;
    std::memset(&record, kUntouched, sizeof record);
    BackupRecord before;
    std::memcpy(&before, &record, sizeof record);

    const bool loaded = LoadBackupFile(record, folders.RecordDir(), folders.ScratchDir());
    Require(loaded == IsSoundBackup(bytes), "exactly a record with a good check byte loads");
    Require(ReadAll(file) == bytes, "the backup file itself is never modified");
    if (loaded) {
        Require(std::memcmp(&record, bytes.constData(), sizeof record) == 0,
                "a loaded record holds the file's bytes");
        Require(!QFile::exists(copy), "the scratch copy is deleted after a load");
        fuzz::ShowScoreTable(record.scoreTable);
        Require(LastPlayerName(record).size() <= kMaxNameLength,
                "the last name has at most 16 characters");
    } else {
        Require(std::memcmp(&record, &before, sizeof record) == 0,
                "a refused file leaves the record untouched");
    }
    QFile::remove(copy);
    return 0;
}
