#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "HighScores.h"
#include "IniFile.h"
#include "PlayerSettings.h"
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

// Counts the warnings logged while it lives (and keeps them off the test's output).
class WarningCount {
public:
    WarningCount() : previous_(qInstallMessageHandler(&Count)) { count_ = 0; }
    ~WarningCount() { qInstallMessageHandler(previous_); }
    WarningCount(const WarningCount&) = delete;
    WarningCount& operator=(const WarningCount&) = delete;

    int Value() const { return count_; }

private:
    static void Count(QtMsgType type, const QMessageLogContext&, const QString&) {
        if (type == QtWarningMsg) ++count_;
    }

    static inline int count_ = 0;
    QtMessageHandler previous_;
};

bool IsSymLink(const QString& path) {
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISLNK(status.st_mode);
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

    // Takes what LoadRegistrySettings read as the game takes it at start-up:
    // the language (returned once taken), then the table joined with state's.
    static std::optional<std::int32_t> Take(const StoredSettings& stored, PersistentState& state,
                                            std::optional<std::int32_t>& applied) {
        state.language = stored.Language();
        applied = state.language;
        if (const std::optional<ScoreTable> table = stored.Table())
            MergeScoreTables(state.record.scoreTable, *table);
        return applied;
    }
    std::optional<std::int32_t> Load(PersistentState& state) {
        std::optional<std::int32_t> applied;
        return Take(Store().LoadRegistrySettings(), state, applied);
    }

    // What is at Path() reads as no store: English is applied, the backup
    // table is kept and one warning is logged.
    void ExpectReadsAsNoStoreWithOneWarning() {
        PersistentState state;
        state.language = 1;
        state.record.scoreTable = TableWithChampion(500, 200);
        const QByteArray before = BytesOf(state.record.scoreTable);
        const WarningCount warnings;

        EXPECT_EQ(Load(state), 0);
        EXPECT_EQ(BytesOf(state.record.scoreTable), before);
        EXPECT_EQ(warnings.Value(), 1);
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

// The store kept the table of the run before (its save failed, the backup
// file's did not): the result entered in the last run is not lost.
TEST_F(SettingsStoreTest, AResultSavedOnlyToTheBackupFileSurvivesTheStart) {
    const ScoreTable older = TableWithChampion(500, 300);
    StoreRaw(QStringLiteral("hsc"), BytesOf(older));
    PersistentState state;
    state.record.scoreTable = older;
    const int rank = InsertHighScore(state.record.scoreTable, 290);
    RecordHighScore(state.record.scoreTable.Rank(rank), QStringLiteral("Ann"), 290,
                    QDateTime(QDate(2024, 5, 1), QTime(20, 15)));
    const ScoreTable newer = state.record.scoreTable;

    Load(state);

    EXPECT_EQ(BytesOf(state.record.scoreTable), BytesOf(newer));
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
        Take(Store().LoadRegistrySettings(), state, applied);
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

struct DamagedCase {
    const char* what;
    QByteArray bytes;
};

void PrintTo(const DamagedCase& c, std::ostream* os) {
    *os << c.what;
}

QByteArray RandomBytes() {
    QRandomGenerator generator(7);
    QByteArray bytes(700, '\0');
    for (char& byte : bytes) byte = static_cast<char>(generator.generate());
    return bytes;
}

class DamagedStoreTest : public SettingsStoreTest,
                         public ::testing::WithParamInterface<DamagedCase> {
protected:
    void SetUp() override {
        WriteIni(GetParam().bytes);
        // What makes these files damaged: QSettings cannot parse them. Checked on
        // a copy, since QSettings trusts what it once read from a path.
        const QString copy = dir_.filePath(QStringLiteral("copy.ini"));
        test::WriteFileBytes(copy, GetParam().bytes);
        QSettings settings(copy, QSettings::IniFormat);
        settings.allKeys();
        ASSERT_EQ(settings.status(), QSettings::FormatError) << GetParam().what;
    }
};

// Values QSettings did make out of a file it cannot parse are not trusted either.
TEST_P(DamagedStoreTest, ReadsAsNoStoreWithOneWarning) {
    ExpectReadsAsNoStoreWithOneWarning();
}

TEST_P(DamagedStoreTest, WriteStartsAFreshFileAndKeepsTheDamagedOneAside) {
    const ScoreTable table = TableWithChampion(500, 200);
    const WarningCount quiet;
    for (const bool writeTable : {false, true}) {
        WriteIni(GetParam().bytes);
        SettingsStore store = Store();

        if (writeTable)
            store.WriteScoreTable(table);
        else
            store.WriteLanguage(1);

        if (writeTable) {
            ScoreTable read{};
            EXPECT_TRUE(store.ReadScoreTable(read));
            EXPECT_EQ(BytesOf(read), BytesOf(table));
        } else {
            EXPECT_EQ(store.ReadLanguage(), 1);
        }
        // The new file holds the written value alone.
        QSettings settings(Path(), QSettings::IniFormat);
        EXPECT_EQ(settings.allKeys(),
                  QStringList{writeTable ? QStringLiteral("hsc") : QStringLiteral("lng")});
        EXPECT_EQ(settings.status(), QSettings::NoError);
        EXPECT_EQ(test::ReadFileBytes(DamagedCopyPath(Path())), GetParam().bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedStoreTest,
    ::testing::Values(DamagedCase{"zeros", QByteArray(640, '\0')},
                      DamagedCase{"random bytes", RandomBytes()},
                      DamagedCase{"unclosed section", "[General"},
                      DamagedCase{"unclosed section with values", "[General\nlng=1\nhsc=\n"},
                      DamagedCase{"a line that sets nothing", "[General]\nlng=1\nlanguage\n"}));

TEST_F(SettingsStoreTest, AnOlderDamagedCopyIsReplaced) {
    test::WriteFileBytes(DamagedCopyPath(Path()), "[Older");
    WriteIni("[General");
    const WarningCount quiet;

    Store().WriteLanguage(1);

    EXPECT_EQ(test::ReadFileBytes(DamagedCopyPath(Path())), QByteArray("[General"));
}

TEST_F(SettingsStoreTest, DamagedStoreWithoutWritePermissionStaysAsItWas) {
    if (test::RunningAsRoot()) GTEST_SKIP() << "root ignores permissions; covered unprivileged";
    WriteIni("[General");
    QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);

    EXPECT_THROW(Store().WriteLanguage(1), StoreError);

    QFile::setPermissions(dir_.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(test::ReadFileBytes(Path()), QByteArray("[General"));
    EXPECT_FALSE(QFileInfo::exists(DamagedCopyPath(Path())));
}

// A link at the store's path is ours to replace, never to write through or read through.
TEST_F(SettingsStoreTest, WriteReplacesALinkAndLeavesWhereItPointsAlone) {
    const QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("other.ini"));
    for (const bool dangling : {false, true}) {
        QFile::remove(Path());
        QFile::remove(target);
        if (!dangling) test::WriteFileBytes(target, "[General]\nlng=5\n");
        ASSERT_TRUE(QFile::link(target, Path()));

        Store().WriteLanguage(1);

        EXPECT_FALSE(IsSymLink(Path())) << dangling;
        EXPECT_EQ(Store().ReadLanguage(), 1) << dangling;
        if (dangling)
            EXPECT_FALSE(QFileInfo::exists(target));
        else
            EXPECT_EQ(test::ReadFileBytes(target), QByteArray("[General]\nlng=5\n"));
    }
}

TEST_F(SettingsStoreTest, ALinkReadsAsNoStoreWithOneWarning) {
    const QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("other.ini"));
    {
        QSettings settings(target, QSettings::IniFormat);
        settings.setValue(QStringLiteral("lng"), QStringLiteral("1"));
        settings.setValue(QStringLiteral("hsc"), BytesOf(TableWithChampion(900, 800)));
    }
    ASSERT_TRUE(QFile::link(target, Path()));

    ExpectReadsAsNoStoreWithOneWarning();
}

bool MakeFifo(const QString& path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

bool MakeDirectory(const QString& path) {
    return QDir().mkdir(path);
}

bool MakeSocket(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<std::size_t>(name.size()) >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound =
        fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) ::close(fd);  // the socket's file stays
    return bound;
}

struct NotAFileCase {
    const char* what;
    std::function<bool(const QString&)> make;
    mode_t type;
};

void PrintTo(const NotAFileCase& c, std::ostream* os) {
    *os << c.what;
}

class NotAFileTest : public SettingsStoreTest, public ::testing::WithParamInterface<NotAFileCase> {
protected:
    void SetUp() override { ASSERT_TRUE(GetParam().make(Path())) << GetParam().what; }

    bool StillThere() const {
        struct stat status {};
        return ::lstat(QFile::encodeName(Path()).constData(), &status) == 0 &&
               (status.st_mode & S_IFMT) == GetParam().type;
    }
};

// Opening a FIFO to read it would wait for a writer that never comes.
TEST_P(NotAFileTest, ReadsAsNoStoreWithOneWarning) {
    ExpectReadsAsNoStoreWithOneWarning();
    EXPECT_TRUE(StillThere());
}

TEST_P(NotAFileTest, WriteRaisesFailedToSetDataAndLeavesItAlone) {
    try {
        Store().SaveRegistrySettings(PersistentState{});
        FAIL() << "no error";
    } catch (const StoreError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Failed to set data for 'lng'"));
        EXPECT_EQ(error.Failure(), NotAFileFailure(Path()));
    }
    EXPECT_TRUE(StillThere());
    EXPECT_EQ(QDir(dir_.path())
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("Kwadrill.ini")});
}

INSTANTIATE_TEST_SUITE_P(Kinds, NotAFileTest,
                         ::testing::Values(NotAFileCase{"FIFO", MakeFifo, S_IFIFO},
                                           NotAFileCase{"directory", MakeDirectory, S_IFDIR},
                                           NotAFileCase{"socket", MakeSocket, S_IFSOCK}));

// The language fits under the size limit, the table does not.
TEST_F(SettingsStoreTest, WriteThatFailsRaisesFailedToSetDataForHsc) {
    std::optional<QString> message;
    std::optional<WriteFailure> failure;
    {
        test::FileSizeLimit limit(100);
        try {
            Store().SaveRegistrySettings(PersistentState{});
        } catch (const StoreError& error) {
            message = error.Message();
            failure = error.Failure();
        }
    }
    EXPECT_EQ(message, QStringLiteral("Failed to set data for 'hsc'"));
    EXPECT_EQ(failure, SystemFailure(Path(), dir_.path(), EFBIG));
    // The language written before stays; no half-written file is left about.
    EXPECT_TRUE(test::ReadFileBytes(Path()).contains("lng=0"));
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("Kwadrill.ini")});
}

