#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "InstrumentRanges.h"
#include "Loudness.h"
#include "MidiReader.h"
#include "ResourceFiles.h"
#include "SoundFontSearch.h"

namespace kwadrill::test {
namespace {

struct MusicSlot {
    const char* name;
    double seconds;   // the length the piece should play for
    double loudness;  // integrated, in the game's render (LUFS)
};

// One level for the menu and the rotation, so no piece jumps out of it; the
// game-over piece quieter, the high-score fanfare a little prouder.
constexpr MusicSlot kPieces[] = {
    {"MENU", 130, -18},     {"GAME1", 161, -18}, {"GAME2", 137, -18}, {"SCORE", 40, -17},
    {"GAMEOVER", 187, -20}, {"GAME3", 140, -18}, {"GAME4", 152, -18}, {"GAME5", 157, -18},
    {"GAME6", 129, -18},    {"GAME7", 142, -18}, {"GAME8", 125, -18}, {"GAME9", 175, -18},
    {"GAME10", 139, -18},
};
constexpr double kLoudnessTolerance = 1.0;
// A tune heard in every bar wears out over an evening: the lead rests in
// breakdowns and hands phrase ends to an answering instrument.
constexpr double kMostLeadBars = 0.70;
constexpr int kLeadChannel = 0;
// Longer than any piece: the whole piece is measured.
constexpr double kRenderBoundSeconds = 240.0;

constexpr int kDrumChannel = 9;
constexpr int kVolumeController = 7;
constexpr int kPanController = 10;
constexpr std::size_t kLargestFile = 48 * 1024;

MidiSummary LoadPiece(const std::string& name) {
    return ReadMidi(ReadBytes(ResourcePath("midi", name + ".mid")));
}

class MidiPieceTest : public ::testing::TestWithParam<MusicSlot> {};

TEST_P(MidiPieceTest, IsOneTrackOfFormatZeroAtNinetySixTicks) {
    const MidiSummary piece = LoadPiece(GetParam().name);
    EXPECT_EQ(piece.format, 0);
    EXPECT_EQ(piece.trackCount, 1);
    EXPECT_EQ(piece.division, 96);
}

TEST_P(MidiPieceTest, SwitchesOffEveryNoteItPlays) {
    EXPECT_EQ(LoadPiece(GetParam().name).hangingNotes, 0);
}

// Melody, harmony, bass and General MIDI drums, each with its instrument and place in the mix.
TEST_P(MidiPieceTest, IsScoredForABandWithDrums) {
    const MidiSummary piece = LoadPiece(GetParam().name);
    const auto voices = std::count_if(piece.notesPerChannel.begin(), piece.notesPerChannel.end(),
                                      [](int notes) { return notes > 0; });
    EXPECT_GE(voices, 5);
    EXPECT_GT(piece.notesPerChannel[kDrumChannel], 0);
    EXPECT_GE(piece.tempoEvents, 1);
    EXPECT_GE(piece.programChannels.size(), 5u);
    EXPECT_TRUE(piece.controllers.count(kVolumeController));
    EXPECT_TRUE(piece.controllers.count(kPanController));
}

TEST_P(MidiPieceTest, PlaysAboutAsLongAsItsSlot) {
    EXPECT_NEAR(LoadPiece(GetParam().name).seconds, GetParam().seconds, 0.15 * GetParam().seconds);
}

TEST_P(MidiPieceTest, StaysSmall) {
    EXPECT_LE(ReadBytes(ResourcePath("midi", std::string(GetParam().name) + ".mid")).size(),
              kLargestFile);
}

// Outside its range an instrument's sample is stretched thin or squeaky.
TEST_P(MidiPieceTest, PlaysEveryNoteInItsInstrumentsRange) {
    const MidiSummary piece = LoadPiece(GetParam().name);
    int outside = 0;
    for (const MidiNote& note : piece.notes) {
        if (note.channel != kDrumChannel && !ComfortableRange(note.program).Holds(note.pitch)) {
            ADD_FAILURE_AT(__FILE__, __LINE__)
                << "note " << note.pitch << " of program " << note.program << " on channel "
                << note.channel << " at tick " << note.tick;
            if (++outside == 5) {
                break;
            }
        }
    }
}

TEST_P(MidiPieceTest, LeadRestsInAtLeastAThirdOfTheBars) {
    const MidiSummary piece = LoadPiece(GetParam().name);
    ASSERT_GT(piece.ticksPerBar, 0);
    std::set<std::uint32_t> allBars;
    std::set<std::uint32_t> leadBars;
    for (const MidiNote& note : piece.notes) {
        allBars.insert(note.tick / static_cast<std::uint32_t>(piece.ticksPerBar));
        if (note.channel == kLeadChannel) {
            leadBars.insert(note.tick / static_cast<std::uint32_t>(piece.ticksPerBar));
        }
    }
    EXPECT_LE(static_cast<double>(leadBars.size()),
              kMostLeadBars * static_cast<double>(allBars.size()))
        << leadBars.size() << " of " << allBars.size() << " bars";
}

TEST_P(MidiPieceTest, PlaysAtItsLoudnessThroughTheGameSynthesizer) {
    const std::string soundFont = FindSoundFont(DefaultSoundFontCandidates());
    if (soundFont.empty()) {
        GTEST_SKIP() << "no General MIDI SoundFont installed: loudness not measured";
    }
    const auto loudness =
        RenderedLoudness(ReadBytes(ResourcePath("midi", std::string(GetParam().name) + ".mid")),
                         soundFont, kRenderBoundSeconds);
    ASSERT_TRUE(loudness) << "the game's synthesizer did not play the piece";
    EXPECT_NEAR(*loudness, GetParam().loudness, kLoudnessTolerance);
}

std::string PieceName(const ::testing::TestParamInfo<MusicSlot>& slot) {
    return slot.param.name;
}

INSTANTIATE_TEST_SUITE_P(AllPieces, MidiPieceTest, ::testing::ValuesIn(kPieces), PieceName);

// A format-0 file around the given track bytes (shorter than 256).
std::vector<std::uint8_t> TinyFile(const std::vector<std::uint8_t>& track) {
    std::vector<std::uint8_t> file(22 + track.size(), 0);
    const std::uint8_t header[] = {'M', 'T', 'h', 'd', 0,  0,   0,   6,   0,
                                   0,   0,   1,   0,   96, 'M', 'T', 'r', 'k'};
    std::copy(std::begin(header), std::end(header), file.begin());
    file[21] = static_cast<std::uint8_t>(track.size());
    std::copy(track.begin(), track.end(), file.begin() + 22);
    return file;
}

// Two notes written with running status; one beat at 120 per minute.
TEST(MidiReaderTest, FollowsRunningStatusThroughATrack) {
    const MidiSummary summary = ReadMidi(TinyFile({0x00, 0x90, 60, 100, 0x00, 64, 100,  //
                                                   0x60, 60, 0, 0x00, 64, 0,            //
                                                   0x00, 0xFF, 0x2F, 0x00}));
    EXPECT_EQ(summary.notesPerChannel[0], 2);
    EXPECT_EQ(summary.hangingNotes, 0);
    EXPECT_DOUBLE_EQ(summary.seconds, 0.5);
}

TEST(MidiReaderTest, RejectsBrokenTracks) {
    const std::vector<std::vector<std::uint8_t>> broken = {
        {0x00, 60, 100, 0x00, 0xFF, 0x2F, 0x00},        // data byte before any status
        {0x00, 0x90, 60, 100},                          // no end-of-track
        {0x00, 0xFF, 0x2F, 0x00, 0x00, 0x90, 60, 100},  // events after the end
        {0x00, 0xFF, 0x51, 0x03, 0x07},                 // meta event cut short
    };
    for (const auto& track : broken) {
        EXPECT_THROW(ReadMidi(TinyFile(track)), std::runtime_error);
    }
    std::vector<std::uint8_t> wrongLength = TinyFile({0x00, 0xFF, 0x2F, 0x00});
    wrongLength[21] = 5;
    EXPECT_THROW(ReadMidi(wrongLength), std::runtime_error);
}

}  // namespace
}  // namespace kwadrill::test
