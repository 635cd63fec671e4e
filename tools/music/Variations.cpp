#include "Variations.h"

#include <algorithm>
#include <cstdlib>
#include <set>

namespace kwadrill {

namespace {

constexpr int kOctaveSteps = 12;
constexpr int kGraceTicks = 12;  // a thirty-second note
constexpr int kEighthTicks = 48;
constexpr int kQuarterTicks = 96;
constexpr int kPickupNotes = 4;
// How far a walking counter line may stray from its written note, in semitones.
constexpr int kWalkReach = 7;

int PitchClass(int pitch) {
    return ((pitch % kOctaveSteps) + kOctaveSteps) % kOctaveSteps;
}

std::set<int> PitchClassesOf(const std::vector<LineNote>& notes) {
    std::set<int> classes;
    for (const LineNote& note : notes) {
        if (note.pitch >= 0) {
            classes.insert(PitchClass(note.pitch));
        }
    }
    return classes;
}

std::set<int> ChordClasses(const ChordSpan& chord) {
    std::set<int> classes;
    for (int interval : chord.intervals) {
        classes.insert(PitchClass(chord.root + interval));
    }
    return classes;
}

// The step above (+1) or below (-1) `pitch` in the scale the tune itself
// uses, a tone away where it has one, else a semitone; -1 when it has neither.
int Neighbour(const std::set<int>& scale, int pitch, int direction) {
    for (int distance : {2, 1}) {
        if (scale.count(PitchClass(pitch + direction * distance))) {
            return pitch + direction * distance;
        }
    }
    return -1;
}

// A note of the tune's scale between two notes a third apart, or -1.
int PassingNote(const std::set<int>& scale, int from, int to) {
    const int gap = std::abs(to - from);
    if (gap < 3 || gap > 4) {
        return -1;
    }
    const int direction = to > from ? 1 : -1;
    for (int distance : {2, 1}) {
        if (scale.count(PitchClass(from + direction * distance))) {
            return from + direction * distance;
        }
    }
    return -1;
}

const ChordSpan& ChordSounding(const std::vector<ChordSpan>& chords, int tick) {
    for (const ChordSpan& chord : chords) {
        if (tick < chord.start + chord.length) {
            return chord;
        }
    }
    return chords.back();
}

// The nearest pitch to `pitch` whose class is in `classes`, the lower one on a tie.
int NearestOf(const std::set<int>& classes, int pitch) {
    for (int distance = 0; distance < kOctaveSteps; ++distance) {
        for (int candidate : {pitch - distance, pitch + distance}) {
            if (classes.count(PitchClass(candidate))) {
                return candidate;
            }
        }
    }
    return pitch;
}

// The next chord tone from `pitch` going up (+1) or down (-1).
int NextChordTone(const std::set<int>& classes, int pitch, int direction) {
    for (int distance = 1; distance <= kOctaveSteps; ++distance) {
        if (classes.count(PitchClass(pitch + direction * distance))) {
            return pitch + direction * distance;
        }
    }
    return pitch;
}

// Whether every note of the lines sounding in [from, to) sits well on a chord
// rooted on `root`, given the intervals above the root that are safe there.
bool LinesFit(const std::vector<LineNote>& lead, const std::vector<LineNote>& counter, int from,
              int to, int root, const std::set<int>& safe) {
    for (const auto* line : {&lead, &counter}) {
        for (const LineNote& note : *line) {
            if (note.pitch >= 0 && note.start < to && note.start + note.length > from &&
                !safe.count(PitchClass(note.pitch - root))) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

Dice::Dice(std::string_view piece, std::size_t pass) : state_(2166136261u) {
    for (char c : piece) {
        state_ = (state_ ^ static_cast<std::uint8_t>(c)) * 16777619u;
    }
    state_ ^= 0x85EBCA6Bu * static_cast<std::uint32_t>(pass + 1);
    state_ |= 1u;
}

int Dice::Below(int n) {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<int>(state_ % static_cast<std::uint32_t>(n));
}

std::vector<LineNote> VaryTune(const std::vector<LineNote>& notes, int barTicks, bool lilt,
                               Dice& dice) {
    if (notes.empty()) {
        return notes;
    }
    const std::set<int> scale = PitchClassesOf(notes);
    const int cadence = (notes.back().start + notes.back().length - 1) / barTicks * barTicks;
    std::vector<LineNote> varied;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        const LineNote& note = notes[i];
        if (note.pitch < 0 || note.start >= cadence || i + 1 == notes.size()) {
            varied.push_back(note);
            continue;
        }
        const LineNote& next = notes[i + 1];
        if (lilt && note.length == kEighthTicks && next.length == kEighthTicks && next.pitch >= 0 &&
            note.start % kQuarterTicks == 0 && dice.OneIn(4)) {
            constexpr int kDotted = kEighthTicks * 3 / 2;
            varied.push_back({note.start, kDotted, note.pitch});
            varied.push_back({note.start + kDotted, 2 * kEighthTicks - kDotted, next.pitch});
            ++i;
            continue;
        }
        // A cut: the step above flicked in before the note.
        if (note.length == kEighthTicks && dice.OneIn(8)) {
            const int upper = Neighbour(scale, note.pitch, 1);
            if (upper >= 0) {
                varied.push_back({note.start, kGraceTicks, upper});
                varied.push_back({note.start + kGraceTicks, note.length - kGraceTicks, note.pitch});
                continue;
            }
        }
        if (note.length >= kQuarterTicks) {
            const int choice = dice.Below(6);
            const int upper = Neighbour(scale, note.pitch, 1);
            const int passing = next.pitch >= 0 ? PassingNote(scale, note.pitch, next.pitch) : -1;
            if (choice == 0 && upper >= 0) {
                varied.push_back({note.start, kGraceTicks, note.pitch});
                varied.push_back({note.start + kGraceTicks, kGraceTicks, upper});
                varied.push_back(
                    {note.start + 2 * kGraceTicks, note.length - 2 * kGraceTicks, note.pitch});
                continue;
            }
            if (choice == 1 && passing >= 0) {
                const int half = note.length / 2;
                varied.push_back({note.start, half, note.pitch});
                varied.push_back({note.start + half, note.length - half, passing});
                continue;
            }
            if (choice == 2 && note.length >= 2 * kQuarterTicks) {
                const int first = note.length / 2;
                varied.push_back({note.start, first, note.pitch});
                varied.push_back({note.start + first, note.length - first, note.pitch});
                continue;
            }
        }
        varied.push_back(note);
    }
    return varied;
}

void Reharmonise(std::vector<ChordSpan>& chords, const std::vector<LineNote>& lead,
                 const std::vector<LineNote>& counter, int barTicks, Dice& dice) {
    const int bars = (chords.back().start + chords.back().length) / barTicks;
    struct Substitute {
        std::size_t chord;
        ChordSpan span;
    };
    std::vector<Substitute> candidates;
    for (std::size_t i = 0; i < chords.size(); ++i) {
        const ChordSpan& chord = chords[i];
        const int bar = chord.start / barTicks;
        const int end = chord.start + chord.length;
        if (bar < 1 || bar > bars - 2 || end > (bar + 1) * barTicks || chord.bass != chord.root) {
            continue;
        }
        ChordSpan span = chord;
        std::set<int> safe;
        if (chord.intervals == std::vector<int>{0, 4, 7}) {
            span.root = PitchClass(chord.root + 9);
            span.intervals = {0, 3, 7, 10};
            safe = {0, 2, 3, 5, 7, 10};
        } else if (chord.intervals == std::vector<int>{0, 3, 7}) {
            span.root = PitchClass(chord.root + 8);
            span.intervals = {0, 4, 7, 11};
            safe = {0, 2, 4, 7, 9, 11};
        } else {
            continue;
        }
        span.bass = span.root;
        if (LinesFit(lead, counter, chord.start, end, span.root, safe)) {
            candidates.push_back({i, span});
        }
    }
    for (int count = 1 + dice.Below(2); count > 0 && !candidates.empty(); --count) {
        const auto pick = candidates.begin() + dice.Below(static_cast<int>(candidates.size()));
        chords[pick->chord] = pick->span;
        candidates.erase(pick);
    }
}

std::vector<LineNote> VaryCounter(const std::vector<LineNote>& notes,
                                  const std::vector<ChordSpan>& chords, int beatTicks, Dice& dice) {
    std::vector<LineNote> varied;
    for (const LineNote& note : notes) {
        if (note.pitch < 0 || note.length < 2 * beatTicks || dice.OneIn(3)) {
            varied.push_back(note);
            continue;
        }
        int direction = dice.OneIn(2) ? 1 : -1;
        int pitch = note.pitch;
        const int end = note.start + note.length;
        for (int tick = note.start; tick < end; tick += beatTicks) {
            varied.push_back({tick, std::min(beatTicks, end - tick), pitch});
            const std::set<int> tones = ChordClasses(ChordSounding(chords, tick + beatTicks));
            int next = NextChordTone(tones, pitch, direction);
            if (std::abs(next - note.pitch) > kWalkReach) {
                direction = -direction;
                next = NextChordTone(tones, pitch, direction);
            }
            pitch = next;
        }
    }
    return varied;
}

std::vector<LineNote> PrepareKeyChange(const KeyChange& change, int barTicks,
                                       std::vector<ChordSpan>& chords, std::vector<LineNote>& lead,
                                       std::vector<LineNote>& counter) {
    const int end = chords.back().start + chords.back().length;
    const int from = end - barTicks / 2;
    const int dominant = PitchClass(change.tonic + 7);
    std::erase_if(chords, [&](const ChordSpan& chord) { return chord.start >= from; });
    for (ChordSpan& chord : chords) {
        chord.length = std::min(chord.length, from - chord.start);
    }
    chords.push_back({from, end - from, dominant, dominant, {0, 4, 7, 10}});
    const std::set<int> tones = ChordClasses(chords.back());

    std::vector<LineNote> moved;
    for (LineNote note : counter) {
        if (note.pitch >= 0 && note.start < from && note.start + note.length > from) {
            moved.push_back({from, note.start + note.length - from, NearestOf(tones, note.pitch)});
            note.length = from - note.start;
        } else if (note.pitch >= 0 && note.start >= from) {
            note.pitch = NearestOf(tones, note.pitch);
        }
        moved.push_back(note);
    }
    std::stable_sort(moved.begin(), moved.end(),
                     [](const LineNote& a, const LineNote& b) { return a.start < b.start; });
    counter = moved;

    const int count = std::min(kPickupNotes, (end - from) / kEighthTicks);
    const int pickupStart = end - count * kEighthTicks;
    std::erase_if(lead, [&](const LineNote& note) { return note.start >= pickupStart; });
    for (LineNote& note : lead) {
        note.length = std::min(note.length, pickupStart - note.start);
    }
    std::vector<int> run;
    for (int pitch = change.target - 1; static_cast<int>(run.size()) < count; --pitch) {
        if (tones.count(PitchClass(pitch))) {
            run.insert(run.begin(), pitch);
        }
    }
    std::vector<LineNote> pickup;
    for (int i = 0; i < count; ++i) {
        pickup.push_back(
            {pickupStart + i * kEighthTicks, kEighthTicks, run[static_cast<std::size_t>(i)]});
    }
    return pickup;
}

}  // namespace kwadrill
