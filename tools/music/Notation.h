#pragma once

#include <string_view>
#include <vector>

namespace kwadrill {

// The compact text the pieces are written in.
//
// Lines: tokens "pitch[:duration]" separated by spaces. A pitch is a note
// name with an optional sharp or flat and octave ("c#5", "bb4", "e"; C4 is
// middle C); without an octave the note lands nearest to the previous one.
// "r" is a rest, "~" holds the previous note on. A duration is 1, 2, 4, 8,
// 16 or 32, optionally dotted (".") or triplet ("t"); without one the
// previous duration applies. "|" marks a bar line and must fall on one.
//
// Chords: tokens "symbol[:duration]", the symbol a root, a quality ("", m, 7,
// maj7, m7, dim, dim7, m7b5, aug, sus2, sus4, 6, m6, 9, m9, add9, 7sus4, 5)
// and an optional "/bass". The first chord lasts a bar unless told.
//
// Drums: lanes "key:steps" separated by spaces; each step is "X" (accent),
// "x", "o" (ghost) or "." (nothing).

struct LineNote {
    int start;
    int length;
    int pitch;  // -1 for a rest
};

struct ChordSpan {
    int start;
    int length;
    int root;  // pitch class 0..11
    int bass;  // pitch class of the lowest note
    std::vector<int> intervals;
};

struct DrumLane {
    int note;
    std::string_view steps;
};

int ParseDuration(std::string_view text);
std::vector<LineNote> ParseLine(std::string_view text, int barTicks);
std::vector<ChordSpan> ParseChords(std::string_view text, int barTicks);
std::vector<DrumLane> ParseDrums(std::string_view text);
int DrumStepVelocity(char step);

}  // namespace kwadrill
