#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

#include "BackupFile.h"
#include "HighScores.h"
#include "StorageTestSupport.h"
#include "XorChecksum.h"

namespace kwadrill {
namespace {

using test::BytesOf;
using test::ReadFileBytes;
using test::WriteFileBytes;

constexpr qsizetype kFileSize = 665;

// Every byte different, padding included.
BackupRecord PatternRecord() {
    BackupRecord record;
    auto* bytes = reinterpret_cast<unsigned char*>(&record);
    for (std::size_t i = 0; i < sizeof record; ++i)
        bytes[i] = static_cast<unsigned char>(i * 7 + 3);
    return record;
}

QByteArray WithCheckByte(QByteArray bytes) {
    bytes.append(char(XorCheckByte(bytes, kBackupSeed)));
    return bytes;
}

class BackupFileTest : public ::testing::Test {
protected:
    BackupFileTest() {
        QDir().mkpath(ScratchDir());
        QDir().mkpath(RecordDir());
    }

    QString RecordDir() const { return root_.path() + QStringLiteral("/game/"); }
    QString ScratchDir() const { return root_.path() + QStringLiteral("/scratch/"); }
    QString FilePath() const { return RecordDir() + QLatin1String(kBackupFileName); }
    QString CopyPath() const { return ScratchDir() + QLatin1String(kBackupFileName); }

    // Loads into a record of known content; whether it changed tells as much
    // as the answer.
    bool Load(BackupRecord& record) {
        std::memset(&record, 0xAB, sizeof record);
        return LoadBackupFile(record, RecordDir(), ScratchDir());
    }

