#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <iostream>

#include "SessionSteps.h"

namespace {

constexpr int kCommandLineTimeoutMs = 5000;

QStringList ChangedPaths(const GameSandbox::Snapshot& before, const GameSandbox::Snapshot& after) {
    QStringList changed;
    for (const auto& [path, state] : before) {
        const auto found = after.find(path);
        if (found == after.end()) {
            changed << path + QStringLiteral(" (removed)");
        } else if (!(found->second == state)) {
            changed << path + QStringLiteral(" (changed)");
        }
    }
    for (const auto& [path, state] : after) {
        if (!before.contains(path)) changed << path + QStringLiteral(" (created)");
    }
    return changed;
}

void ExpectEmptyTable(const RecordBytes& table) {
    for (int rank = 1; rank <= RecordBytes::kEntries; ++rank) {
        EXPECT_EQ(table.Score(rank), 0) << "rank " << rank;
        EXPECT_TRUE(table.Name(rank).isEmpty()) << "rank " << rank;
    }
}

// Nothing on disk yet: the game plays with an empty table, music and sound on
// and no last name, writes nothing while it runs, and at its end creates the
// store and the backup file holding exactly those defaults.
TEST(FirstStart, PlaysWithTheDefaultsAndCreatesTheStoreAndTheBackupAtExit) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    GameProcess game(sandbox);
    ASSERT_TRUE(StartUntilReady(game));
    EXPECT_FALSE(QFile::exists(sandbox.StorePath())) << "nothing is saved while the game runs";
    EXPECT_FALSE(QFile::exists(sandbox.BackupPath())) << "nothing is saved while the game runs";
    game.Signal(SIGTERM);
    ASSERT_TRUE(game.WaitForExit(kShutdownTimeoutMs));
    ASSERT_TRUE(game.ExitedCleanly()) << qPrintable(game.ExitDescription());

    const StoreValues store = ReadStore(sandbox.StorePath());
    EXPECT_EQ(store.language.typeId(), QMetaType::QString) << "\"lng\" is kept as text";
    EXPECT_EQ(store.language.toString(), QStringLiteral("0"));
    ASSERT_EQ(store.table.typeId(), QMetaType::QByteArray) << "\"hsc\" is kept as bytes";
    ASSERT_EQ(store.table.toByteArray().size(), RecordBytes::kTableSize);
    ExpectEmptyTable(RecordBytes::FromBytes(store.table.toByteArray()));

    RecordBytes backup;
    ASSERT_TRUE(ReadValidBackup(sandbox.BackupPath(), backup));
    EXPECT_EQ(backup.MusicOn(), 1);
    EXPECT_EQ(backup.SoundOn(), 1);
    EXPECT_TRUE(backup.LastName().isEmpty());
    ExpectEmptyTable(backup);
    EXPECT_EQ(backup.Table(), store.table.toByteArray()) << "both places hold the same table";
}

// The end of a desktop session, Ctrl+C and a closed terminal all close the
// game as its close box would: the record is saved, the music files and the
// single-instance lock are cleaned up, and the game exits normally.
class EndOfSession : public ::testing::TestWithParam<int> {};

TEST_P(EndOfSession, SignalClosesTheGameAsTheCloseBoxWould) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    GameProcess game(sandbox);
    ASSERT_TRUE(StartUntilReady(game));
    for (const QString& music : sandbox.MusicFilePaths()) {
        EXPECT_TRUE(kwadrill::test::ReadFileBytes(music).startsWith("MThd"))
            << qPrintable(music) << " is no MIDI file while the game runs";
    }
    EXPECT_TRUE(QFile::exists(sandbox.LockPath())) << "the running game holds its lock";

    game.Signal(GetParam());
    ASSERT_TRUE(game.WaitForExit(kShutdownTimeoutMs));
    EXPECT_TRUE(game.ExitedCleanly()) << qPrintable(game.ExitDescription());

    RecordBytes backup;
    EXPECT_TRUE(ReadValidBackup(sandbox.BackupPath(), backup));
    for (const QString& music : sandbox.MusicFilePaths()) {
        EXPECT_FALSE(QFile::exists(music)) << qPrintable(music) << " was left behind";
    }
    EXPECT_FALSE(QFile::exists(sandbox.LockPath())) << "the lock was not released";
}

INSTANTIATE_TEST_SUITE_P(TermIntHup, EndOfSession, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& testInfo) {
                             return std::string(sigabbrev_np(testInfo.param));
                         });

