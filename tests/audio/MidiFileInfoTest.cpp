#include "AudioFixtures.h"
#include "MidiFileInfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>

namespace kwadrill {
namespace {

using test::MidiWriter;
using Status = MidiFileInfo::Status;

MidiFileInfo Read(const std::vector<std::uint8_t>& bytes) {
    return MidiFileInfo::Read(bytes);
}

TEST(MidiFileInfoTest, LengthIsTheTickOfTheLastEvent) {
    const auto bytes = MidiWriter()
                           .Event(0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20})  // tempo
                           .Note(10, 60, 96)
                           .Event(0, {0xF0, 0x02, 0x7E, 0xF7})  // sysex
                           .Note(200, 62, 0x4000)               // a three-byte delta
                           .EndOfTrack(4)
                           .Bytes();
    const MidiFileInfo info = Read(bytes);
    EXPECT_EQ(info.status, Status::Ok);
    EXPECT_EQ(info.format, 0);
    EXPECT_EQ(info.trackCount, 1);
    EXPECT_EQ(info.ticksPerQuarter, 96);
    EXPECT_EQ(info.lengthTicks, 10 + 96 + 200 + 0x4000 + 4);
}

TEST(MidiFileInfoTest, RunningStatusCarriesAcrossEventsAndMetaEvents) {
    const auto bytes = MidiWriter()
                           .Event(0, {0x90, 60, 100})
                           .Event(48, {64, 100})               // running status
                           .Event(0, {0xFF, 0x01, 0x01, 'x'})  // text
                           .Event(48, {60, 0})
                           .Event(48, {64, 0})
                           .EndOfTrack()
                           .Bytes();
    const MidiFileInfo info = Read(bytes);
    EXPECT_EQ(info.status, Status::Ok);
    EXPECT_EQ(info.lengthTicks, 144);
}

TEST(MidiFileInfoTest, FormatOneTakesTheLongestTrackAndSkipsUnknownChunks) {
    auto bytes = MidiWriter()
                     .Note(0, 60, 500)
                     .EndOfTrack()
                     .NextTrack()
                     .Note(0, 60, 900)
                     .EndOfTrack(10)
                     .NextTrack()
                     .Note(0, 60, 100)
                     .Bytes(1);  // the last track has no end-of-track event: accepted
    const std::vector<std::uint8_t> alien{'X', 'Y', 'Z', 'W', 0, 0, 0, 2, 1, 2};
    bytes.insert(bytes.begin() + 14, alien.begin(), alien.end());
    const MidiFileInfo info = Read(bytes);
    EXPECT_EQ(info.status, Status::Ok);
    EXPECT_EQ(info.trackCount, 3);
    EXPECT_EQ(info.lengthTicks, 910);
}

TEST(MidiFileInfoTest, ProgramsAreCollectedWithTheDrumChannelInItsOwnBank) {
    const auto bytes = MidiWriter()
                           .Event(0, {0xC0, 33})
                           .Event(0, {0xC9, 25})  // drum channel: a kit
                           .Event(0, {0xC3, 33})
                           .Event(5, {0x00})  // running status: program 0 on channel 4
                           .EndOfTrack()
                           .Bytes();
    const MidiFileInfo info = Read(bytes);
    ASSERT_EQ(info.status, Status::Ok);
    const std::vector<std::pair<int, int>> expected{{0, 0}, {0, 33}, {128, 0}, {128, 25}};
    EXPECT_EQ(info.programs, expected);
}

std::vector<std::uint8_t> WithTrack(std::vector<std::uint8_t> track) {
    std::vector<std::uint8_t> bytes{
        'M', 'T', 'h', 'd', 0,   0,   0,   6, 0, 0, 0,
        1,   0,   96,  'M', 'T', 'r', 'k', 0, 0, 0, static_cast<std::uint8_t>(track.size())};
    std::copy(track.begin(), track.end(), std::back_inserter(bytes));
    return bytes;
}

struct MalformedCase {
    const char* what;
    std::vector<std::uint8_t> bytes;
    Status expected;
};

TEST(MidiFileInfoTest, MalformedFilesAreRejectedWithTheirReason) {
    const MalformedCase cases[] = {
        {"empty", {}, Status::NotMidiFile},
        {"a RIFF file", {'R', 'I', 'F', 'F', 0, 0, 0, 4, 'W', 'A', 'V', 'E'}, Status::NotMidiFile},
        {"header cut short", {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0}, Status::NotMidiFile},
        {"header length 5", {'M', 'T', 'h', 'd', 0, 0, 0, 5, 0, 0, 0, 1, 0}, Status::NotMidiFile},
        {"huge header length",
         {'M', 'T', 'h', 'd', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 1, 0, 96},
         Status::NotMidiFile},
        {"format 2", MidiWriter().EndOfTrack().Bytes(2), Status::UnsupportedFormat},
        {"SMPTE division", MidiWriter().EndOfTrack().Bytes(0, 0xE728), Status::UnsupportedFormat},
        {"zero division", MidiWriter().EndOfTrack().Bytes(0, 0), Status::UnsupportedFormat},
        {"no tracks", {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 0, 0, 96}, Status::DamagedTrack},
        {"track missing",
         {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0, 96},
         Status::DamagedTrack},
        {"huge track length",
         {'M', 'T', 'h', 'd', 0,   0,    0,    6,    0,    0, 0,    1,    0,
          96,  'M', 'T', 'r', 'k', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0x2F, 0},
         Status::DamagedTrack},
        {"five-byte delta", WithTrack({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 1}),
         Status::DamagedTrack},
        {"delta cut short", WithTrack({0x90, 60, 1, 0x81}), Status::DamagedTrack},
        {"data byte with no status", WithTrack({0, 60, 100}), Status::DamagedTrack},
        {"status byte as data", WithTrack({0, 0x90, 60, 0x90}), Status::DamagedTrack},
        {"event cut short", WithTrack({0, 0x90, 60}), Status::DamagedTrack},
        {"huge meta length", WithTrack({0, 0xFF, 0x01, 0x8F, 0xFF, 0xFF, 0x7F, 'x'}),
         Status::DamagedTrack},
        {"bad meta length", WithTrack({0, 0xFF, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x01}),
         Status::DamagedTrack},
        {"huge sysex length", WithTrack({0, 0xF0, 0xFF, 0xFF, 0x7F, 1, 2}), Status::DamagedTrack},
        {"system message", WithTrack({0, 0xF8, 0, 0xFF, 0x2F, 0}), Status::DamagedTrack},
    };
    for (const MalformedCase& c : cases) {
        EXPECT_EQ(Read(c.bytes).status, c.expected) << c.what;
    }
}

// Every prefix of a file cuts off a declared chunk, so none may pass as whole.
TEST(MidiFileInfoTest, EveryTruncationIsRejected) {
    const auto bytes = test::PianoPiece(8);
    ASSERT_EQ(Read(bytes).status, Status::Ok);
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        const std::vector<std::uint8_t> prefix(bytes.begin(), bytes.begin() + size);
        EXPECT_NE(Read(prefix).status, Status::Ok) << "cut at " << size;
    }
}

// Random damage must give some answer without reading outside the bytes
// (the sanitizer build turns any such read into a failure).
TEST(MidiFileInfoTest, RandomDamageNeverCrashes) {
    const auto original = test::PianoPiece(16);
    std::mt19937 generator(1234);
    std::uniform_int_distribution<std::size_t> position(0, original.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 5000; ++round) {
        auto damaged = original;
        for (int hits = 1 + round % 4; hits > 0; --hits)
            damaged[position(generator)] = static_cast<std::uint8_t>(byte(generator));
        EXPECT_GE(Read(damaged).lengthTicks, 0);
    }
}

}  // namespace
}  // namespace kwadrill
