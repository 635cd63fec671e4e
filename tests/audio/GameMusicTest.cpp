#include "AudioFixtures.h"
#include "AudioOutput.h"
#include "GameMusic.h"
#include "MusicDevice.h"
#include "TestFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>

namespace kwadrill {
namespace {

using namespace std::chrono_literals;

// The suite runs on SDL's dummy driver: real timing, no sound card needed.
class GameMusicTest : public ::testing::Test {
protected:
    QString Scratch() const { return scratch_.path() + QStringLiteral("/"); }
    QString File(int position) const { return music_.MusicFilePath(position); }

    // Writes the piece as music file `position`, as extraction would.
    void PutPiece(int position, const std::vector<std::uint8_t>& bytes) {
        test::WriteFileBytes(File(position), test::AsByteArray(bytes));
    }

    QTemporaryDir scratch_;
    AudioOutput output_;
    MusicDevice device_{output_};
    bool gameRunning_ = false;
    std::vector<QString> errors_;
    GameMusic music_{device_, Scratch(), [this](const QString& text) { errors_.push_back(text); }};
};

TEST_F(GameMusicTest, ResourceNamesKeepTheirFileNumbers) {
    const auto& names = MusicFiles::MusicResourceNames();
    const QStringList expected{"MENU",  "GAME1", "GAME2", "SCORE", "GAMEOVER", "GAME3", "GAME4",
                               "GAME5", "GAME6", "GAME7", "GAME8", "GAME9",    "GAME10"};
    ASSERT_EQ(names.size(), static_cast<std::size_t>(expected.size()));
    for (int i = 0; i < expected.size(); ++i) EXPECT_EQ(names[i], expected[i]);
    EXPECT_EQ(File(13), Scratch() + QStringLiteral("qzkm13.mid"));
}

TEST_F(GameMusicTest, StartPlaysGameOneAndEndingPiecesRotateThroughTenThenWrap) {
    gameRunning_ = true;
    music_.ResetTrackCounter();
    EXPECT_EQ(music_.NextMusicFile(gameRunning_, QStringLiteral("GAME1")), File(2));
    for (const int position : {3, 6, 7, 8, 9, 10, 11, 12, 13, 2, 3})
        EXPECT_EQ(music_.NextMusicFile(gameRunning_), File(position));
}

TEST_F(GameMusicTest, ResumingAfterPauseGoesOnWithTheNextPiece) {
    gameRunning_ = true;
    music_.ResetTrackCounter();
    music_.NextMusicFile(gameRunning_, QStringLiteral("GAME1"));
    music_.NextMusicFile(gameRunning_);
    music_.NextMusicFile(gameRunning_);
    EXPECT_EQ(music_.NextMusicFile(gameRunning_), File(7));  // game piece 4 plays; pause stops it
    EXPECT_EQ(music_.NextMusicFile(gameRunning_), File(8));  // resume: game piece 5
}

TEST_F(GameMusicTest, AfterAGameOverAndScoreTheMenuRepeatsAndTheCounterStays) {
    gameRunning_ = true;
    music_.ResetTrackCounter();
    music_.NextMusicFile(gameRunning_, QStringLiteral("GAME1"));
    gameRunning_ = false;
    EXPECT_EQ(music_.NextMusicFile(gameRunning_, QStringLiteral("GAMEOVER")), File(5));
    EXPECT_EQ(music_.NextMusicFile(gameRunning_, QStringLiteral("SCORE")), File(4));
    EXPECT_EQ(music_.NextMusicFile(gameRunning_), File(1));
    EXPECT_EQ(music_.NextMusicFile(gameRunning_), File(1));
    EXPECT_EQ(music_.MusicTrackCounter(), 1);
}

TEST_F(GameMusicTest, MusicOffGivesNoPathAndKeepsTheCounter) {
    gameRunning_ = true;
    music_.NextMusicFile(gameRunning_);
    music_.SetMusicEnabled(false);
    for (const QString& name : {QString(), QStringLiteral("GAME1"), QStringLiteral("MENU")}) {
        EXPECT_TRUE(music_.NextMusicFile(gameRunning_, name).isEmpty()) << name.toStdString();
        EXPECT_EQ(music_.MusicTrackCounter(), 1);
    }
}

TEST_F(GameMusicTest, UnknownNameGivesNoPathAndThePieceGoesOn) {
    PutPiece(1, test::PianoPiece(16));
    music_.PlayMusicFile(File(1));
    for (const QString& name :
         {QStringLiteral("game1"), QStringLiteral("GAME11"), QStringLiteral("DISS1")}) {
        const QString path = music_.NextMusicFile(gameRunning_, name);
        EXPECT_TRUE(path.isEmpty()) << name.toStdString();
        music_.PlayMusicFile(path);
    }
    music_.PlayMusicFile(File(2));  // names no existing file
    EXPECT_TRUE(music_.IsPlaying());
    EXPECT_TRUE(errors_.empty());
}

TEST_F(GameMusicTest, PlayingAPieceReplacesTheLastAndStopEndsIt) {
    PutPiece(1, test::PianoPiece(16));
    PutPiece(2, test::PianoPiece(4));
    music_.PlayMusicFile(File(1));
    EXPECT_EQ(music_.Length(), 16 * 96);
    music_.PlayMusicFile(File(2));
    EXPECT_EQ(music_.Length(), 4 * 96);
    EXPECT_TRUE(music_.IsPlaying());
    music_.StopMusic();
    EXPECT_FALSE(music_.IsPlaying());
    EXPECT_EQ(music_.Length(), 0);
    EXPECT_TRUE(errors_.empty());
}

// A device error replaces the piece that played with nothing, and its text
// reaches the error callback.
TEST_F(GameMusicTest, DeviceErrorsReachTheCallbackAndNothingPlays) {
    const auto piece = test::PianoPiece(16);
    const std::vector<std::pair<QByteArray, int>> cases{
        {QByteArray("this is not music at all"), MusicDevice::kNotMidiFile},
        {test::AsByteArray(piece).left(static_cast<qsizetype>(piece.size()) - 10),
         MusicDevice::kDamagedTrack},
    };
    PutPiece(1, piece);
    for (const auto& [bytes, code] : cases) {
        music_.PlayMusicFile(File(1));
        ASSERT_TRUE(music_.IsPlaying());
        test::WriteFileBytes(File(3), bytes);
        errors_.clear();
        music_.PlayMusicFile(File(3));
        ASSERT_EQ(errors_.size(), 1u);
        EXPECT_EQ(errors_[0], MusicDevice::ErrorText(code));
        EXPECT_FALSE(music_.IsPlaying());
        EXPECT_EQ(music_.Length(), 0);
    }
}

TEST_F(GameMusicTest, MissingSoundFontIsReportedThroughTheCallback) {
    MusicDevice device(output_, {"/nonexistent/a.sf2", Scratch().toStdString()});
    GameMusic music(device, Scratch(), [this](const QString& text) { errors_.push_back(text); });
    PutPiece(1, test::PianoPiece(4));
    music.PlayMusicFile(music.NextMusicFile(gameRunning_));
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0], MusicDevice::ErrorText(MusicDevice::kNoSoundFont));
    EXPECT_FALSE(music.IsPlaying());
}