    QTemporaryDir root_;
};

TEST_F(BackupFileTest, SaveThenLoadRoundTripsEveryByte) {
    const BackupRecord saved = PatternRecord();

    ASSERT_TRUE(SaveBackupFile(saved, RecordDir()));
    const QByteArray file = ReadFileBytes(FilePath());
    ASSERT_EQ(file.size(), kFileSize);
    EXPECT_EQ(file, WithCheckByte(BytesOf(saved)));

    BackupRecord loaded;
    ASSERT_TRUE(Load(loaded));
    EXPECT_EQ(BytesOf(loaded), BytesOf(saved));
    // Reading never changes the file; the checked copy is gone.
    EXPECT_EQ(ReadFileBytes(FilePath()), file);
    EXPECT_FALSE(QFileInfo::exists(CopyPath()));
}

// Every bit of a short file is covered by the check-byte tests; here one bit in
// each part of the record: table, switches, name, padding, check byte.
TEST_F(BackupFileTest, FlippedBitAnywhereMakesLoadingFail) {
    const QByteArray good = WithCheckByte(BytesOf(PatternRecord()));
    for (const qsizetype byte : {0, 20, 639, 640, 641, 642, 650, 659, 663, 664}) {
        QByteArray damaged = good;
        damaged[byte] = char(damaged[byte] ^ (1 << (byte % 8)));
        WriteFileBytes(FilePath(), damaged);
        BackupRecord record;
        EXPECT_FALSE(Load(record)) << byte;
        EXPECT_EQ(BytesOf(record), QByteArray(sizeof record, '\xAB')) << byte;
    }
}

// Each file ends in a correct check byte for the bytes before it.
TEST_F(BackupFileTest, AnyLengthOtherThan665FailsEvenWithACorrectCheckByte) {
    for (const qsizetype length : {0, 1, 2, 662, 663, 665, 1328}) {
        WriteFileBytes(FilePath(), WithCheckByte(QByteArray(length, '\x11')));
        BackupRecord record;
        EXPECT_FALSE(Load(record)) << length + 1;
    }
}

TEST_F(BackupFileTest, MissingFileFails) {
    BackupRecord record;
    EXPECT_FALSE(Load(record));
}

TEST_F(BackupFileTest, RecordDirectoryThatIsTheScratchDirectoryFails) {
    ASSERT_TRUE(SaveBackupFile(PatternRecord(), ScratchDir()));
    BackupRecord record;
    EXPECT_FALSE(LoadBackupFile(record, ScratchDir(), ScratchDir()));
    EXPECT_EQ(ReadFileBytes(CopyPath()).size(), kFileSize);
}

TEST_F(BackupFileTest, LeftoverReadOnlyCopyFromAFailedStartIsReplaced) {
    WriteFileBytes(CopyPath(), QByteArray("leftover"));
    QFile::setPermissions(CopyPath(), QFileDevice::ReadOwner);
    ASSERT_TRUE(SaveBackupFile(PatternRecord(), RecordDir()));

    BackupRecord record;
    EXPECT_TRUE(Load(record));
    EXPECT_FALSE(QFileInfo::exists(CopyPath()));
}

TEST_F(BackupFileTest, SaveCreatesAMissingDirectory) {
    const QString dir = root_.path() + QStringLiteral("/new/deeper/");
    EXPECT_TRUE(SaveBackupFile(PatternRecord(), dir));
    EXPECT_EQ(ReadFileBytes(dir + QLatin1String(kBackupFileName)).size(), kFileSize);
}

TEST_F(BackupFileTest, SaveThatFailsPartWayKeepsThePreviousFile) {
    BackupRecord old = PatternRecord();
    ASSERT_TRUE(SaveBackupFile(old, RecordDir()));
    const QByteArray before = ReadFileBytes(FilePath());
    BackupRecord changed{};
    changed.musicOn = 1;

    bool saved = true;
    {
        test::FileSizeLimit limit(300);  // the disk fills up after 300 bytes
        saved = SaveBackupFile(changed, RecordDir());
    }

    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadFileBytes(FilePath()), before);
    EXPECT_EQ(QDir(RecordDir()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QLatin1String(kBackupFileName)});
}

TEST_F(BackupFileTest, SaveWithoutWritePermissionKeepsThePreviousFile) {
    if (test::RunningAsRoot()) GTEST_SKIP() << "root ignores permissions; covered unprivileged";
    ASSERT_TRUE(SaveBackupFile(PatternRecord(), RecordDir()));
    const QByteArray before = ReadFileBytes(FilePath());
    QFile::setPermissions(RecordDir(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);

    EXPECT_FALSE(SaveBackupFile(BackupRecord{}, RecordDir()));

    QFile::setPermissions(RecordDir(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(ReadFileBytes(FilePath()), before);
}

TEST_F(BackupFileTest, FileLivesBesideAWritableExecutable) {
    EXPECT_EQ(BackupFileDirectory(root_.path()), root_.path() + QLatin1Char('/'));
    EXPECT_EQ(BackupFileDirectory(RecordDir()), RecordDir());
}

TEST_F(BackupFileTest, FileMovesToTheDataDirectoryWhenTheExecutableDirectoryIsMissing) {
    const test::ScopedEnvironment data("XDG_DATA_HOME", root_.path().toLocal8Bit());
    EXPECT_EQ(BackupFileDirectory(root_.path() + QStringLiteral("/no-such-dir")),
              root_.path() + QStringLiteral("/QZ's Kwadrill/"));
}

TEST_F(BackupFileTest, FileMovesToTheDataDirectoryWithoutWritePermission) {
    if (test::RunningAsRoot()) GTEST_SKIP() << "root ignores permissions; covered unprivileged";
    const test::ScopedEnvironment data("XDG_DATA_HOME", root_.path().toLocal8Bit());
    QFile::setPermissions(RecordDir(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);

    EXPECT_EQ(BackupFileDirectory(RecordDir()), root_.path() + QStringLiteral("/QZ's Kwadrill/"));

    QFile::setPermissions(RecordDir(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(BackupDefaultsTest, EmptyTableMusicAndSoundOnNoName) {
    BackupRecord record = PatternRecord();
    const BackupRecord before = record;

    SetBackupDefaults(record);

    for (int rank = 1; rank <= kScoreTableSize; ++rank) {
        EXPECT_EQ(record.scoreTable.Rank(rank).score, 0);
        EXPECT_EQ(record.scoreTable.Rank(rank).nameLength, 0);
    }
    EXPECT_EQ(record.musicOn, 1);
    EXPECT_EQ(record.soundOn, 1);
    EXPECT_EQ(LastPlayerName(record), QString());
    EXPECT_EQ(record.padding, before.padding);
}

}  // namespace
}  // namespace kwadrill
