#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "SessionSteps.h"

namespace {

const QByteArray kIniHeader = "[General]\n";

// A record that differs from the defaults everywhere: two results, music and
// sound off, a last name and padding bytes that are not zero.
RecordBytes PlayedRecord() {
    RecordBytes record;
    record.SetEntry(1, "Ann", 900, 45000.25);
    record.SetEntry(2, "Boris", 700, 45001.5);
    record.SetSwitches(0, 0);
    record.SetLastName("Boris");
    record.SetPadding("\x01\x02\x03\x04\x05");
    return record;
}

QByteArray StoreText(const QByteArray& language, const QByteArray& table) {
    return kIniHeader + "lng=" + language + "\nhsc=" + IniByteArray(table) + "\n";
}

// What the game was given comes back unchanged: the backup file is read,
// kept in memory and written back byte for byte, padding included.
TEST(BackupFile, ComesBackByteForByteAfterARun) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    const RecordBytes record = PlayedRecord();
    ASSERT_TRUE(sandbox.WriteFile(sandbox.BackupPath(), record.BackupFile()));
    ASSERT_TRUE(PlayAndClose(sandbox));
    EXPECT_EQ(kwadrill::test::ReadFileBytes(sandbox.BackupPath()).toHex(),
              record.BackupFile().toHex());
    EXPECT_EQ(ReadStore(sandbox.StorePath()).table.toByteArray(), record.Table());
}

struct FlippedBit {
    int offset;
    int bit;
    const char* where;
};
void PrintTo(const FlippedBit& flip, std::ostream* out) {
    *out << flip.where;
}

class DamagedBackup : public ::testing::TestWithParam<FlippedBit> {};

// One flipped bit anywhere, the check byte included, and the record is not
// trusted: the game plays with the defaults and writes them back at its end.
TEST_P(DamagedBackup, OneFlippedBitGivesTheDefaults) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    QByteArray file = PlayedRecord().BackupFile();
    file[GetParam().offset] = static_cast<char>(file[GetParam().offset] ^ (1 << GetParam().bit));
    ASSERT_TRUE(sandbox.WriteFile(sandbox.BackupPath(), file));
    ASSERT_TRUE(PlayAndClose(sandbox));

    RecordBytes backup;
    ASSERT_TRUE(ReadValidBackup(sandbox.BackupPath(), backup));
    EXPECT_EQ(backup.MusicOn(), 1);
    EXPECT_EQ(backup.SoundOn(), 1);
    EXPECT_TRUE(backup.LastName().isEmpty());
    for (int rank = 1; rank <= RecordBytes::kEntries; ++rank) {
        EXPECT_EQ(backup.Score(rank), 0) << "rank " << rank;
    }
    EXPECT_EQ(ReadStore(sandbox.StorePath()).table.toByteArray(), backup.Table());
}

INSTANTIATE_TEST_SUITE_P(AnyPlace, DamagedBackup,
                         ::testing::Values(FlippedBit{20, 0, "ChampionScore"},
                                           FlippedBit{RecordBytes::kSoundOn, 0, "SoundSwitch"},
                                           FlippedBit{RecordBytes::kPadding + 4, 7, "Padding"},
                                           FlippedBit{RecordBytes::kRecordSize, 3, "CheckByte"}),
                         [](const auto& testInfo) { return std::string(testInfo.param.where); });

struct MergeCase {
    bool newScoreInBackup;  // else in the store
    const char* name;
};
void PrintTo(const MergeCase& merge, std::ostream* out) {
    *out << merge.name;
}

class TwoStoreMerge : public ::testing::TestWithParam<MergeCase> {};

// A save that reached only one of the two places (a full disk, a read-only
// folder) loses nothing at the next start: the tables are joined, an entry in
// both counted once, best first, twenty kept.
TEST_P(TwoStoreMerge, AScoreThatReachedOnlyOnePlaceIsKept) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    RecordBytes older = PlayedRecord();
    for (int rank = 1; rank <= RecordBytes::kEntries; ++rank) {
        older.SetEntry(rank, "Old" + QByteArray::number(rank), 410 - 10 * rank, 45100 + rank);
    }
    // The same table with one more result at rank 6 (355 lies between 360 and 350).
    RecordBytes newer = older;
    for (int rank = 1, from = 1; rank <= RecordBytes::kEntries; ++rank) {
        if (rank == 6) {
            newer.SetEntry(rank, "New", 355, 45300.5);
        } else {
            newer.SetEntry(rank, older.Name(from), older.Score(from), older.Date(from));
            ++from;
        }
    }
    const RecordBytes& backup = GetParam().newScoreInBackup ? newer : older;
    const RecordBytes& stored = GetParam().newScoreInBackup ? older : newer;
    ASSERT_TRUE(sandbox.WriteFile(sandbox.BackupPath(), backup.BackupFile()));
    ASSERT_TRUE(sandbox.WriteFile(sandbox.StorePath(), StoreText("0", stored.Table())));
    ASSERT_EQ(ReadStore(sandbox.StorePath()).table.toByteArray(), stored.Table())
        << "the store was not written as Qt reads it";
    ASSERT_TRUE(PlayAndClose(sandbox));

    RecordBytes saved;
    ASSERT_TRUE(ReadValidBackup(sandbox.BackupPath(), saved));
    for (int rank = 1; rank <= RecordBytes::kEntries; ++rank) {
        EXPECT_EQ(saved.Score(rank), newer.Score(rank)) << "rank " << rank;
        EXPECT_EQ(saved.Name(rank), newer.Name(rank)) << "rank " << rank;
    }
    EXPECT_EQ(ReadStore(sandbox.StorePath()).table.toByteArray().toHex(), saved.Table().toHex());
}

