#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace kwadrill {

// What a standard MIDI file's bytes say about it: whether it can be played
// and how long it is. The synthesizer learns this only once it renders, so
// the music device reads it first.
struct MidiFileInfo {
    enum class Status {
        Ok,
        NotMidiFile,        // no "MThd" header, or the header is cut short
        DamagedTrack,       // a track is missing, cut short, or holds an invalid event
        UnsupportedFormat,  // format 2 or above, or SMPTE / zero division
    };

    Status status = Status::NotMidiFile;
    int format = 0;
    int trackCount = 0;
    int ticksPerQuarter = 0;
    // The tick of the last event of the longest track.
    std::int64_t lengthTicks = 0;
    // The General MIDI instruments the piece selects, as (bank, program),
    // sorted: bank 128 on the drum channel, 0 elsewhere; the start-up
    // programs (piano and the standard kit) are always there.
    std::vector<std::pair<int, int>> programs;

    // Reads the header and every track; never reads outside the bytes.
    static MidiFileInfo Read(std::span<const std::uint8_t> bytes);
};

}  // namespace kwadrill
