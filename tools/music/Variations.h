#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "Notation.h"

namespace kwadrill {

// The choices of one varied pass, the same on every run: seeded by the
// piece's name and the pass's place in the running order.
class Dice {
public:
    Dice(std::string_view piece, std::size_t pass);
    int Below(int n);
    bool OneIn(int n) { return Below(n) == 0; }

private:
    std::uint32_t state_;
};

// All lines and chords here are as written, before a pass's transposition.

// The tune played again, not copied: mordents, cuts and passing notes, a
// long note struck twice, an even pair of eighths lilted where `lilt` allows
// (straight simple time). The last bar, the cadence, stays as written.
std::vector<LineNote> VaryTune(const std::vector<LineNote>& notes, int barTicks, bool lilt,
                               Dice& dice);

// One or two inner bars get a related seventh chord that still holds the
// written triad (a major chord its relative minor seventh, a minor chord the
// major seventh a third below), where every note of the lines fits it.
void Reharmonise(std::vector<ChordSpan>& chords, const std::vector<LineNote>& lead,
                 const std::vector<LineNote>& counter, int barTicks, Dice& dice);

// A counter line that moves: its long notes broken into beats that walk the
// chord's tones up or down from the written note.
std::vector<LineNote> VaryCounter(const std::vector<LineNote>& notes,
                                  const std::vector<ChordSpan>& chords, int beatTicks, Dice& dice);

// Leads into a new key at the end of a passage: the last half bar becomes the
// new key's dominant seventh (the counter moves onto its tones), and the lead
// leaves its tune for a run up that chord to `target`, the first note of the
// new passage. Returns the run; the lead's own notes there are cut.
struct KeyChange {
    int tonic;   // pitch class of the new key, as written in the old one
    int target;  // pitch the new passage's tune starts on, as written in the old key
};
std::vector<LineNote> PrepareKeyChange(const KeyChange& change, int barTicks,
                                       std::vector<ChordSpan>& chords, std::vector<LineNote>& lead,
                                       std::vector<LineNote>& counter);

}  // namespace kwadrill
