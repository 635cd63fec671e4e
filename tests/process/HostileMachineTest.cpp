#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "SessionSteps.h"

namespace {

constexpr uid_t kNobody = 65534;
const QByteArray kIniHeader = "[General]\n";

// What a hostile machine puts where the game keeps a file of its own.
enum class Obstacle { LinkToAFileElsewhere, DanglingLink, Fifo, Directory };
enum class Place { BackupBesideTheGame, BackupInTheDataFolder, Store };

struct HostileCase {
    Place place;
    Obstacle obstacle;
    const char* name;
};
void PrintTo(const HostileCase& hostile, std::ostream* out) {
    *out << hostile.name;
}

QString PathOf(const GameSandbox& sandbox, Place place) {
    switch (place) {
        case Place::BackupBesideTheGame:
            return sandbox.BackupPath();
        case Place::BackupInTheDataFolder:
            return sandbox.DataBackupPath();
        case Place::Store:
            return sandbox.StorePath();
    }
    return {};
}

bool IsBackup(Place place) {
    return place != Place::Store;
}

// The backup goes to the data folder when the game's own folder is not
// writable; under root the game then runs as nobody.
GameSandbox::ExecutableDirAccess AccessFor(Place place) {
    return place == Place::BackupInTheDataFolder ? GameSandbox::ExecutableDirAccess::ReadOnly
                                                 : GameSandbox::ExecutableDirAccess::Writable;
}

// A record with a result, which the game would gladly read if it followed a
// link to it.
RecordBytes VictimRecord() {
    RecordBytes record;
    record.SetEntry(1, "Mallory", 123456, 45000.5);
    record.SetSwitches(1, 1);
    return record;
}

QByteArray VictimContents(Place place) {
    const RecordBytes record = VictimRecord();
    if (IsBackup(place)) return record.BackupFile();
    return kIniHeader + "lng=1\nhsc=" + IniByteArray(record.Table()) + "\n";
}

mode_t TypeOf(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & S_IFMT : 0;
}

// A FIFO anyone may open: refusing it must not depend on permissions.
bool MakeOpenFifo(const QString& path, bool forNobody) {
    const QByteArray native = QFile::encodeName(path);
    if (::mkfifo(native.constData(), 0666) != 0 || ::chmod(native.constData(), 0666) != 0)
        return false;
    return !forNobody || ::chown(native.constData(), kNobody, kNobody) == 0;
}

bool Plant(const GameSandbox& sandbox, const QString& path, Obstacle obstacle,
           const QString& victim, const QString& nowhere) {
    if (!sandbox.MakePlayerFolder(QFileInfo(path).absolutePath())) return false;
    const QByteArray native = QFile::encodeName(path);
    switch (obstacle) {
        case Obstacle::LinkToAFileElsewhere:
            return ::symlink(QFile::encodeName(victim).constData(), native.constData()) == 0;
        case Obstacle::DanglingLink:
            return ::symlink(QFile::encodeName(nowhere).constData(), native.constData()) == 0;
        case Obstacle::Fifo:
            return MakeOpenFifo(path, sandbox.RunsAsNobody());
        case Obstacle::Directory:
            return sandbox.MakePlayerFolder(path);
    }
    return false;
}

// The game's own files: its record files and their folders, its runtime and
// temporary folders. Nothing else may change.
bool GameMayTouch(const QString& relative) {
    for (const char* folder : {"runtime/", "tmp/", "config/QZ's Kwadrill", "data/QZ's Kwadrill"}) {
        if (relative.startsWith(QLatin1String(folder))) return true;
    }
    return relative == QStringLiteral("bin/Kwadrill.hsc") ||
           relative.startsWith(QStringLiteral("bin/Kwadrill.hsc/"));
}

QStringList ChangedOutsideTheGamesFiles(const GameSandbox::Snapshot& before,
                                        const GameSandbox::Snapshot& after) {
    QStringList changed;
    for (const auto& [path, state] : after) {
        const auto found = before.find(path);
        if (GameMayTouch(path)) continue;
        if (found == before.end()) {
            changed << path + QStringLiteral(" (created)");
        } else if (!(found->second == state) &&
                   !(state.IsDirectory() && found->second.IsDirectory())) {
            // A folder's time follows its entries, which are compared one by one.
            changed << path + QStringLiteral(" (changed)");
        }
    }
    for (const auto& [path, state] : before) {
        if (!GameMayTouch(path) && !after.contains(path))
            changed << path + QStringLiteral(" (removed)");
    }
    return changed;
}

QByteArray EmptyTable() {
    return RecordBytes().Table();
}

class HostileRecordPath : public ::testing::TestWithParam<HostileCase> {};

// A link, a FIFO or a directory where the game keeps its backup or its store,
// as another user may plant it where root plays: the game starts, closes on
// SIGTERM as always, reads nothing through the link and writes nothing
// through it, waits on no FIFO and changes no file but its own. A backup
// path's link is replaced by the saved record; a FIFO or directory stays.
TEST_P(HostileRecordPath, IsNeitherFollowedNorReadAndTheGameStartsAndCloses) {
    const Place place = GetParam().place;
    const Obstacle obstacle = GetParam().obstacle;
    GameSandbox sandbox(AccessFor(place));
    if (!sandbox.Usable()) GTEST_SKIP() << qPrintable(sandbox.Problem());
    const QString victimKey = QStringLiteral("elsewhere/victim");
    const QString victim = sandbox.Path(victimKey);
    const QString nowhere = sandbox.Path(QStringLiteral("elsewhere/nowhere"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(victim).absolutePath()));
    {
        QFile file(victim);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(VictimContents(place));
    }
    const QString path = PathOf(sandbox, place);
    ASSERT_TRUE(Plant(sandbox, path, obstacle, victim, nowhere)) << qPrintable(path);
    const GameSandbox::Snapshot before = sandbox.TakeSnapshot();

    ASSERT_TRUE(PlayAndClose(sandbox));

    const GameSandbox::Snapshot after = sandbox.TakeSnapshot();
    EXPECT_TRUE(after.at(victimKey) == before.at(victimKey)) << "the victim file was changed";
    EXPECT_EQ(kwadrill::test::ReadFileBytes(victim), VictimContents(place));
    EXPECT_FALSE(QFileInfo::exists(nowhere)) << "a dangling link was followed";
    const QStringList changed = ChangedOutsideTheGamesFiles(before, after);
    EXPECT_TRUE(changed.isEmpty()) << "touched: " << qPrintable(changed.join(u", "));

    // Nothing was read through the link: the game played with an empty table
    // and saved an empty one.
    const QString backup = place == Place::Store ? sandbox.BackupPath() : path;
    if (TypeOf(backup) == S_IFREG) {
        RecordBytes saved;
        ASSERT_TRUE(ReadValidBackup(backup, saved));
        EXPECT_EQ(saved.Table().toHex(), EmptyTable().toHex()) << "the victim was read";
    }
    if (IsBackup(place)) {
        const mode_t expected = obstacle == Obstacle::Fifo        ? S_IFIFO
                                : obstacle == Obstacle::Directory ? S_IFDIR
                                                                  : S_IFREG;
        EXPECT_EQ(TypeOf(path), expected) << "what stands at the backup's path after the run";
    }
}

INSTANTIATE_TEST_SUITE_P(
    LinksFifosAndFolders, HostileRecordPath,
    ::testing::Values(
        HostileCase{Place::BackupBesideTheGame, Obstacle::LinkToAFileElsewhere,
                    "BackupBesideTheGameIsALinkToAFileElsewhere"},
        HostileCase{Place::BackupBesideTheGame, Obstacle::DanglingLink,
                    "BackupBesideTheGameIsADanglingLink"},
        HostileCase{Place::BackupBesideTheGame, Obstacle::Fifo, "BackupBesideTheGameIsAFifo"},
        HostileCase{Place::BackupBesideTheGame, Obstacle::Directory,
                    "BackupBesideTheGameIsADirectory"},
        HostileCase{Place::BackupInTheDataFolder, Obstacle::LinkToAFileElsewhere,
                    "BackupInTheDataFolderIsALinkToAFileElsewhere"},
        HostileCase{Place::BackupInTheDataFolder, Obstacle::DanglingLink,
                    "BackupInTheDataFolderIsADanglingLink"},
        HostileCase{Place::BackupInTheDataFolder, Obstacle::Fifo, "BackupInTheDataFolderIsAFifo"},
        HostileCase{Place::BackupInTheDataFolder, Obstacle::Directory,
                    "BackupInTheDataFolderIsADirectory"},
        HostileCase{Place::Store, Obstacle::LinkToAFileElsewhere, "StoreIsALinkToAFileElsewhere"},
        HostileCase{Place::Store, Obstacle::DanglingLink, "StoreIsADanglingLink"},
        HostileCase{Place::Store, Obstacle::Fifo, "StoreIsAFifo"},
        HostileCase{Place::Store, Obstacle::Directory, "StoreIsADirectory"}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

// A save killed half-way leaves its temporary file beside the record; the next
// start removes it, and only it.
TEST(InterruptedSave, ItsTemporaryFileIsRemovedAtTheNextStart) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    const QString stale = sandbox.BackupPath() + QStringLiteral(".AbCdEf");
    const QString unrelated = sandbox.BackupPath() + QStringLiteral(".keep-me");
    ASSERT_TRUE(sandbox.WriteFile(stale, QByteArray(300, 's')));
    ASSERT_TRUE(sandbox.WriteFile(unrelated, QByteArray("mine")));

    ASSERT_TRUE(PlayAndClose(sandbox));

    EXPECT_FALSE(QFileInfo::exists(stale)) << "the stale temporary file is still there";
    EXPECT_EQ(kwadrill::test::ReadFileBytes(unrelated), QByteArray("mine"));
    RecordBytes saved;
    EXPECT_TRUE(ReadValidBackup(sandbox.BackupPath(), saved));
}

// Music files cut short by a kill during start-up: the next start removes
// them, while it holds the lock, and only the regular files of the player.
// A link, a folder or a FIFO of such a name stays, and so does another
// user's file (which only root can plant).
TEST(InterruptedStartUp, ItsMusicTemporariesAreRemovedAtTheNextStart) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    const QString runtime = sandbox.RuntimeDir() + u'/';
    const QStringList stale{runtime + QStringLiteral("qzkm1.mid.AbC123"),
                            runtime + QStringLiteral("qzkm13.mid.x1Y2z3")};
    for (const QString& path : stale) ASSERT_TRUE(sandbox.WriteFile(path, QByteArray(300, 'm')));
    const QString victim = sandbox.Path(QStringLiteral("elsewhere/victim"));
    ASSERT_TRUE(sandbox.WriteFile(victim, "not music"));
    QStringList kept{runtime + QStringLiteral("qzkm2.mid.Linked"),
                     runtime + QStringLiteral("qzkm3.mid.Folder"),
                     runtime + QStringLiteral("qzkm4.mid.Fifo00")};
    ASSERT_EQ(
        ::symlink(QFile::encodeName(victim).constData(), QFile::encodeName(kept[0]).constData()),
        0);
    ASSERT_TRUE(sandbox.MakePlayerFolder(kept[1]));
    ASSERT_TRUE(MakeOpenFifo(kept[2], false));
    const QString others = runtime + QStringLiteral("qzkm5.mid.Others");
    if (::geteuid() == 0) {
        ASSERT_TRUE(sandbox.WriteFile(others, "nobody's"));
        ASSERT_EQ(::chown(QFile::encodeName(others).constData(), kNobody, kNobody), 0);
        kept << others;
    }

    GameProcess game(sandbox);
    ASSERT_TRUE(StartUntilReady(game));
    for (const QString& path : stale) EXPECT_FALSE(QFileInfo::exists(path)) << qPrintable(path);
    for (const QString& path : kept) EXPECT_NE(TypeOf(path), 0u) << qPrintable(path) << " is gone";
    EXPECT_EQ(TypeOf(kept[0]), mode_t{S_IFLNK});
    EXPECT_EQ(kwadrill::test::ReadFileBytes(victim), QByteArray("not music"));
    game.Signal(SIGTERM);
    ASSERT_TRUE(game.WaitForExit(kShutdownTimeoutMs));
    EXPECT_TRUE(game.ExitedCleanly()) << qPrintable(game.ExitDescription());
}

// A relative base-directory variable would put the game's files wherever it
// is started; it is ignored with a word on stderr, as if unset. The folder it
// names exists in the working folder, private and ready, and stays empty.
struct RelativeCase {
    const char* variable;
    GameSandbox::ExecutableDirAccess access;
    // Where the file the variable places lands instead, below the home
    // folder (which is the working folder too); empty for the cache.
    const char* fallback;
};
void PrintTo(const RelativeCase& relative, std::ostream* out) {
    *out << relative.variable;
}

class RelativeBaseDirectory : public ::testing::TestWithParam<RelativeCase> {};

TEST_P(RelativeBaseDirectory, IsIgnoredWithANoticeAndNothingLandsInTheWorkingFolder) {
    const RelativeCase& relative = GetParam();
    GameSandbox sandbox(relative.access);
    if (!sandbox.Usable()) GTEST_SKIP() << qPrintable(sandbox.Problem());
    const QString value = QStringLiteral("relative-%1").arg(QLatin1String(relative.variable));
    const QString planted = sandbox.Path(QStringLiteral("home/") + value);
    ASSERT_TRUE(sandbox.MakePlayerFolder(planted));
    ASSERT_EQ(::chmod(QFile::encodeName(planted).constData(), 0700), 0);
    const bool runtime = QLatin1String(relative.variable) == QLatin1String("XDG_RUNTIME_DIR");

    GameProcess game(sandbox);
    game.SetEnvironmentValue(QLatin1String(relative.variable), value);
    game.CaptureStandardError();
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitUntilReady(kStartUpTimeoutMs, runtime
                                                           ? GameProcess::Music::InTemporaryFolder
                                                           : GameProcess::Music::InRuntimeFolder))
        << qPrintable(game.ExitDescription()) << "; stderr: " << game.StandardError().data();
    if (runtime) {
        EXPECT_TRUE(
            QFileInfo::exists(sandbox.TemporaryScratchDir() + QStringLiteral("/QZKwadrill.lock")))
            << "the lock is not in the private temporary folder";
    }
    game.Signal(SIGTERM);
    ASSERT_TRUE(game.WaitForExit(kShutdownTimeoutMs));
    EXPECT_TRUE(game.ExitedCleanly()) << qPrintable(game.ExitDescription());

