#pragma once

#include <array>
#include <string_view>
#include <vector>

namespace kwadrill {

// The five pitched parts; each has a MIDI channel of its own (0..4), drums use channel 10.
enum Part { kLead, kCounter, kComp, kPad, kBass, kPartCount };

// A General MIDI instrument and how it sits in the mix.
struct Instrument {
    int program;
    int volume;
    int pan;  // 0 left, 64 centre, 127 right
    int velocity;
    int gatePercent = 92;  // how much of each written note sounds
    int reverb = 40;
    int chorus = 0;
};

// A stretch of music: its harmony and its tunes.
struct Section {
    std::string_view name;
    int bars;
    std::string_view chords;
    std::string_view lead;
    std::string_view counter = {};
};

// How the band plays under a section. Comp, pad and bass patterns are step
// strings over the chords:
//   comp/pad: "C" whole chord, "c" whole chord softly, "1".."9" one note of
//             the close voicing counted upwards (past the top, an octave up);
//   bass:     "R" root (or the slash note), "3" "5" "7" chord notes, "8" root
//             an octave up, "L" fifth below, "a" a semitone below the next chord;
//   both:     "-" hold, "." silence.
// A held note is struck again where the chord changes.
struct Groove {
    std::string_view name;
    std::string_view drums = {};
    std::string_view fill = {};
    std::string_view bass = {};
    std::string_view comp = {};
    std::string_view pad = {};
};

// One pass of a section in the running order. `parts` says who plays:
// L lead, U lead an octave up, C counter, O counter doubling the lead an
// octave up, A comp, P pad, B bass, D drums, F drum fill in the last bar,
// X crash on the first beat, R call and response (the lead plays the first
// two bars of each four-bar phrase, the O line answers in the last two).
struct Entry {
    std::string_view section;
    std::string_view groove;
    std::string_view parts;
    int transpose = 0;
    int leadProgram = -1;
    int counterProgram = -1;
    double bpm = 0.0;     // 0 keeps the tempo
    double bpmEnd = 0.0;  // when set, the tempo moves there beat by beat
};

struct Piece {
    std::string_view name;
    int tonic;  // pitch class of the home key's tonic (0 C .. 11 B)
    double bpm;
    int meterNumerator;
    int meterDenominator;
    int stepsPerBar;
    int drumKit;
    std::array<Instrument, kPartCount> instruments;
    std::vector<Section> sections;
    std::vector<Groove> grooves;
    std::vector<Entry> arrangement;
    int compCentre = 64;
    int padCentre = 60;
    int bassLowest = 28;
    int drumVolume = 100;
    // Swing: the note value that swings (48 eighths, 24 sixteenths) and how
    // far its off-beat half leans towards the triplet (0 straight, 1 full).
    int swingUnit = 48;
    double swing = 0.0;
};

}  // namespace kwadrill
