// Any bytes as a music file, checked as the music device does before the
// synthesizer sees them.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzCheck.h"
#include "MidiFileInfo.h"

namespace {

using namespace kwadrill;
using fuzz::Require;

constexpr int kDrumBank = 128;
constexpr int kHighestProgram = 127;
constexpr int kHighestTicksPerQuarter = 0x7FFF;

void CheckPlayable(const MidiFileInfo& info) {
    Require(info.format == 0 || info.format == 1, "a playable file is of format 0 or 1");
    Require(info.trackCount >= 1, "a playable file has a track");
    Require(info.ticksPerQuarter >= 1 && info.ticksPerQuarter <= kHighestTicksPerQuarter,
            "a playable file counts ticks per quarter note");
    Require(info.lengthTicks >= 0, "the length is never negative");
    const auto& programs = info.programs;
    Require(std::is_sorted(programs.begin(), programs.end()) &&
                std::adjacent_find(programs.begin(), programs.end()) == programs.end(),
            "the programs are sorted, each once");
    Require(std::binary_search(programs.begin(), programs.end(), std::pair(0, 0)) &&
                std::binary_search(programs.begin(), programs.end(), std::pair(kDrumBank, 0)),
            "the start-up piano and drum kit are always listed");
    for (const auto& [bank, program] : programs) {
        Require((bank == 0 || bank == kDrumBank) && program >= 0 && program <= kHighestProgram,
                "every program is a General MIDI instrument or kit");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const MidiFileInfo info = MidiFileInfo::Read(std::span(data, size));
    if (info.status == MidiFileInfo::Status::Ok) CheckPlayable(info);
    return 0;
}
