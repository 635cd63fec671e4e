#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <stdexcept>
#include <vector>

namespace kwadrill::test {

struct MidiNote {
    std::uint32_t tick;
    int channel;
    int pitch;
    int velocity;
    int program;  // the channel's program when the note starts
};

// What the tests need to know about a single-track standard MIDI file.
struct MidiSummary {
    int format = -1;
    int trackCount = 0;
    int division = 0;
    std::array<int, 16> notesPerChannel{};
    std::set<int> programChannels;
    std::set<int> controllers;
    int tempoEvents = 0;
    int hangingNotes = 0;  // note-ons never switched off
    double seconds = 0.0;  // time of the end-of-track event
    int ticksPerBar = 0;   // from the first time signature
    std::vector<MidiNote> notes;
};

// Walks every event of the one track: running status, meta and sysex events.
// Throws std::runtime_error when the file is not well-formed (a chunk length
// that does not match, data past the end, no end-of-track as the last event).
MidiSummary ReadMidi(const std::vector<std::uint8_t>& file);

}  // namespace kwadrill::test
