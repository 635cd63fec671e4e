#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "InstrumentRanges.h"
#include "Loudness.h"
#include "MidiReader.h"
#include "Notation.h"
#include "Pieces.h"
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
constexpr int kBassChannel = 4;
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
    RecordProperty("lufs", std::to_string(*loudness));
    EXPECT_NEAR(*loudness, GetParam().loudness, kLoudnessTolerance);
}

std::string PieceName(const ::testing::TestParamInfo<MusicSlot>& slot) {
    return slot.param.name;
}

INSTANTIATE_TEST_SUITE_P(AllPieces, MidiPieceTest, ::testing::ValuesIn(kPieces), PieceName);

// The rises and falls of one bar of a tune, repeated notes merged; empty
// when the bar moves less than twice, as such a bar tells tunes apart poorly.
using Contour = std::vector<int>;

std::vector<Contour> BarContours(const Section& section, int barTicks) {
    std::vector<std::vector<int>> pitches(static_cast<std::size_t>(section.bars));
    for (const LineNote& note : ParseLine(section.lead, barTicks)) {
        auto& bar = pitches[static_cast<std::size_t>(note.start / barTicks)];
        if (note.pitch >= 0 && (bar.empty() || bar.back() != note.pitch)) {
            bar.push_back(note.pitch);
        }
    }
    std::vector<Contour> contours;
    for (const auto& bar : pitches) {
        Contour contour;
        for (std::size_t i = 1; i < bar.size(); ++i) {
            contour.push_back(bar[i] > bar[i - 1] ? 1 : -1);
        }
        contours.push_back(contour.size() >= 2 ? contour : Contour{});
    }
    return contours;
}

// Two sections carry the same tune when most of their shaped bars, bar for
// bar, rise and fall alike, whatever their key or rhythm.
bool SameTune(const std::vector<Contour>& a, const std::vector<Contour>& b) {
    int compared = 0;
    int alike = 0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        if (a[i].empty() && b[i].empty()) {
            continue;
        }
        ++compared;
        alike += a[i] == b[i] ? 1 : 0;
    }
    return compared >= 2 && 2 * alike > compared;
}

// The share of a piece's bars in which its most heard tune sounds.
double MostHeardTuneShare(const Piece& piece) {
    const int barTicks = piece.meterNumerator * 384 / piece.meterDenominator;
    std::vector<std::vector<Contour>> tunes;
    std::map<std::string_view, std::size_t> tuneOf;
    for (const Section& section : piece.sections) {
        if (section.lead.empty()) {
            continue;
        }
        const auto contours = BarContours(section, barTicks);
        const auto known = std::find_if(tunes.begin(), tunes.end(),
                                        [&](const auto& tune) { return SameTune(tune, contours); });
        tuneOf[section.name] = static_cast<std::size_t>(known - tunes.begin());
        if (known == tunes.end()) {
            tunes.push_back(contours);
        }
    }
    std::vector<int> heard(tunes.size(), 0);
    int bars = 0;
    for (const Entry& entry : piece.arrangement) {
        const auto section =
            std::find_if(piece.sections.begin(), piece.sections.end(),
                         [&](const Section& s) { return s.name == entry.section; });
        bars += section->bars;
        const bool tuneSounds = entry.parts.find_first_of("LUO") != std::string_view::npos;
        if (tuneSounds && tuneOf.count(section->name)) {
            heard[tuneOf[section->name]] += section->bars;
        }
    }
    return static_cast<double>(*std::max_element(heard.begin(), heard.end())) / bars;
}

TEST(MusicFormTest, TellsTunesApartByTheirShape) {
    const auto contours = [](std::string_view lead) {
        return BarContours({.name = "x", .bars = 2, .chords = "C | C", .lead = lead}, 384);
    };
    const auto tune = contours("c4:8 d4 e4 c4 g4:2 | a4:4 g4 e4 c4");
    // Another key and rhythm, the same rises and falls.
    EXPECT_TRUE(SameTune(tune, contours("d4:4 e4:8 f#4 d4:4 a4 | b4:8 a4 a4 f#4 d4:2")));
    EXPECT_FALSE(SameTune(tune, contours("g4:8 e4 c4 e4 g4:2 | c5:4 d5 e5 d5")));
    // Held notes say nothing about a tune.
    EXPECT_FALSE(SameTune(contours("c4:1 | c4:1"), contours("g4:1 | e4:1")));
}

// A piece that keeps to one tune for most of its bars wears out in a long game.
TEST(MusicFormTest, NoTuneFillsMostOfAGamePiece) {
    constexpr double kMostTuneShare = 0.60;
    for (const Piece& piece : AllPieces()) {
        const double share = MostHeardTuneShare(piece);
        RecordProperty(std::string(piece.name) + "_tune", std::to_string(share));
        if (piece.name.starts_with("GAME") && piece.name != "GAMEOVER") {
            EXPECT_LE(share, kMostTuneShare) << piece.name;
        }
    }
}

// A key change is heard coming: the half bar before it turns to the new
// key's dominant, in the bass and with its leading note, and the lead's last
// beat runs through that chord into the new key.
TEST(MusicFormTest, EveryKeyChangeIsPreparedByTheNewKeysDominant) {
    constexpr int kSlack = 8;  // how far a played note may stray from its written time
    for (const Piece& piece : AllPieces()) {
        const MidiSummary midi = LoadPiece(std::string(piece.name));
        const int bar = midi.ticksPerBar;
        ASSERT_GT(bar, 0);
        const int beat = piece.meterDenominator == 8 ? 144 : 384 / piece.meterDenominator;
        int start = 0;
        for (std::size_t i = 0; i < piece.arrangement.size(); ++i) {
            const Entry& entry = piece.arrangement[i];
            if (i > 0 && entry.transpose != piece.arrangement[i - 1].transpose) {
                const int dominant = (piece.tonic + entry.transpose + 7 + 24) % 12;
                // A note of the pitch class on the channel (-1: any pitched one) from `from` on.
                const auto sounds = [&](int channel, int from, int pitchClass) {
                    return std::any_of(midi.notes.begin(), midi.notes.end(),
                                       [&](const MidiNote& n) {
                                           const auto tick = static_cast<int>(n.tick);
                                           return (channel < 0 ? n.channel != kDrumChannel
                                                               : n.channel == channel) &&
                                                  tick >= from - kSlack && tick < start - kSlack &&
                                                  (n.pitch - pitchClass + 120) % 12 == 0;
                                       });
                };
                SCOPED_TRACE(std::string(piece.name) + " at bar " + std::to_string(start / bar));
                EXPECT_TRUE(sounds(kBassChannel, start - bar / 2, dominant));
                EXPECT_TRUE(sounds(-1, start - bar / 2, dominant + 4));
                bool chordTone = false;
                for (int tone : {0, 4, 7, 10}) {
                    chordTone = chordTone || sounds(kLeadChannel, start - beat, dominant + tone);
                }
                EXPECT_TRUE(chordTone) << "no pickup in the lead";
            }
            start += std::find_if(piece.sections.begin(), piece.sections.end(),
                                  [&](const Section& s) { return s.name == entry.section; })
                         ->bars *
                     bar;
        }
    }
}

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