    const QStringList inPlanted = QDir(planted).entryList(QDir::AllEntries | QDir::Hidden |
                                                          QDir::System | QDir::NoDotAndDotDot);
    EXPECT_TRUE(inPlanted.isEmpty())
        << "the game used the relative folder: " << qPrintable(inPlanted.join(u", "));
    if (*relative.fallback) {
        const QString fallback =
            sandbox.Path(QStringLiteral("home/") + QLatin1String(relative.fallback));
        EXPECT_EQ(TypeOf(fallback), mode_t{S_IFREG}) << qPrintable(fallback) << " is missing";
    }
    // Qt adds a line of its own when the runtime folder is unset.
    const QStringList notices =
        QString::fromUtf8(game.StandardError())
            .split(u'\n')
            .filter(QRegularExpression(QStringLiteral("^Kwadrill: .*%1").arg(relative.variable)));
    ASSERT_EQ(notices.size(), 1) << game.StandardError().data();
    EXPECT_TRUE(notices[0].contains(QStringLiteral("ignored"))) << qPrintable(notices[0]);
}

INSTANTIATE_TEST_SUITE_P(
    EachVariable, RelativeBaseDirectory,
    ::testing::Values(
        RelativeCase{"XDG_CONFIG_HOME", GameSandbox::ExecutableDirAccess::Writable,
                     ".config/QZ's Kwadrill/Kwadrill.ini"},
        RelativeCase{"XDG_DATA_HOME", GameSandbox::ExecutableDirAccess::ReadOnly,
                     ".local/share/QZ's Kwadrill/Kwadrill.hsc"},
        RelativeCase{"XDG_CACHE_HOME", GameSandbox::ExecutableDirAccess::Writable, ""},
        RelativeCase{"XDG_RUNTIME_DIR", GameSandbox::ExecutableDirAccess::Writable, ""}),
    [](const auto& testInfo) { return std::string(testInfo.param.variable); });

