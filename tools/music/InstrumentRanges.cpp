#include "InstrumentRanges.h"

#include <iterator>
#include <stdexcept>
#include <string>

namespace kwadrill {

namespace {

// Note names for readability: C4 is middle C (60).
constexpr int C1 = 24, E1 = 28, Bb1 = 34, C2 = 36, E2 = 40, F2 = 41, Ab2 = 44, C3 = 48, Db3 = 49,
              D3 = 50, E3 = 52, F3 = 53, G3 = 55, Ab3 = 56, A3 = 57, Bb3 = 58, C4 = 60, F4 = 65,
              A4 = 69, C5 = 72, D5 = 74, E5 = 76, F5 = 77, G5 = 79, A5 = 81, Bb5 = 82, C6 = 84,
              D6 = 86, Eb6 = 87, E6 = 88, G6 = 91, C7 = 96, E7 = 100, G7 = 103, C8 = 108;

// Indexed by program number, 0 to 127.
constexpr NoteRange kRanges[] = {
    // Pianos
    {E1, C7},
    {E1, C7},
    {E1, C7},
    {E1, C7},
    {E1, C7},
    {E1, C7},
    {C2, E7},
    {C3, C7},
    // Chromatic percussion: celesta, glockenspiel, music box, vibraphone,
    // marimba, xylophone, tubular bells, dulcimer
    {C4, C8},
    {G5, C8},
    {C4, C7},
    {F3, G6},
    {C3, C7},
    {F4, C8},
    {C4, F5},
    {C3, C6},
    // Organs, accordion, harmonica, bandoneon
    {C2, C7},
    {C2, C7},
    {C2, C7},
    {C2, C7},
    {C2, C7},
    {F3, E6},
    {C4, C6},
    {F3, E6},
    // Guitars; harmonics an octave up
    {E2, C6},
    {E2, C6},
    {E2, C6},
    {E2, C6},
    {E2, C6},
    {E2, D6},
    {E2, D6},
    {E3, E6},
    // Basses
    {E1, C4},
    {E1, C4},
    {E1, C4},
    {E1, C4},
    {E1, C4},
    {E1, C4},
    {C1, C4},
    {C1, C4},
    // Violin, viola, cello, contrabass, tremolo and pizzicato strings, harp, timpani
    {G3, G6},
    {C3, C6},
    {C2, E5},
    {E1, G3},
    {C2, G6},
    {E1, E6},
    {C2, C7},
    {C2, A3},
    // Ensembles, choir, voices, orchestra hit
    {C2, C7},
    {C2, C7},
    {C2, C7},
    {C2, C7},
    {C3, G5},
    {C3, G5},
    {C3, C6},
    {C3, C6},
    // Trumpet, trombone, tuba, muted trumpet, horn, brass section, synth brass
    {G3, Bb5},
    {E2, C5},
    {E1, Bb3},
    {G3, Bb5},
    {F2, F5},
    {F2, Bb5},
    {C2, C6},
    {C2, C6},
    // Soprano, alto, tenor and baritone sax, oboe, english horn, bassoon, clarinet
    {Ab3, Eb6},
    {Db3, A5},
    {Ab2, E5},
    {C2, A4},
    {Bb3, G6},
    {E3, A5},
    {Bb1, C5},
    {D3, G6},
    // Piccolo, flute, recorder, pan flute, bottle, shakuhachi, whistle, ocarina
    {D5, C8},
    {C4, C7},
    {C4, C7},
    {C4, C7},
    {C4, C6},
    {G3, C6},
    {D5, G7},
    {C4, D6},
    // Synth leads
    {C2, C7},
    {C2, C7},
    {C2, C7},
    {C2, C7},
    {C2, C7},
    {C2, C7},
    {C2, C7},
    {C2, C7},
    // Synth pads
    {C2, C6},
    {C2, C6},
    {C2, C6},
    {C2, C6},
    {C2, C6},
    {C2, C6},
    {C2, C6},
    {C2, C6},
    // Synth effects
    {C2, C7},
    {C2, C7},
    {C2, C7},
    {C2, C7},
    {C2, C7},
    {C2, C7},
    {C2, C7},
    {C2, C7},
    // Sitar, banjo, shamisen, koto, kalimba, bagpipe, fiddle, shanai
    {C3, C6},
    {C3, C6},
    {D3, G5},
    {G3, G6},
    {C4, G6},
    {G3, F5},
    {G3, G6},
    {C4, E6},
    // Percussive: tinkle bell, agogo, steel drums, woodblock, taiko, melodic tom, synth drum,
    // reverse cymbal
    {C5, C8},
    {C4, C7},
    {C4, C6},
    {C4, C7},
    {C2, C5},
    {C2, C5},
    {C2, C5},
    {C2, C7},
    // Sound effects
    {C2, C7},
    {C2, C7},
    {C2, C7},
    {C2, C7},
    {C2, C7},
    {C2, C7},
    {C2, C7},
    {C2, C7},
};
static_assert(std::size(kRanges) == 128, "one range per General MIDI program");

}  // namespace

NoteRange ComfortableRange(int program) {
    if (program < 0 || program >= static_cast<int>(std::size(kRanges))) {
        throw std::out_of_range("no General MIDI program " + std::to_string(program));
    }
    return kRanges[static_cast<std::size_t>(program)];
}

}  // namespace kwadrill
