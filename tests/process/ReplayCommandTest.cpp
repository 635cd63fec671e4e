#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "GameProcess.h"
#include "GameSandbox.h"
#include "ReplayFile.h"
#include "ScriptedPlayer.h"
#include "TestFiles.h"

namespace {

using kwadrill::Replay;

constexpr int kVerifyTimeoutMs = 20000;

struct CommandRun {
    QString exit;
    QByteArray out, err;
};

// `kwadrill arguments` to its end, outside the sandbox's folders but with its
// environment; the sandbox is left exactly as it was.
CommandRun RunCommand(const GameSandbox& sandbox, const QStringList& arguments) {
    const GameSandbox::Snapshot before = sandbox.TakeSnapshot();
    GameProcess game(sandbox);
    game.CaptureStandardError();
    CommandRun run;
    if (!game.Start(arguments) || !game.WaitForExit(kVerifyTimeoutMs)) return run;
    run.exit = game.ExitDescription();
    run.out = game.StandardOutput();
    run.err = game.StandardError();
    EXPECT_TRUE(sandbox.TakeSnapshot() == before) << "the command touched the player's files";
    return run;
}

QByteArray Resealed(QByteArray bytes) {
    bytes.chop(kwadrill::kReplayChecksumSize);
    return bytes + QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

class VerifyReplayCommand : public ::testing::Test {
protected:
    VerifyReplayCommand() {
        kwadrill::test::ScriptedGame played(7, 8, {.aimsForLines = true, .pausePercent = 1});
        EXPECT_TRUE(played.Play());
        game_ = played.Record();
    }

    QString Write(const QString& name, const QByteArray& bytes) const {
        const QString path = files_.filePath(name);
        kwadrill::test::WriteFileBytes(path, bytes);
        return path;
    }

    GameSandbox sandbox_;
    QTemporaryDir files_;
    Replay game_;
};

// A consistent replay: the outcome on stdout, exit 0, no window, no file.
TEST_F(VerifyReplayCommand, AConsistentReplayPrintsItsOutcome) {
    ASSERT_TRUE(sandbox_.Usable()) << qPrintable(sandbox_.Problem());
    const QString path = Write(QStringLiteral("game.kwreplay"), kwadrill::EncodeReplay(game_));
    const CommandRun run = RunCommand(sandbox_, {QStringLiteral("--verify-replay"), path});
    EXPECT_EQ(run.exit, QStringLiteral("exit code 0")) << run.err.constData();
    EXPECT_EQ(run.out, QStringLiteral("score %1, level %2, pieces %3\n")
                           .arg(game_.score)
                           .arg(game_.level)
                           .arg(game_.pieces)
                           .toUtf8());
    EXPECT_TRUE(run.err.isEmpty()) << run.err.constData();
}

// Whatever is wrong: exit 1 and one line on stderr naming the file and why;
// a FIFO is not waited on.
TEST_F(VerifyReplayCommand, AnythingElseIsRefusedInOneLine) {
    ASSERT_TRUE(sandbox_.Usable()) << qPrintable(sandbox_.Problem());
    const QByteArray whole = kwadrill::EncodeReplay(game_);
    Replay claimsMore = game_;
    claimsMore.score += 1;
    QByteArray damaged = whole;
    damaged[60] = static_cast<char>(damaged[60] ^ 0x10);
    QByteArray laterVersion = whole;
    laterVersion[8] = 2;
    const QString fifo = files_.filePath(QStringLiteral("fifo.kwreplay"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = files_.filePath(QStringLiteral("folder.kwreplay"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const struct {
        const char* what;
        QString path;
        const char* reason;
    } cases[] = {
        {"missing", files_.filePath(QStringLiteral("gone.kwreplay")), "No such file"},
        {"a FIFO", fifo, "not a regular file"},
        {"a folder", folder, "not a regular file"},
        {"foreign", Write(QStringLiteral("notes.kwreplay"), "some notes\n"), "not a replay"},
        {"cut short", Write(QStringLiteral("cut.kwreplay"), whole.first(40)), "cut short"},
        {"damaged", Write(QStringLiteral("damaged.kwreplay"), damaged), "checksum"},
        {"a later version", Write(QStringLiteral("later.kwreplay"), Resealed(laterVersion)),
         "another version"},
        {"a claim that does not follow",
         Write(QStringLiteral("claims.kwreplay"), kwadrill::EncodeReplay(claimsMore)),
         "do not follow from its inputs"},
    };
    for (const auto& c : cases) {
        const CommandRun run = RunCommand(sandbox_, {QStringLiteral("--verify-replay"), c.path});
        EXPECT_EQ(run.exit, QStringLiteral("exit code 1")) << c.what;
        EXPECT_TRUE(run.out.isEmpty()) << c.what;
        const QString said = QString::fromUtf8(run.err);
        EXPECT_EQ(said.count(u'\n'), 1) << c.what << ": " << qPrintable(said);
        EXPECT_TRUE(said.startsWith(QStringLiteral("kwadrill: %1: ").arg(c.path)))
            << c.what << ": " << qPrintable(said);
        EXPECT_TRUE(said.contains(QLatin1String(c.reason))) << c.what << ": " << qPrintable(said);
    }
    const CommandRun both = RunCommand(
        sandbox_, {QStringLiteral("--verify-replay"), fifo, QStringLiteral("--play-replay"), fifo});
    EXPECT_EQ(both.exit, QStringLiteral("exit code 2"));
}

}  // namespace