// Qt reads a lock file it finds; from a FIFO it would wait for ever, and the
// game with it. The FIFO is cleared away and the game plays and closes.
TEST(LockPath, ThatIsAFifoNeitherHangsTheGameNorKeepsItOut) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    ASSERT_TRUE(MakeOpenFifo(sandbox.LockPath(), false));

    ASSERT_TRUE(PlayAndClose(sandbox));
    EXPECT_FALSE(QFileInfo::exists(sandbox.LockPath())) << "the lock was not released";
}

// A lock left by a copy of the game that has gone: its process id is free.
QByteArray StaleLock() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return QByteArray::number(pid) + "\nkwadrill\n" + QSysInfo::machineHostName().toUtf8() + "\n";
}

// The names of the music files' pieces, by file number.
const char* const kPieceNames[] = {"MENU",  "GAME1", "GAME2", "SCORE", "GAMEOVER", "GAME3", "GAME4",
                                   "GAME5", "GAME6", "GAME7", "GAME8", "GAME9",    "GAME10"};

QByteArray Piece(int index) {
    return kwadrill::test::ReadFileBytes(QStringLiteral(KWADRILL_SOURCE_DIR "/resources/midi/") +
                                         QLatin1String(kPieceNames[index]) +
                                         QStringLiteral(".mid"));
}

