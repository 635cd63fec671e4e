#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "HighScores.h"
#include "SettingsStore.h"
#include "StorageTestSupport.h"
#include "StoreError.h"

namespace kwadrill {
namespace {

using test::BytesOf;

ScoreTable TableWithChampion(std::int32_t champion, std::int32_t base) {
    ScoreTable table{};
    for (int rank = 1; rank <= kScoreTableSize; ++rank) {
        table.Rank(rank).score = rank == 1 ? champion : base - rank;
        table.Rank(rank).padding = {static_cast<std::uint8_t>(base % 256),
                                    static_cast<std::uint8_t>(rank), 0};
    }
    return table;
}

class SettingsStoreTest : public ::testing::Test {
protected:
    QString Path() const { return dir_.filePath(QStringLiteral("Kwadrill.ini")); }
    SettingsStore Store() const { return SettingsStore(Path()); }

    // What a hand edit of the INI file leaves.
    void WriteIni(const QByteArray& text) { test::WriteFileBytes(Path(), text); }
    void StoreRaw(const QString& name, const QVariant& value) {
        QSettings settings(Path(), QSettings::IniFormat);
        settings.setValue(name, value);
    }

    // Runs LoadRegistrySettings; the language handed to the callback, if any.
    std::optional<std::int32_t> Load(PersistentState& state) {
        std::optional<std::int32_t> applied;
        Store().LoadRegistrySettings(state, [&](std::int32_t language) { applied = language; });
        return applied;
    }

    QTemporaryDir dir_;
};

struct LanguageCase {
    const char* ini;
    std::int32_t language;
};

class StoredLanguageTest : public SettingsStoreTest,
                           public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(StoredLanguageTest, ReadsDecimalTextAndFallsBackToEnglish) {
    WriteIni(GetParam().ini);
    PersistentState state;
    state.language = 99;

    EXPECT_EQ(Load(state), GetParam().language);
    EXPECT_EQ(state.language, GetParam().language);
}

INSTANTIATE_TEST_SUITE_P(Cases, StoredLanguageTest,
                         ::testing::Values(LanguageCase{"[General]\nlng=1\n", 1},
                                           LanguageCase{"[General]\nlng=7\n", 7},
                                           LanguageCase{"[General]\nlng=-3\n", -3},
                                           LanguageCase{"[General]\nlng=abc\n", 0},
                                           LanguageCase{"[General]\nlng=99999999999\n", 0},
                                           LanguageCase{"[General]\nlng=\n", 0},
                                           LanguageCase{"[General]\nlng=@ByteArray()\n", 0},
                                           LanguageCase{"", 0}));

TEST_F(SettingsStoreTest, UnknownLanguageIsWrittenBackUnchanged) {
    WriteIni("[General]\nlng=7\n");
    PersistentState state;
    Load(state);

    Store().SaveRegistrySettings(state);

    EXPECT_TRUE(test::ReadFileBytes(Path()).contains("lng=7\n"));
}

TEST_F(SettingsStoreTest, SavedValuesAreAStringAndTheTableBytes) {
    PersistentState state;
    state.language = 1;
    state.record.scoreTable = TableWithChampion(500, 100);

    Store().SaveRegistrySettings(state);

    QSettings settings(Path(), QSettings::IniFormat);
    EXPECT_EQ(settings.value(QStringLiteral("lng")), QVariant(QStringLiteral("1")));
    EXPECT_EQ(settings.value(QStringLiteral("hsc")), QVariant(BytesOf(state.record.scoreTable)));
}

TEST_F(SettingsStoreTest, BackupChampionAboveTheStoredOneStaysOnTop) {
    const ScoreTable stored = TableWithChampion(400, 300);
    StoreRaw(QStringLiteral("hsc"), BytesOf(stored));
    PersistentState state;
    state.record.scoreTable = TableWithChampion(500, 200);
    const ScoreEntry backupChampion = state.record.scoreTable.Rank(1);

    Load(state);

    EXPECT_EQ(BytesOf(state.record.scoreTable.Rank(1)), BytesOf(backupChampion));
    for (int rank = 2; rank <= kScoreTableSize; ++rank)
        EXPECT_EQ(BytesOf(state.record.scoreTable.Rank(rank)), BytesOf(stored.Rank(rank - 1)));
}

TEST_F(SettingsStoreTest, StoredTableWinsWholeOnEqualChampions) {
    const ScoreTable stored = TableWithChampion(400, 300);
    StoreRaw(QStringLiteral("hsc"), BytesOf(stored));
    PersistentState state;
    state.record.scoreTable = TableWithChampion(400, 200);

    Load(state);

    EXPECT_EQ(BytesOf(state.record.scoreTable), BytesOf(stored));
}

TEST_F(SettingsStoreTest, MissingOrShortTableLeavesTheBackupTable) {
    for (const int size : {-1, 0, 639}) {
        WriteIni("[General]\nlng=1\n");
        if (size >= 0) StoreRaw(QStringLiteral("hsc"), QByteArray(size, '\x7F'));
        PersistentState state;
        state.record.scoreTable = TableWithChampion(500, 200);
        const QByteArray before = BytesOf(state.record.scoreTable);

        EXPECT_NO_THROW(Load(state)) << size;
        EXPECT_EQ(BytesOf(state.record.scoreTable), before) << size;
    }
}

struct BadDataCase {
    const char* what;
    QVariant lng;  // invalid: not stored
    QVariant hsc;
    const char* message;
    bool languageApplied;
};

class BadStoredDataTest : public SettingsStoreTest,
                          public ::testing::WithParamInterface<BadDataCase> {};

TEST_P(BadStoredDataTest, RaisesInvalidDataTypeAndKeepsTheTable) {
    const BadDataCase& c = GetParam();
    if (c.lng.isValid()) StoreRaw(QStringLiteral("lng"), c.lng);
    StoreRaw(QStringLiteral("hsc"), c.hsc);
    PersistentState state;
    state.record.scoreTable = TableWithChampion(500, 200);
    const QByteArray before = BytesOf(state.record.scoreTable);
    std::optional<std::int32_t> applied;

    try {
        Store().LoadRegistrySettings(state, [&](std::int32_t language) { applied = language; });
        FAIL() << c.what << ": no error";
    } catch (const StoreError& error) {
        EXPECT_EQ(error.Message(), QString::fromUtf8(c.message)) << c.what;
    }
    EXPECT_EQ(applied.has_value(), c.languageApplied) << c.what;
    EXPECT_EQ(BytesOf(state.record.scoreTable), before) << c.what;
}

const QByteArray kGoodTable(640, '\x01');

INSTANTIATE_TEST_SUITE_P(
    Cases, BadStoredDataTest,
    ::testing::Values(BadDataCase{"lng as bytes", QVariant(QByteArray("1")), QVariant(kGoodTable),
                                  "Invalid data type for 'lng'", false},
                      BadDataCase{"lng as a list", QVariant(QStringList{"a", "b"}),
                                  QVariant(kGoodTable), "Invalid data type for 'lng'", false},
                      BadDataCase{"hsc as text", QVariant(), QVariant(QStringLiteral("hello")),
                                  "Invalid data type for 'hsc'", true},
                      BadDataCase{"hsc too long", QVariant(), QVariant(QByteArray(641, '\x01')),
                                  "Invalid data type for 'hsc'", true}));

TEST_F(SettingsStoreTest, HandEditedTextTableIsInvalid) {
    WriteIni("[General]\nlng=1\nhsc=hello\n");
    PersistentState state;
    EXPECT_THROW(Load(state), StoreError);
}

TEST_F(SettingsStoreTest, StoreThatCannotBeOpenedGivesTheDefaults) {
    QDir(dir_.path()).mkdir(QStringLiteral("Kwadrill.ini"));
    PersistentState state;
    state.language = 1;
    state.record.scoreTable = TableWithChampion(500, 200);
    const QByteArray before = BytesOf(state.record.scoreTable);

    EXPECT_EQ(Load(state), 0);
    EXPECT_EQ(BytesOf(state.record.scoreTable), before);
}

TEST_F(SettingsStoreTest, WriteThatFailsRaisesFailedToSetDataForLng) {
    QDir(dir_.path()).mkdir(QStringLiteral("Kwadrill.ini"));
    try {
        Store().SaveRegistrySettings(PersistentState{});
        FAIL() << "no error";
    } catch (const StoreError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Failed to set data for 'lng'"));
    }
}

// The language fits under the size limit, the table does not.
TEST_F(SettingsStoreTest, WriteThatFailsRaisesFailedToSetDataForHsc) {
    std::optional<QString> message;
    {
        test::FileSizeLimit limit(100);
        try {
            Store().SaveRegistrySettings(PersistentState{});
        } catch (const StoreError& error) {
            message = error.Message();
        }
    }
    EXPECT_EQ(message, QStringLiteral("Failed to set data for 'hsc'"));
    // The language written before stays; no half-written file is left about.
    EXPECT_TRUE(test::ReadFileBytes(Path()).contains("lng=0"));
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("Kwadrill.ini")});
}

