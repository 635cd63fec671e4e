#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "Pieces.h"
#include "Variations.h"

namespace kwadrill::test {
namespace {

int PitchClassOf(int pitch) {
    return (pitch % 12 + 12) % 12;
}

std::set<int> ClassesOf(const ChordSpan& chord) {
    std::set<int> classes;
    for (int interval : chord.intervals) {
        classes.insert(PitchClassOf(chord.root + interval));
    }
    return classes;
}

int EndOf(const std::vector<LineNote>& line) {
    return line.empty() ? 0 : line.back().start + line.back().length;
}

// Notes one after another, none overlapping the next, none empty.
void ExpectPlayable(const std::vector<LineNote>& line, const std::string& where) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        EXPECT_GT(line[i].length, 0) << where;
        if (i > 0) {
            EXPECT_GE(line[i].start, line[i - 1].start + line[i - 1].length) << where;
        }
    }
}

// Every section of every piece, varied under several seeds: the tune keeps
// its length and its scale, a new chord still holds the written one, and a
// walking counter line steps only onto chord tones.
TEST(MusicVariationTest, VariedPassesStayInTheTuneAndItsHarmony) {
    int changedTunes = 0;
    int changedChords = 0;
    int changedCounters = 0;
    for (const Piece& piece : AllPieces()) {
        const int bar = piece.meterNumerator * 384 / piece.meterDenominator;
        const int beat = piece.meterDenominator == 8 ? 144 : 384 / piece.meterDenominator;
        for (const Section& section : piece.sections) {
            const auto lead = ParseLine(section.lead, bar);
            const auto counter = ParseLine(section.counter, bar);
            const auto chords = ParseChords(section.chords, bar);
            std::set<int> scale;
            for (const LineNote& note : lead) {
                if (note.pitch >= 0) {
                    scale.insert(PitchClassOf(note.pitch));
                }
            }
            for (std::size_t pass = 0; pass < 6; ++pass) {
                const std::string where = std::string(piece.name) + " " +
                                          std::string(section.name) + " pass " +
                                          std::to_string(pass);
                Dice dice(piece.name, pass);
                const auto tune = VaryTune(lead, bar, true, dice);
                ExpectPlayable(tune, where);
                EXPECT_EQ(EndOf(tune), EndOf(lead)) << where;
                for (const LineNote& note : tune) {
                    EXPECT_TRUE(note.pitch < 0 || scale.count(PitchClassOf(note.pitch)))
                        << where << ": " << note.pitch << " at " << note.start;
                }
                changedTunes += tune.size() != lead.size() ? 1 : 0;

                auto harmony = chords;
                Reharmonise(harmony, tune, counter, bar, dice);
                ASSERT_EQ(harmony.size(), chords.size()) << where;
                for (std::size_t i = 0; i < chords.size(); ++i) {
                    const auto written = ClassesOf(chords[i]);
                    const auto played = ClassesOf(harmony[i]);
                    EXPECT_TRUE(
                        std::includes(played.begin(), played.end(), written.begin(), written.end()))
                        << where << ": chord " << i;
                    changedChords += harmony[i].root != chords[i].root ? 1 : 0;
                }

                const auto walk = VaryCounter(counter, harmony, beat, dice);
                ExpectPlayable(walk, where);
                EXPECT_EQ(EndOf(walk), EndOf(counter)) << where;
                for (const LineNote& note : walk) {
                    const bool written =
                        std::any_of(counter.begin(), counter.end(), [&](const LineNote& n) {
                            return n.start == note.start && n.pitch == note.pitch;
                        });
                    const auto chord = std::find_if(harmony.begin(), harmony.end(), [&](auto& c) {
                        return note.start < c.start + c.length;
                    });
                    EXPECT_TRUE(written || ClassesOf(*chord).count(PitchClassOf(note.pitch)))
                        << where << ": counter " << note.pitch << " at " << note.start;
                }
                changedCounters += walk.size() != counter.size() ? 1 : 0;
            }
        }
    }
    // The passes are varied at all.
    EXPECT_GT(changedTunes, 0);
    EXPECT_GT(changedChords, 0);
    EXPECT_GT(changedCounters, 0);
}

// The half bar before a key change: the new key's dominant seventh under a
// run of its tones that rises to the new passage's first note.
TEST(MusicVariationTest, KeyChangeRunsUpTheNewDominantIntoTheTune) {
    constexpr int kBar = 384;
    auto chords = ParseChords("Am | E", kBar);
    auto lead = ParseLine("a4:2 c5:2 | b4:1", kBar);
    auto counter = ParseLine("e4:1 | g#4:1", kBar);
    // Into B minor, whose tune starts on F sharp 5.
    const auto run = PrepareKeyChange({.tonic = 11, .target = 78}, kBar, chords, lead, counter);

    ASSERT_EQ(chords.size(), 3u);
    EXPECT_EQ(chords.back().start, kBar + kBar / 2);
    EXPECT_EQ(chords.back().root, 6);  // F sharp
    EXPECT_EQ(chords.back().intervals, (std::vector<int>{0, 4, 7, 10}));
    EXPECT_EQ(EndOf(lead), kBar + kBar / 2);
    std::vector<int> pitches;
    for (const LineNote& note : run) {
        pitches.push_back(note.pitch);
    }
    EXPECT_EQ(pitches, (std::vector<int>{66, 70, 73, 76}));  // F# A# C# E, then F# 5
    EXPECT_EQ(EndOf(run), 2 * kBar);
    // The counter's G sharp moves onto the new chord.
    EXPECT_TRUE(ClassesOf(chords.back()).count(PitchClassOf(counter.back().pitch)));
    EXPECT_EQ(EndOf(counter), 2 * kBar);
}

}  // namespace
}  // namespace kwadrill::test