::testing::AssertionResult CloseWithSigterm(GameProcess& game) {
    game.Signal(SIGTERM);
    if (!game.WaitForExit(kShutdownTimeoutMs))
        return ::testing::AssertionFailure() << "the game did not end after SIGTERM";
    if (!game.ExitedCleanly())
        return ::testing::AssertionFailure() << qPrintable(game.ExitDescription());
    return ::testing::AssertionSuccess();
}

// The runtime folder is a small file system of its own, which only root can
// mount; the game runs as nobody there, as a player would.
class RuntimeFolder : public ::testing::Test {
protected:
    RuntimeFolder() : sandbox_(GameSandbox::ExecutableDirAccess::ReadOnly) {}
    void SetUp() override {
        if (!sandbox_.Usable()) GTEST_SKIP() << qPrintable(sandbox_.Problem());
    }
    bool StartGame(GameProcess::Music music) {
        game_.CaptureStandardError();
        return game_.Start() && game_.WaitUntilReady(kStartUpTimeoutMs, music);
    }
    std::string Said() { return game_.StandardError().toStdString(); }

    GameSandbox sandbox_;
    GameProcess game_{sandbox_};
};

// A read-only runtime folder can hold neither the lock nor the music; the
// stale lock in it keeps nothing out. The game plays from its private
// temporary folder instead.
TEST_F(RuntimeFolder, ReadOnlyOneWithAStaleLockIsPassedOver) {
    if (!sandbox_.MountRuntimeFolder(1 << 20)) GTEST_SKIP() << qPrintable(sandbox_.Problem());
    ASSERT_TRUE(sandbox_.WriteFile(sandbox_.LockPath(), StaleLock()));
    ASSERT_TRUE(sandbox_.MakeRuntimeFolderReadOnly());

    ASSERT_TRUE(StartGame(GameProcess::Music::InTemporaryFolder))
        << "start-up never reached its end (" << qPrintable(game_.ExitDescription())
        << "); stderr: " << Said();
    ASSERT_TRUE(CloseWithSigterm(game_)) << Said();
    for (const QString& music : sandbox_.MusicFilePaths(sandbox_.TemporaryScratchDir()))
        EXPECT_FALSE(QFileInfo::exists(music)) << qPrintable(music) << " was left behind";
}