TEST_F(SettingsStoreTest, WriteWithoutWritePermissionRaisesFailedToSetData) {
    if (test::RunningAsRoot()) GTEST_SKIP() << "root ignores permissions; covered unprivileged";
    QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_THROW(Store().SaveRegistrySettings(PersistentState{}), StoreError);
    QFile::setPermissions(dir_.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(SettingsStoreTest, PlayersStoreLivesInTheConfigDirectoryAndIsNotCreatedEarly) {
    const test::ScopedEnvironment config("XDG_CONFIG_HOME", dir_.path().toLocal8Bit());

    const SettingsStore store;

    EXPECT_EQ(store.FilePath(), dir_.path() + QStringLiteral("/QZ's Kwadrill/Kwadrill.ini"));
    EXPECT_EQ(store.FilePath(),
              QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("QZ's Kwadrill"),
                        QStringLiteral("Kwadrill"))
                  .fileName());
    EXPECT_FALSE(QFileInfo::exists(dir_.path() + QStringLiteral("/QZ's Kwadrill")));
}

struct ErrorTextCase {
    QString message;
    QString text;
};

class StandardErrorTextTest : public ::testing::TestWithParam<ErrorTextCase> {};

TEST_P(StandardErrorTextTest, AppendsAFullStopAfterCharactersSortingAfterIt) {
    EXPECT_EQ(StandardErrorText(GetParam().message), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StandardErrorTextTest,
    ::testing::Values(ErrorTextCase{QStringLiteral("Invalid data type for 'lng'"),
                                    QStringLiteral("Invalid data type for 'lng'")},
                      ErrorTextCase{QStringLiteral("Disk full"), QStringLiteral("Disk full.")},
                      ErrorTextCase{QStringLiteral("Code 7"), QStringLiteral("Code 7.")},
                      ErrorTextCase{QStringLiteral("Done."), QStringLiteral("Done.")},
                      ErrorTextCase{QStringLiteral("Stop!"), QStringLiteral("Stop!")},
                      ErrorTextCase{QStringLiteral("Ошибка"), QStringLiteral("Ошибка.")},
                      ErrorTextCase{QString(), QString()}));

}  // namespace
}  // namespace kwadrill