// The output opens only after the window's first paint, while the main tick
// already keeps the music going: a device not opened yet has not failed, so
// nothing is reported, and the piece plays once the output is open.
TEST_F(GameMusicTest, NothingIsReportedBeforeTheOutputIsOpened) {
    AudioOutput later(AudioOutput::Opening::Later);
    MusicDevice device(later);
    GameMusic music(device, Scratch(), [this](const QString& text) { errors_.push_back(text); });
    PutPiece(1, test::PianoPiece(4));
    for (int tick = 0; tick < 3; ++tick) music.PlayMusicFile(music.NextMusicFile(gameRunning_));
    EXPECT_TRUE(errors_.empty());
    EXPECT_FALSE(music.IsPlaying());

    later.Open();
    music.PlayMusicFile(music.NextMusicFile(gameRunning_));
    EXPECT_TRUE(errors_.empty());
    EXPECT_TRUE(music.IsPlaying());
}

// Its parent is a regular file, so the directory cannot exist even for root.
TEST_F(GameMusicTest, ExtractionIntoAnUnwritableDirectoryFailsAndTheGameGoesOn) {
    test::WriteFileBytes(scratch_.filePath(QStringLiteral("plain")), "x");
    const QString unwritable = scratch_.filePath(QStringLiteral("plain/music/"));
    GameMusic music(device_, unwritable, [this](const QString& text) { errors_.push_back(text); });
    EXPECT_FALSE(music.ExtractMusicFiles());
    music.PlayMusicFile(music.NextMusicFile(gameRunning_));
    music.DeleteMusicFiles();
    EXPECT_FALSE(music.IsPlaying());
    EXPECT_TRUE(errors_.empty());
}

TEST_F(GameMusicTest, ExtractionWritesEveryPieceAndDeletionRemovesThem) {
    ASSERT_TRUE(QFile::exists(QStringLiteral(":/midi/MENU"))) << "the MIDI resources are built in";
    ASSERT_TRUE(music_.ExtractMusicFiles());
    for (int position = 1; position <= MusicFiles::kCount; ++position) {
        QFile resource(QStringLiteral(":/midi/") + MusicFiles::MusicResourceNames()[position - 1]);
        QFile file(File(position));
        ASSERT_TRUE(resource.open(QIODevice::ReadOnly));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << position;
        EXPECT_EQ(file.readAll(), resource.readAll()) << position;
    }
    music_.DeleteMusicFiles();
    for (int position = 1; position <= MusicFiles::kCount; ++position)
        EXPECT_FALSE(QFile::exists(File(position))) << position;
}

}  // namespace
}  // namespace kwadrill
