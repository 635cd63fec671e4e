#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

#include "HighScores.h"
#include "ReplayStore.h"
#include "StorageTestSupport.h"

namespace kwadrill {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

Replay GameOf(std::int32_t score, std::uint64_t seed = 0xabcdef) {
    Replay replay;
    replay.seed = seed;
    replay.score = score;
    replay.level = 2;
    replay.pieces = 40;
    replay.steps = {{1, ReplayInput::ShiftLeft}, {3, ReplayInput::Drop}};
    return replay;
}

ScoreEntry EntryOf(std::int32_t score, const QDateTime& when) {
    ScoreEntry entry{};
    RecordHighScore(entry, QStringLiteral("Ann"), score, when);
    return entry;
}

mode_t KindOf(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & S_IFMT : 0;
}

QStringList Names(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

class ReplayStoreTest : public ::testing::Test {
protected:
    QString Folder() const { return root_.path() + QStringLiteral("/data/QZ's Kwadrill/replays"); }

    QTemporaryDir root_;
    ReplayStore store_{Folder()};
    const QDateTime when_{QDate(2024, 3, 5), QTime(14, 7, 9, 123)};
};

// Kept before its result has an entry, then renamed after the entry, by
// which it is found again whole; nothing else is left in the folder.
TEST_F(ReplayStoreTest, AGameIsKeptThenFiledUnderItsEntryAndFoundByIt) {
    const Replay game = GameOf(1234);
    const ScoreEntry entry = EntryOf(1234, when_);
    WriteFailure failure;
    ASSERT_TRUE(store_.KeepFinishedGame(game, &failure)) << qPrintable(Describe(failure));
    EXPECT_EQ(Names(Folder()), QStringList{QStringLiteral("unfiled-0000000000abcdef.kwreplay")});
    EXPECT_FALSE(store_.Has(entry));

    ASSERT_TRUE(store_.FileUnder(entry, &failure)) << qPrintable(Describe(failure));
    EXPECT_EQ(store_.PathFor(entry),
              Folder() + QStringLiteral("/1234-20240305-140709-123.kwreplay"));
    EXPECT_EQ(Names(Folder()), QStringList{QStringLiteral("1234-20240305-140709-123.kwreplay")});
    EXPECT_TRUE(store_.Has(entry));
    const auto loaded = store_.Load(entry);
    ASSERT_TRUE(std::holds_alternative<Replay>(loaded));
    EXPECT_EQ(std::get<Replay>(loaded), game);

    EXPECT_FALSE(store_.Has(EntryOf(1234, when_.addMSecs(1)))) << "another moment";
    EXPECT_FALSE(store_.Has(EntryOf(1235, when_))) << "another score";
    EXPECT_TRUE(store_.FileUnder(entry, &failure)) << "nothing left to file is no failure";
}

TEST_F(ReplayStoreTest, AnEntryWithoutAUsableReplayIsRefusedWithTheReason) {
    const ScoreEntry entry = EntryOf(500, when_);
    const QString path = store_.PathFor(entry);
    QDir().mkpath(Folder());
    const struct {
        const char* what;
        std::function<void()> prepare;
        const char* reason;
    } cases[] = {
        {"none", [] {}, "no replay"},
        {"another result's", [&] { WriteFileBytes(path, EncodeReplay(GameOf(501))); },
         "another score (501)"},
        {"damaged",
         [&] {
             QByteArray bytes = EncodeReplay(GameOf(500));
             bytes[20] = static_cast<char>(bytes[20] ^ 1);
             WriteFileBytes(path, bytes);
         },
         "checksum"},
    };
    for (const auto& c : cases) {
        c.prepare();
        const auto loaded = store_.Load(entry);
        ASSERT_TRUE(std::holds_alternative<QString>(loaded)) << c.what;
        EXPECT_TRUE(std::get<QString>(loaded).contains(QLatin1String(c.reason)))
            << c.what << ": " << qPrintable(std::get<QString>(loaded));
    }
}

// Only the replays of the table's results stay, with whatever else the
// player keeps there; what an interrupted write left goes too.
TEST_F(ReplayStoreTest, OnlyTheTablesReplaysAreKept) {
    ScoreTable table{};
    table.Rank(1) = EntryOf(900, when_);
    table.Rank(2) = EntryOf(800, when_.addDays(-1));
    QDir().mkpath(Folder());
    const QString first = store_.PathFor(table.Rank(1));
    const QString second = store_.PathFor(table.Rank(2));
    const QString gone = store_.PathFor(EntryOf(700, when_));
    for (const QString& path :
         {first, second, gone, Folder() + QStringLiteral("/unfiled-1.kwreplay"),
          first + QStringLiteral(".AbCdEf"), Folder() + QStringLiteral("/notes.txt")}) {
        WriteFileBytes(path, "x");
    }
    const QString target = root_.filePath(QStringLiteral("target"));
    WriteFileBytes(target, "linked");
    ::symlink(QFile::encodeName(target),
              QFile::encodeName(Folder() + QStringLiteral("/link.kwreplay")));
    QDir().mkdir(Folder() + QStringLiteral("/folder.kwreplay"));

    store_.KeepOnly(table);
    EXPECT_EQ(Names(Folder()),
              (QStringList{QFileInfo(second).fileName(), QFileInfo(first).fileName(),
                           QStringLiteral("folder.kwreplay"), QStringLiteral("notes.txt")}));
    EXPECT_EQ(ReadFileBytes(target), "linked") << "a link goes, never its target";
}

// A link planted at either name is replaced, its target never written; a
// FIFO or a folder there is left alone and named.
TEST_F(ReplayStoreTest, LinksAreReplacedAndOtherThingsInTheWayRefused) {
    const QString victim = root_.filePath(QStringLiteral("victim"));
    WriteFileBytes(victim, "keep me");
    QDir().mkpath(Folder());
    const QString unfiled = Folder() + QStringLiteral("/unfiled-0000000000abcdef.kwreplay");
    const ScoreEntry entry = EntryOf(1234, when_);
    ASSERT_EQ(::symlink(QFile::encodeName(victim), QFile::encodeName(unfiled)), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(victim), QFile::encodeName(store_.PathFor(entry))), 0);
    WriteFailure failure;
    ASSERT_TRUE(store_.KeepFinishedGame(GameOf(1234), &failure)) << qPrintable(Describe(failure));
    ASSERT_TRUE(store_.FileUnder(entry, &failure)) << qPrintable(Describe(failure));
    EXPECT_EQ(ReadFileBytes(victim), "keep me");
    EXPECT_EQ(KindOf(store_.PathFor(entry)), mode_t{S_IFREG});
    EXPECT_TRUE(store_.Has(entry));

    const ScoreEntry blocked = EntryOf(99, when_);
    ASSERT_EQ(::mkfifo(QFile::encodeName(store_.PathFor(blocked)), 0600), 0);
    ASSERT_TRUE(store_.KeepFinishedGame(GameOf(99, 7), &failure));
    EXPECT_FALSE(store_.FileUnder(blocked, &failure));
    EXPECT_EQ(failure.cause, WriteFailure::Cause::NotAFile);
    EXPECT_EQ(KindOf(store_.PathFor(blocked)), mode_t{S_IFIFO});

    QDir().mkdir(Folder() + QStringLiteral("/unfiled-0000000000000008.kwreplay"));
    EXPECT_FALSE(store_.KeepFinishedGame(GameOf(99, 8), &failure));
    EXPECT_EQ(failure.cause, WriteFailure::Cause::NotAFile);
}

// Whatever refuses the write, nothing half-written stays, and the reason
// names what refused.
TEST_F(ReplayStoreTest, AReplayThatCannotBeWrittenLeavesNothingAndSaysWhy) {
    WriteFailure failure;
    ReplayStore nowhere{QString()};
    EXPECT_FALSE(nowhere.KeepFinishedGame(GameOf(10), &failure));
    EXPECT_EQ(failure.cause, WriteFailure::Cause::NoFolder);

    const QString blocker = root_.filePath(QStringLiteral("data"));
    WriteFileBytes(blocker, "a file where a folder belongs");
    EXPECT_FALSE(store_.KeepFinishedGame(GameOf(10), &failure));
    EXPECT_EQ(failure.cause, WriteFailure::Cause::System);
    EXPECT_EQ(failure.at, blocker);
    EXPECT_EQ(failure.error, ENOTDIR);
    QFile::remove(blocker);

    // A disk that fills up half-way through the file.
    Replay longGame = GameOf(10);
    longGame.steps.assign(5000, {7, ReplayInput::Cycle});
    QDir().mkpath(Folder());
    {
        test::FileSizeLimit full(4096);
        EXPECT_FALSE(store_.KeepFinishedGame(longGame, &failure));
    }
    EXPECT_EQ(failure.error, EFBIG);
    EXPECT_TRUE(Names(Folder()).isEmpty());
    EXPECT_TRUE(store_.FileUnder(EntryOf(10, when_), &failure)) << "nothing to file";
    EXPECT_TRUE(Names(Folder()).isEmpty());
}

}  // namespace
}  // namespace kwadrill
