#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kwadrill {

// Ticks per quarter note of every file the game ships.
inline constexpr int kTicksPerQuarter = 96;
inline constexpr int kDrumChannel = 9;

// One track of timed MIDI events, written out as a format-0 standard MIDI file.
class MidiTrack {
public:
    void Note(int tick, int length, int channel, int pitch, int velocity);
    void Program(int tick, int channel, int program);
    void Controller(int tick, int channel, int controller, int value);
    void Tempo(int tick, double quarterNotesPerMinute);
    void TimeSignature(int tick, int numerator, int denominator);
    void TrackName(std::string_view name);

    // The complete file; the end-of-track event sits at `endTick`.
    std::vector<std::uint8_t> EncodeFile(int endTick) const;

private:
    struct NoteSpan {
        int start;
        int end;
        int channel;
        int pitch;
        int velocity;
    };
    struct Event {
        int tick;
        int rank;  // at equal ticks: meta, then set-up, then note-offs, then note-ons
        std::vector<std::uint8_t> bytes;
    };

    std::vector<Event> NoteEvents() const;

    std::vector<Event> events_;
    std::vector<NoteSpan> notes_;
};

}  // namespace kwadrill
