#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "MidiTrack.h"

namespace kwadrill {

// How a band plays the written notes: each part a little early or late and
// a little softer or harder than written, the same on every run (seeded by
// the piece's name), and swung where the style asks for it.
class Performer {
public:
    struct Feel {
        int timing;    // largest push or drag, in ticks
        int lean;      // a steady push (-) or drag (+), in ticks
        int velocity;  // largest change of velocity
    };

    // `swingUnit` is the note value that swings (48 eighths, 24 sixteenths);
    // `swing` from 0 (straight) to 1 (full triplet lilt).
    Performer(std::string_view piece, int swingUnit, double swing);

    // Writes one note as played: it starts no earlier than `floor` (where
    // its instrument was chosen) and sounds no later than `limit`.
    void Play(MidiTrack& track, int channel, int tick, int length, int pitch, int velocity,
              int floor, int limit);

    // A value in [low, high] from the channel's own sequence.
    int Between(int channel, int low, int high);

private:
    int Swung(int tick) const;

    std::array<std::uint32_t, 16> states_{};
    int swingUnit_;
    double swing_;
};

}  // namespace kwadrill