TEST_F(SettingsStoreTest, WriteWithoutWritePermissionRaisesFailedToSetData) {
    if (test::RunningAsRoot()) GTEST_SKIP() << "root ignores permissions; covered unprivileged";
    QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    std::optional<WriteFailure> failure;
    try {
        Store().SaveRegistrySettings(PersistentState{});
    } catch (const StoreError& error) {
        failure = error.Failure();
    }
    QFile::setPermissions(dir_.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(failure, SystemFailure(Path(), dir_.path(), EACCES));
    // A folder to be made in one that may not be written: that one refused,
    // not the folder that was to be made.
    const QString deeper = dir_.filePath(QStringLiteral("ro/new/Kwadrill.ini"));
    ASSERT_TRUE(QDir().mkpath(dir_.filePath(QStringLiteral("ro"))));
    QFile::setPermissions(dir_.filePath(QStringLiteral("ro")),
                          QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    failure.reset();
    try {
        SettingsStore(deeper).SaveRegistrySettings(PersistentState{});
    } catch (const StoreError& error) {
        failure = error.Failure();
    }
    EXPECT_EQ(failure, SystemFailure(deeper, dir_.filePath(QStringLiteral("ro")), EACCES));
}

// A folder of the store's path that is a file: mkdir's answer, not a later one.
TEST_F(SettingsStoreTest, WriteBelowAFileSaysWhichFileIsInTheWay) {
    test::WriteFileBytes(dir_.filePath(QStringLiteral("blocker")), "x");
    const QString path = dir_.filePath(QStringLiteral("blocker/QZ's Kwadrill/Kwadrill.ini"));
    std::optional<WriteFailure> failure;
    try {
        SettingsStore(path).SaveRegistrySettings(PersistentState{});
    } catch (const StoreError& error) {
        failure = error.Failure();
    }
    EXPECT_EQ(failure, SystemFailure(path, dir_.filePath(QStringLiteral("blocker")), ENOTDIR));
}

TEST_F(SettingsStoreTest, RemovesWhatACutShortSaveLeftAndNothingElse) {
    const QDir folder(dir_.path());
    const auto make = [&](const QString& name, QFileDevice::Permissions permissions) {
        test::WriteFileBytes(folder.filePath(name), "[General]\nlng=1\n");
        QFile::setPermissions(folder.filePath(name), permissions);
    };
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    const auto readable = ownerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    {
        QTemporaryFile staged(Path() + QStringLiteral(".XXXXXX"));
        staged.setAutoRemove(false);
        ASSERT_TRUE(staged.open());
    }
    make(QStringLiteral("Kwadrill.ini.AbCdEf.GhIjKl"), ownerOnly);  // QSaveFile's own copy
    make(QStringLiteral("Kwadrill.ini.AbCdEf.lock"), readable);     // QSettings' lock

    QStringList kept = {
        QStringLiteral("Kwadrill.ini"),        QStringLiteral("Kwadrill.ini.damaged"),
        QStringLiteral("Kwadrill.ini.AbCdE"),  QStringLiteral("Kwadrill.ini.AbCdEfG"),
        QStringLiteral("Kwadrill.ini.AbC1Ef"), QStringLiteral("Other.ini.AbCdEf")};
    for (const QString& name : kept) make(name, ownerOnly);
    // A copy a player made: the same shape of name, but readable by others.
    make(QStringLiteral("Kwadrill.ini.backup"), readable);
    kept << QStringLiteral("Kwadrill.ini.backup");
    const QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("target"));
    test::WriteFileBytes(target, "x");
    QFile::setPermissions(target, ownerOnly);
    ASSERT_TRUE(QFile::link(target, folder.filePath(QStringLiteral("Kwadrill.ini.LinkTo"))));
    ASSERT_TRUE(folder.mkdir(QStringLiteral("Kwadrill.ini.Folder")));
    kept << QStringLiteral("Kwadrill.ini.LinkTo") << QStringLiteral("Kwadrill.ini.Folder");
    if (test::RunningAsRoot()) {
        make(QStringLiteral("Kwadrill.ini.Nobody"), ownerOnly);
        ASSERT_EQ(::chown(QFile::encodeName(folder.filePath(QStringLiteral("Kwadrill.ini.Nobody")))
                              .constData(),
                          65534, 65534),
                  0);
        kept << QStringLiteral("Kwadrill.ini.Nobody");
    }

    Store().RemoveStaleTemporaries();

    QStringList left =
        folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    std::sort(kept.begin(), kept.end());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, kept);
    EXPECT_TRUE(QFileInfo::exists(target));
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

// ---- The player's settings ----

PlayerSettings EverythingChanged() {
    PlayerSettings settings;
    settings.musicVolume = 35;
    settings.effectsVolume = 0;
    settings.keys = {Qt::Key_A, Qt::Key_D, Qt::Key_W, Qt::Key_Space, Qt::Key_F1};
    settings.repeatDelayMs = 180;
    settings.repeatRate = 45;
    settings.nextPiecePreview = true;
    settings.landingShadow = true;
    settings.pauseOnFocusLoss = false;
    settings.zoom = 2.5;
    settings.fullScreen = true;
    return settings;
}

ino_t InodeOf(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

TEST_F(SettingsStoreTest, PlayerSettingsComeBackAsSavedBesideAnUntouchedLanguageAndTable) {
    PersistentState state;
    state.language = 1;
    state.record.scoreTable = TableWithChampion(500, 100);
    Store().SaveRegistrySettings(state);

    Store().SavePlayerSettings(EverythingChanged());
    const StoredSettings stored = Store().LoadRegistrySettings();
    EXPECT_EQ(stored.Player(), EverythingChanged());
    EXPECT_EQ(stored.Language(), 1);
    ASSERT_TRUE(stored.Table().has_value());
    EXPECT_EQ(BytesOf(*stored.Table()), BytesOf(state.record.scoreTable));
    // Each under its own key, as text; "lng" and "hsc" as they were.
    QSettings settings(Path(), QSettings::IniFormat);
    EXPECT_EQ(settings.value(QStringLiteral("player/musicVolume")), QVariant(QStringLiteral("35")));
    EXPECT_EQ(settings.value(QStringLiteral("player/keyDrop")), QVariant(QStringLiteral("32")));
    EXPECT_EQ(settings.value(QStringLiteral("player/zoom")), QVariant(QStringLiteral("2.5")));
    EXPECT_EQ(settings.value(QStringLiteral("player/pauseOnFocusLoss")),
              QVariant(QStringLiteral("false")));
    EXPECT_EQ(settings.value(QStringLiteral("lng")), QVariant(QStringLiteral("1")));
    EXPECT_EQ(settings.value(QStringLiteral("hsc")), QVariant(BytesOf(state.record.scoreTable)));

    // Back at the defaults, no key of the player's is left.
    Store().SavePlayerSettings(PlayerSettings{});
    EXPECT_EQ(Store().LoadRegistrySettings().Player(), PlayerSettings{});
    EXPECT_FALSE(test::ReadFileBytes(Path()).contains("player"));
    EXPECT_EQ(Store().ReadLanguage(), 1);
}

// Settings the store holds already, the defaults above all, leave the file
// as it is: not even replaced by the same bytes.
TEST_F(SettingsStoreTest, SettingsTheStoreHoldsAlreadyLeaveItAlone) {
    Store().SavePlayerSettings(PlayerSettings{});
    EXPECT_FALSE(QFileInfo::exists(Path()));

    WriteIni("[General]\nlng=1\n");
    const ino_t before = InodeOf(Path());
    Store().SavePlayerSettings(PlayerSettings{});
    EXPECT_EQ(InodeOf(Path()), before);
    EXPECT_EQ(test::ReadFileBytes(Path()), QByteArray("[General]\nlng=1\n"));

    Store().SavePlayerSettings(EverythingChanged());
    const ino_t saved = InodeOf(Path());
    EXPECT_NE(saved, before);
    Store().SavePlayerSettings(EverythingChanged());
    EXPECT_EQ(InodeOf(Path()), saved);
}

// A hand edit gone wrong costs the value its default, nothing more, and no
// word is said.
TEST_F(SettingsStoreTest, ADamagedPlayerValueReadsAsItsDefault) {
    struct Case {
        const char* lines;
        void (*expect)(PlayerSettings&);
    };
    const auto unchanged = [](PlayerSettings&) {};
    const Case cases[] = {
        {"musicVolume=101", unchanged},
        {"musicVolume=-5", unchanged},
        {"musicVolume=50.5", unchanged},
        {"musicVolume=", unchanged},
        {"musicVolume=@ByteArray(50)", unchanged},
        {"musicVolume=40, 50", unchanged},  // a list
        {"effectsVolume=loud", unchanged},
        {"musicVolume=0", [](PlayerSettings& s) { s.musicVolume = 0; }},
        {"keyLeft=0", unchanged},
        {"keyLeft=16777216", unchanged},  // Escape
        {"keyLeft=16777248", unchanged},  // Shift
        {"keyLeft=97", unchanged},        // a small letter: no key gives one
        {"keyLeft=1060", unchanged},      // Cyrillic: kept as its Latin key
        {"keyLeft=16777236", unchanged},  // Right: on two actions, all keys start afresh
        {"keyLeft=16777236\nkeyRight=16777234",
         [](PlayerSettings& s) { std::swap(s.keys.left, s.keys.right); }},
        {"keyPause=32\nkeyDrop=abc", [](PlayerSettings& s) { s.keys.pause = Qt::Key_Space; }},
        {"repeatDelay=99", unchanged},
        {"repeatDelay=2001", unchanged},
        {"repeatDelay=100", [](PlayerSettings& s) { s.repeatDelayMs = 100; }},
        {"repeatRate=0", unchanged},
        {"repeatRate=100", [](PlayerSettings& s) { s.repeatRate = 100; }},
        {"zoom=1.75", unchanged},
        {"zoom=0", unchanged},
        {"zoom=1,5", unchanged},
        {"zoom=4", [](PlayerSettings& s) { s.zoom = 4.0; }},
        {"fullScreen=yes", unchanged},
        {"landingShadow=2", unchanged},
        {"fullScreen=1\nnextPiece=TRUE",
         [](PlayerSettings& s) { s.fullScreen = s.nextPiecePreview = true; }},
        {"pauseOnFocusLoss=false", [](PlayerSettings& s) { s.pauseOnFocusLoss = false; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        WriteIni(QByteArray("[General]\nlng=1\n[player]\n") + c.lines + "\n");
        PlayerSettings expected;
        c.expect(expected);
        const WarningCount warnings;
        const StoredSettings stored = Store().LoadRegistrySettings();
        EXPECT_EQ(stored.Player(), expected);
        EXPECT_EQ(stored.Language(), 1);
        EXPECT_EQ(warnings.Value(), 0);
    }
}

TEST(PlayerKeys, BindableKeysAndTheRussianLayout) {
    for (const int key : {int(Qt::Key_A), int(Qt::Key_Space), int(Qt::Key_Left), int(Qt::Key_F5),
                          int(Qt::Key_Return), int(Qt::Key_Comma), 0x00C4, 0x0391}) {
        EXPECT_TRUE(IsBindableKey(key)) << key;
    }
    for (const int key : {0, -1, 0x61, 0x0417, 0x0444, int(Qt::Key_Escape), int(Qt::Key_Tab),
                          int(Qt::Key_Control), int(Qt::Key_AltGr), int(Qt::Key_unknown)}) {
        EXPECT_FALSE(IsBindableKey(key)) << key;
    }
    EXPECT_EQ(LatinLayoutKey(0x0417), Qt::Key_P);          // З
    EXPECT_EQ(LatinLayoutKey(0x0437), Qt::Key_P);          // з
    EXPECT_EQ(LatinLayoutKey(0x0424), Qt::Key_A);          // Ф
    EXPECT_EQ(LatinLayoutKey(0x0411), Qt::Key_Comma);      // Б
    EXPECT_EQ(LatinLayoutKey(0x0401), Qt::Key_QuoteLeft);  // Ё
    EXPECT_EQ(LatinLayoutKey(Qt::Key_Left), Qt::Key_Left);
    EXPECT_EQ(LatinLayoutKey(0x0391), 0x0391);
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
