#include "AudioFixtures.h"
#include "AudioOutput.h"
#include "MidiFileInfo.h"
#include "MusicDevice.h"
#include "MusicFiles.h"
#include "ScopedEnvironment.h"
#include "SoundFontSearch.h"
#include "TestFiles.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kwadrill {
namespace {

using namespace std::chrono_literals;

class MusicDeviceTest : public ::testing::Test {
protected:
    QString Put(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        test::WriteFileBytes(path, bytes);
        return path;
    }

    QTemporaryDir dir_;
    AudioOutput output_;
    MusicDevice device_{output_};
};

// The position comes from the audio thread rendering the piece in real
// time (here on the dummy driver), so these two tests wait, briefly.
TEST_F(MusicDeviceTest, APieceKnowsItsLengthAtOpenAndItsPositionAdvancesWhilePlaying) {
    const QString path = Put(QStringLiteral("piece.mid"), test::AsByteArray(test::PianoPiece(32)));
    ASSERT_EQ(device_.Open(path), MusicDevice::kNoError);
    EXPECT_EQ(device_.Length(), 32 * 96);
    EXPECT_FALSE(device_.IsPlaying());
    ASSERT_EQ(device_.Play(), MusicDevice::kNoError);
    EXPECT_TRUE(device_.IsPlaying());
    EXPECT_TRUE(test::WaitFor([&] { return device_.Position() > 0; }, 2s));
    EXPECT_TRUE(device_.IsPlaying());
    EXPECT_LT(device_.Position(), device_.Length());
}

// The synthesizer reports "playing" for seconds after the last event; the
// device must end the piece at its length.
TEST_F(MusicDeviceTest, PlayingEndsWhenThePositionReachesTheLength) {
    const QString path = Put(QStringLiteral("short.mid"), test::AsByteArray(test::PianoPiece(1)));
    ASSERT_EQ(device_.Open(path), MusicDevice::kNoError);
    ASSERT_EQ(device_.Play(), MusicDevice::kNoError);
    EXPECT_TRUE(test::WaitFor([&] { return !device_.IsPlaying(); }, 2s));
    EXPECT_EQ(device_.Position(), device_.Length());
    EXPECT_EQ(device_.Length(), 96);
}

TEST_F(MusicDeviceTest, OpenErrorsHaveTheirCodesAndLeaveNothingOpen) {
    const auto piece = test::PianoPiece(4);
    const std::vector<std::pair<QString, int>> cases{
        {dir_.filePath(QStringLiteral("missing.mid")), MusicDevice::kFileNotFound},
        {dir_.path(), MusicDevice::kFileUnreadable},
        {Put(QStringLiteral("garbage.mid"), QByteArray(300, '\x7f')), MusicDevice::kNotMidiFile},
        {Put(QStringLiteral("cut.mid"), test::AsByteArray(piece).left(30)),
         MusicDevice::kDamagedTrack},
        {Put(QStringLiteral("smpte.mid"),
             test::AsByteArray(test::MidiWriter().EndOfTrack().Bytes(0, 0xE728))),
         MusicDevice::kUnsupportedFormat},
    };
    for (const auto& [path, code] : cases) {
        EXPECT_EQ(device_.Open(path), code) << path.toStdString();
        EXPECT_FALSE(device_.IsOpen());
        EXPECT_EQ(device_.Length(), 0);
    }
}

TEST_F(MusicDeviceTest, NoSoundFontAnywhereIsAnOpenError) {
    const QString path = Put(QStringLiteral("piece.mid"), test::AsByteArray(test::PianoPiece(4)));
    MusicDevice device(output_, {dir_.filePath(QStringLiteral("none.sf2")).toStdString()});
    EXPECT_EQ(device.Open(path), MusicDevice::kNoSoundFont);
    MusicDevice damaged(output_, {path.toStdString()});  // exists, but is no SoundFont
    EXPECT_EQ(damaged.Open(path), MusicDevice::kSoundFontUnreadable);
}

TEST(SoundFontSearchTest, TheChosenSoundFontComesFirstAndOnlyRegularFilesCount) {
    QTemporaryDir dir;
    const QString font = dir.filePath(QStringLiteral("font.sf2"));
    test::WriteFileBytes(font, "sfbk");
    EXPECT_EQ(FindSoundFont({"/nonexistent.sf2", dir.path().toStdString(), font.toStdString()}),
              font.toStdString());
    EXPECT_EQ(FindSoundFont({"/nonexistent.sf2", dir.path().toStdString()}), "");

    {
        test::ScopedEnvironment chosen("KWADRILL_SOUNDFONT", "/nowhere/chosen.sf2");
        const auto candidates = DefaultSoundFontCandidates();
        ASSERT_FALSE(candidates.empty());
        EXPECT_EQ(candidates.front(), "/nowhere/chosen.sf2");
    }
    test::ScopedEnvironment unset("KWADRILL_SOUNDFONT", "");
    EXPECT_EQ(DefaultSoundFontCandidates().front(), "/usr/share/sounds/sf2/default-GM.sf2");
}

TEST(MusicDeviceErrorTextTest, EveryCodeHasItsOwnTextAndOthersAreUnknown) {
    QSet<QString> texts;
    for (int code = MusicDevice::kNoError; code <= MusicDevice::kUnsupportedFormat; ++code) {
        const QString text = MusicDevice::ErrorText(code);
        EXPECT_NE(text, QStringLiteral("Unknown error code")) << code;
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), MusicDevice::kUnsupportedFormat + 1);
    EXPECT_EQ(MusicDevice::ErrorText(-1), QStringLiteral("Unknown error code"));
    EXPECT_EQ(MusicDevice::ErrorText(MusicDevice::kUnsupportedFormat + 1),
              QStringLiteral("Unknown error code"));
}

TEST(MusicResourcesTest, EveryPieceIsAFormatZeroFileAtNinetySixTicks) {
    ASSERT_TRUE(QFile::exists(QStringLiteral(":/midi/MENU"))) << "the MIDI resources are built in";
    for (const QString& name : MusicFiles::MusicResourceNames()) {
        QFile resource(QStringLiteral(":/midi/") + name);
        ASSERT_TRUE(resource.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray bytes = resource.readAll();
        const MidiFileInfo info = MidiFileInfo::Read(
            std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), bytes.size()));
        EXPECT_EQ(info.status, MidiFileInfo::Status::Ok) << name.toStdString();
        EXPECT_EQ(info.format, 0) << name.toStdString();
        EXPECT_EQ(info.ticksPerQuarter, 96) << name.toStdString();
        EXPECT_GT(info.lengthTicks, 0) << name.toStdString();
    }
}

}  // namespace
}  // namespace kwadrill
