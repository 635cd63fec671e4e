#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <limits>

#include "ReplayFile.h"
#include "TestFiles.h"

namespace kwadrill {
namespace {

Replay SmallGame() {
    Replay replay;
    replay.seed = 0x0123456789abcdefULL;
    replay.date = 46000.5;
    replay.score = 1234;
    replay.level = 3;
    replay.pieces = 57;
    replay.steps = {{0, ReplayInput::ShiftLeft}, {0, ReplayInput::Cycle},
                    {7, ReplayInput::Drop},      {9, ReplayInput::Pause},
                    {9, ReplayInput::Resume},    {30, ReplayInput::ShiftRight}};
    return replay;
}

// The body with a fresh checksum: a file whose damage a checksum cannot see.
QByteArray Resealed(QByteArray bytes) {
    bytes.chop(kReplayChecksumSize);
    return bytes + QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

QString Problem(const std::variant<Replay, QString>& result) {
    return std::holds_alternative<QString>(result) ? std::get<QString>(result) : QString();
}

TEST(ReplayFile, EveryGameComesBackAsItWasWritten) {
    Replay extremes = SmallGame();
    extremes.seed = std::numeric_limits<std::uint64_t>::max();
    extremes.score = std::numeric_limits<std::int32_t>::min();
    extremes.steps = {{std::numeric_limits<std::uint32_t>::max(), ReplayInput::Resume}};
    for (const Replay& replay : {Replay{}, SmallGame(), extremes}) {
        const QByteArray bytes = EncodeReplay(replay);
        EXPECT_EQ(bytes.size(), kReplayHeaderSize +
                                    kReplayStepSize * static_cast<qsizetype>(replay.steps.size()) +
                                    kReplayChecksumSize);
        const auto decoded = DecodeReplay(bytes);
        ASSERT_TRUE(std::holds_alternative<Replay>(decoded)) << qPrintable(Problem(decoded));
        EXPECT_EQ(std::get<Replay>(decoded), replay);
    }
}

// No single flipped bit, anywhere, passes for a replay.
TEST(ReplayFile, EveryDamagedByteIsRefused) {
    const QByteArray whole = EncodeReplay(SmallGame());
    for (qsizetype at = 0; at < whole.size(); ++at) {
        for (const char bit : {'\x01', '\x80'}) {
            QByteArray damaged = whole;
            damaged[at] = static_cast<char>(damaged[at] ^ bit);
            EXPECT_FALSE(Problem(DecodeReplay(damaged)).isEmpty()) << "byte " << at;
        }
    }
    for (qsizetype length = 0; length < whole.size(); ++length) {
        EXPECT_FALSE(Problem(DecodeReplay(whole.first(length))).isEmpty()) << "cut at " << length;
    }
}

TEST(ReplayFile, SaysWhyAFileIsNoReplay) {
    const QByteArray whole = EncodeReplay(SmallGame());
    const auto with = [&](qsizetype at, QByteArray bytes) {
        QByteArray changed = whole;
        changed.replace(at, bytes.size(), bytes);
        return changed;
    };
    struct Row {
        const char* what;
        QByteArray bytes;
        const char* reason;
    };
    const qsizetype firstInput = kReplayHeaderSize + 4;
    for (const Row& row : {
             Row{"empty", QByteArray(), "not a replay"},
             Row{"another format", QByteArray("RIFF....WAVEfmt "), "not a replay"},
             Row{"header only", whole.first(20), "cut short"},
             Row{"a later version", with(8, QByteArray("\x02\x00", 2)), "another version"},
             Row{"checksum", with(whole.size() - 1, "?"), "checksum"},
             Row{"score claimed higher", with(28, "\xff"), "checksum"},
             Row{"a step too many", Resealed(with(40, "\x07")), "does not match its 7 inputs"},
             Row{"unknown input", Resealed(with(firstInput, "\x09")), "input 1 is of an unknown"},
             Row{"time running back", Resealed(with(kReplayHeaderSize + 15, "\x05")),
                 "input 4 goes back in time"},
             Row{"unknown rules", Resealed(with(10, "\x01")), "rules this version does not know"},
             Row{"huge", QByteArray(kLargestReplayFile + 1, 'K'), "too large"},
         }) {
        EXPECT_TRUE(Problem(DecodeReplay(row.bytes)).contains(QLatin1String(row.reason)))
            << row.what << ": " << qPrintable(Problem(DecodeReplay(row.bytes)));
    }
}

TEST(ReplayFile, OnlyARegularFileIsRead) {
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.kwreplay"));
    test::WriteFileBytes(good, EncodeReplay(SmallGame()));
    ASSERT_TRUE(std::holds_alternative<Replay>(ReadReplayFile(good)));

    const QString link = dir.filePath(QStringLiteral("link.kwreplay"));
    QFile::link(good, link);
    const QString fifo = dir.filePath(QStringLiteral("fifo.kwreplay"));
    ::mkfifo(QFile::encodeName(fifo).constData(), 0600);
    const QString folder = dir.filePath(QStringLiteral("folder.kwreplay"));
    QDir().mkdir(folder);
    const QString huge = dir.filePath(QStringLiteral("huge.kwreplay"));
    QFile sparse(huge);
    ASSERT_TRUE(sparse.open(QIODevice::WriteOnly) && sparse.resize(kLargestReplayFile + 1));
    sparse.close();
    for (const auto& [path, reason] : {std::pair{link, "not a regular file"},
                                       {fifo, "not a regular file"},
                                       {folder, "not a regular file"},
                                       {huge, "too large"},
                                       {dir.filePath(QStringLiteral("gone")), "No such file"}}) {
        EXPECT_TRUE(Problem(ReadReplayFile(path)).contains(QLatin1String(reason)))
            << qPrintable(path) << ": " << qPrintable(Problem(ReadReplayFile(path)));
    }
}

}  // namespace
}  // namespace kwadrill