// A full runtime folder with a stale lock in it: the game starts all the
// same (it used to quit at once, without a word), tells why the music is off
// and closes normally.
TEST_F(RuntimeFolder, FullOneWithAStaleLockStillLetsTheGameStart) {
    if (!sandbox_.MountRuntimeFolder(64 << 10)) GTEST_SKIP() << qPrintable(sandbox_.Problem());
    ASSERT_TRUE(sandbox_.WriteFile(sandbox_.LockPath(), StaleLock()));
    ASSERT_TRUE(sandbox_.FillRuntimeFolder());

    ASSERT_TRUE(StartGame(GameProcess::Music::NotWritten))
        << "start-up never reached its end (" << qPrintable(game_.ExitDescription())
        << "); stderr: " << Said();
    for (const QString& music : sandbox_.MusicFilePaths())
        EXPECT_FALSE(QFileInfo::exists(music)) << qPrintable(music);
    ASSERT_TRUE(CloseWithSigterm(game_)) << Said();
}

// The folder fills up in the middle of the music: every piece there is whole,
// the rest are missing (no cut piece to be played), none is left at the end.
TEST_F(RuntimeFolder, FillingUpDuringTheMusicLeavesNoCutPiece) {
    if (!sandbox_.MountRuntimeFolder(80 << 10)) GTEST_SKIP() << qPrintable(sandbox_.Problem());

    ASSERT_TRUE(StartGame(GameProcess::Music::NotWritten))
        << "start-up never reached its end (" << qPrintable(game_.ExitDescription())
        << "); stderr: " << Said();
    const QStringList music = sandbox_.MusicFilePaths();
    int whole = 0;
    for (int i = 0; i < music.size(); ++i) {
        if (!QFileInfo::exists(music[i])) continue;
        EXPECT_EQ(kwadrill::test::ReadFileBytes(music[i]), Piece(i))
            << qPrintable(music[i]) << " is cut";
        ++whole;
    }
    EXPECT_GT(whole, 0) << "the folder was full before the first piece";
    EXPECT_LT(whole, music.size()) << "the folder never filled up";
    const QStringList others =
        QDir(sandbox_.RuntimeDir())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
            .filter(QRegularExpression(QStringLiteral("^(?!qzkm\\d+\\.mid$|QZKwadrill\\.lock$)")));
    EXPECT_TRUE(others.isEmpty()) << "left in the runtime folder: "
                                  << qPrintable(others.join(u", "));
    ASSERT_TRUE(CloseWithSigterm(game_)) << Said();
    for (const QString& file : music) EXPECT_FALSE(QFileInfo::exists(file)) << qPrintable(file);
}

}  // namespace