// A store that cannot be written must not hold the end of a session: nobody
// is left to answer the error box, so the game saves its backup and leaves.
TEST(BrokenStoreAtTheEndOfASession, DoesNotHoldTheGameOpen) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    ASSERT_TRUE(QDir().mkpath(sandbox.StorePath())) << "a folder where the store file belongs";
    GameProcess game(sandbox);
    ASSERT_TRUE(StartUntilReady(game));
    game.Signal(SIGTERM);
    ASSERT_TRUE(game.WaitForExit(kShutdownTimeoutMs)) << "the game hung on the store's error";
    EXPECT_TRUE(game.ExitedCleanly()) << qPrintable(game.ExitDescription());
    RecordBytes backup;
    EXPECT_TRUE(ReadValidBackup(sandbox.BackupPath(), backup));
}

// A second copy started while the first runs gives way on its own and
// touches nothing: no music written or deleted, no lock taken, no store or
// backup written. The first copy then plays on and closes normally. How fast
// it gives way is the machine's business; the time is printed, not bounded.
TEST(SecondCopy, QuitsAtOnceAndLeavesEveryFileOfTheFirstUntouched) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    GameProcess first(sandbox);
    ASSERT_TRUE(StartUntilReady(first));
    const GameSandbox::Snapshot before = sandbox.TakeSnapshot();

    GameProcess second(sandbox);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(second.Start());
    ASSERT_TRUE(second.WaitForExit(kStartUpTimeoutMs)) << "the second copy does not give way";
    std::cout << "[          ] the second copy quit after " << clock.elapsed() << " ms\n";
    EXPECT_TRUE(second.ExitedCleanly()) << qPrintable(second.ExitDescription());

    const QStringList changed = ChangedPaths(before, sandbox.TakeSnapshot());
    EXPECT_TRUE(changed.isEmpty())
        << "the second copy touched: " << qPrintable(changed.join(u", "));

    EXPECT_FALSE(first.WaitForExit(0)) << "the first copy goes on";
    first.Signal(SIGTERM);
    ASSERT_TRUE(first.WaitForExit(kShutdownTimeoutMs));
    EXPECT_TRUE(first.ExitedCleanly()) << qPrintable(first.ExitDescription());
    RecordBytes backup;
    EXPECT_TRUE(ReadValidBackup(sandbox.BackupPath(), backup));
}

struct CommandLineCase {
    const char* argument;
    const char* printed;
};
void PrintTo(const CommandLineCase& line, std::ostream* out) {
    *out << line.argument;
}

class CommandLine : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLine, PrintsAndExitsWithoutTouchingAnyFile) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    const GameSandbox::Snapshot before = sandbox.TakeSnapshot();
    GameProcess game(sandbox);
    ASSERT_TRUE(game.Start({QString::fromLatin1(GetParam().argument)}));
    ASSERT_TRUE(game.WaitForExit(kCommandLineTimeoutMs));
    EXPECT_TRUE(game.ExitedCleanly()) << qPrintable(game.ExitDescription());
    EXPECT_TRUE(game.StandardOutput().contains(GetParam().printed));
    const QStringList changed = ChangedPaths(before, sandbox.TakeSnapshot());
    EXPECT_TRUE(changed.isEmpty()) << "touched: " << qPrintable(changed.join(u", "));
}

INSTANTIATE_TEST_SUITE_P(HelpAndVersion, CommandLine,
                         ::testing::Values(CommandLineCase{"--help", "Usage:"},
                                           CommandLineCase{"--version", "Kwadrill 1."}),
                         [](const auto& testInfo) {
                             return std::string(testInfo.param.argument + 2) == "help" ? "Help"
                                                                                       : "Version";
                         });

// A zoom the game does not draw at is refused before any window or file.
TEST(CommandLine, AZoomBetweenTheStepsIsRefused) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    const GameSandbox::Snapshot before = sandbox.TakeSnapshot();
    for (const char* zoom : {"1.25", "5", "big"}) {
        GameProcess game(sandbox);
        game.CaptureStandardError();
        ASSERT_TRUE(game.Start({QStringLiteral("--zoom"), QString::fromLatin1(zoom)}));
        ASSERT_TRUE(game.WaitForExit(kCommandLineTimeoutMs)) << zoom;
        EXPECT_EQ(game.ExitDescription(), QStringLiteral("exit code 2")) << zoom;
        EXPECT_TRUE(game.StandardError().contains("--zoom takes 1, 1.5, 2, 2.5, 3 or 4"))
            << game.StandardError().toStdString();
    }
    const QStringList changed = ChangedPaths(before, sandbox.TakeSnapshot());
    EXPECT_TRUE(changed.isEmpty()) << "touched: " << qPrintable(changed.join(u", "));
}

}  // namespace