INSTANTIATE_TEST_SUITE_P(OnePlaceOnly, TwoStoreMerge,
                         ::testing::Values(MergeCase{true, "NewScoreOnlyInTheBackup"},
                                           MergeCase{false, "NewScoreOnlyInTheStore"}),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

// A player who may not write beside the game (an installed copy) keeps the
// record in the per-user data folder: it is read from there and written back
// there, and nothing appears beside the executable.
TEST(UnwritableExecutableDirectory, KeepsTheRecordInThePerUserDataDirectory) {
    GameSandbox sandbox(GameSandbox::ExecutableDirAccess::ReadOnly);
    if (!sandbox.Usable()) GTEST_SKIP() << qPrintable(sandbox.Problem());
    const RecordBytes record = PlayedRecord();
    ASSERT_TRUE(sandbox.WriteFile(sandbox.DataBackupPath(), record.BackupFile()));
    const QDateTime longAgo(QDate(2001, 1, 1), QTime(12, 0));
    {
        QFile placed(sandbox.DataBackupPath());
        ASSERT_TRUE(placed.open(QIODevice::ReadWrite));
        ASSERT_TRUE(placed.setFileTime(longAgo, QFileDevice::FileModificationTime));
    }
    ASSERT_TRUE(PlayAndClose(sandbox));

    EXPECT_GT(QFileInfo(sandbox.DataBackupPath()).lastModified(), longAgo) << "not written back";
    EXPECT_EQ(kwadrill::test::ReadFileBytes(sandbox.DataBackupPath()).toHex(),
              record.BackupFile().toHex())
        << "not read from the data folder";
    EXPECT_FALSE(QFile::exists(sandbox.BackupPath()));
    EXPECT_EQ(ReadStore(sandbox.StorePath()).table.toByteArray(), record.Table());
}

struct DamagedStoreCase {
    const char* text;
    const char* savedLanguage;
    const char* name;
};
void PrintTo(const DamagedStoreCase& store, std::ostream* out) {
    *out << store.name;
}

class DamagedStore : public ::testing::TestWithParam<DamagedStoreCase> {};

// A hand-edited store of the wrong value types is reported (the error box,
// unseen on the offscreen platform) and the game plays on: it stays up, ends
// cleanly on SIGTERM, keeps the backup's record and writes a sound store.
TEST_P(DamagedStore, IsReportedAndTheGamePlaysOnAndSavesAtExit) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    const RecordBytes record = PlayedRecord();
    ASSERT_TRUE(sandbox.WriteFile(sandbox.BackupPath(), record.BackupFile()));
    ASSERT_TRUE(sandbox.WriteFile(sandbox.StorePath(), kIniHeader + GetParam().text));
    ASSERT_TRUE(PlayAndClose(sandbox));

    EXPECT_EQ(kwadrill::test::ReadFileBytes(sandbox.BackupPath()).toHex(),
              record.BackupFile().toHex());
    const StoreValues store = ReadStore(sandbox.StorePath());
    EXPECT_EQ(store.language.typeId(), QMetaType::QString);
    EXPECT_EQ(store.language.toString(), QString::fromLatin1(GetParam().savedLanguage));
    EXPECT_EQ(store.table.typeId(), QMetaType::QByteArray);
    EXPECT_EQ(store.table.toByteArray(), record.Table());
}

INSTANTIATE_TEST_SUITE_P(
    HandEdits, DamagedStore,
    ::testing::Values(DamagedStoreCase{"lng=@ByteArray(1)\n", "0", "LanguageStoredAsBytes"},
                      DamagedStoreCase{"lng=1\nhsc=hello\n", "1", "TableStoredAsText"}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

}  // namespace
