#include <QDeadlineTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <csignal>

#include "SessionSteps.h"

namespace {

constexpr int kPollMs = 20;
constexpr char kSilent[] = "kwadrill: no sound, music or gamepads: ";

// What the game says on stderr once it has tried to load its devices, which
// it does after its first window.
QByteArray WaitForSilenceLine(GameProcess& game) {
    const QDeadlineTimer deadline(kStartUpTimeoutMs);
    while (game.Running() && !deadline.hasExpired()) {
        const QByteArray said = game.StandardError();
        if (said.contains(kSilent)) return said;
        game.WaitForExit(kPollMs);  // reads what the game writes meanwhile
    }
    return game.StandardError();
}

::testing::AssertionResult CloseCleanly(GameProcess& game) {
    game.Signal(SIGTERM);
    if (!game.WaitForExit(kShutdownTimeoutMs)) {
        return ::testing::AssertionFailure() << "the game did not end after SIGTERM";
    }
    if (!game.ExitedCleanly()) {
        return ::testing::AssertionFailure() << qPrintable(game.ExitDescription());
    }
    return ::testing::AssertionSuccess();
}

// The program holds no path of the build it came from: a copy without its
// module plays silent rather than load what lies at such a path, where
// someone else may have put it.
TEST(DevicesModule, ACopyWithoutItsModuleNeverLoadsTheBuildsOne) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    EXPECT_FALSE(
        kwadrill::test::ReadFileBytes(sandbox.ExecutablePath()).contains(KWADRILL_DEVICES_MODULE))
        << "the build's module path is compiled into the program";
    ASSERT_TRUE(QFile::remove(sandbox.DevicesModulePath()));

    GameProcess game(sandbox);
    game.CaptureStandardError();
    ASSERT_TRUE(StartUntilReady(game));
    const QByteArray said = WaitForSilenceLine(game);
    EXPECT_TRUE(said.contains(kSilent + QFile::encodeName(sandbox.DevicesModulePath()) +
                              ": No such file or directory\n"))
        << said.toStdString();
    EXPECT_TRUE(CloseCleanly(game));
}

// A module cut short used to kill every start with SIGBUS; now the game
// says so once and plays on in silence.
class CutModule : public ::testing::TestWithParam<int> {};

TEST_P(CutModule, IsRefusedWithOneLineAndTheGamePlaysOn) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    const QByteArray whole = kwadrill::test::ReadFileBytes(sandbox.DevicesModulePath());
    ASSERT_GT(whole.size(), GetParam());
    ASSERT_TRUE(QFile::resize(sandbox.DevicesModulePath(), GetParam()));

    GameProcess game(sandbox);
    game.CaptureStandardError();
    ASSERT_TRUE(StartUntilReady(game));
    const QByteArray said = WaitForSilenceLine(game);
    EXPECT_EQ(said.count(kSilent), 1) << said.toStdString();
    EXPECT_TRUE(said.contains(": cut short or damaged")) << said.toStdString();
    EXPECT_TRUE(CloseCleanly(game));
}

INSTANTIATE_TEST_SUITE_P(Sizes, CutModule, ::testing::Values(4 * 1024, 100 * 1024));

// The tests' virtual pad is not the shipped module's: a FIFO named by its
// variable, which would hold the window forever, is never opened.
TEST(DevicesModule, TheShippedModuleIgnoresTheTestPadScript) {
    GameSandbox sandbox;
    ASSERT_TRUE(sandbox.Usable()) << qPrintable(sandbox.Problem());
    const QString fifo = sandbox.Path(QStringLiteral("pad-presses"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // The disk driver's file appears as the devices open; the gamepads open
    // right after, before the game reads another event.
    const QString audio = sandbox.Path(QStringLiteral("audio.raw"));

    GameProcess game(sandbox);
    game.SetEnvironmentValue(QStringLiteral("KWADRILL_VIRTUAL_PAD"), fifo);
    game.SetEnvironmentValue(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("disk"));
    game.SetEnvironmentValue(QStringLiteral("SDL_DISKAUDIOFILE"), audio);
    game.CaptureStandardError();
    ASSERT_TRUE(StartUntilReady(game));
    const QDeadlineTimer deadline(kStartUpTimeoutMs);
    while (game.Running() && !QFile::exists(audio) && !deadline.hasExpired()) {
        game.WaitForExit(kPollMs);
    }
    ASSERT_TRUE(QFile::exists(audio))
        << "the devices never opened: " << game.StandardError().toStdString();
    EXPECT_TRUE(CloseCleanly(game));
    EXPECT_FALSE(game.StandardError().contains(kSilent));
}

}  // namespace
