#include "Pieces.h"

namespace kwadrill {

// Calm and inviting: flute over electric piano and brushes, F major, moving up to G.
Piece MenuPiece() {
    return {
        .name = "MENU",
        .tonic = 5,
        .bpm = 88,
        .meterNumerator = 4,
        .meterDenominator = 4,
        .stepsPerBar = 16,
        .drumKit = 40,
        .instruments = {{
            {.program = 73,
             .volume = 100,
             .pan = 70,
             .velocity = 86,
             .gatePercent = 95,
             .reverb = 60,
             .chorus = 20},
            {.program = 11,
             .volume = 84,
             .pan = 40,
             .velocity = 72,
             .gatePercent = 95,
             .reverb = 70},
            {.program = 4, .volume = 84, .pan = 88, .velocity = 64, .reverb = 50, .chorus = 40},
            {.program = 89, .volume = 72, .pan = 64, .velocity = 60, .reverb = 70},
            {.program = 33,
             .volume = 98,
             .pan = 64,
             .velocity = 84,
             .gatePercent = 95,
             .reverb = 20},
        }},
        .sections =
            {
                {"intro", 4, "F | Dm | Bb | C", ""},
                {"A", 8, "F | Dm | Bb | C | F | Am | Bb:2 C:2 | F:1",
                 "c5:4. a4:8 c5:4 f5:4 | e5:4. d5:8 a4:2 | d5:4. c5:8 bb4:4 d5:4 | c5:2 g4:4 a4:8 "
                 "bb4:8 |"
                 "c5:4. a4:8 c5:4 f5:4 | g5:4. f5:8 e5:4 c5:4 | d5:4 f5:4 e5:4 g5:4 | f5:2. r:4",
                 "a4:2 c5:2 | a4:2 f4:2 | f4:2 d4:2 | e4:2 g4:2 | a4:2 c5:2 | c5:2 a4:2 | f4:2 "
                 "g4:2 | a4:1"},
                {"B", 8, "Bb | C | Am | Dm | Gm | C | F/A:2 Bb:2 | C7:1",
                 "f5:4 d5:8 f5:8 bb5:2 | a5:4 g5:8 e5:8 c5:2 | e5:4 c5:8 e5:8 a5:4 g5:4 | f5:2. "
                 "r:4 |"
                 "d5:4 bb4:8 d5:8 g5:4 f5:4 | e5:4 c5:8 e5:8 g5:2 | a5:4 f5:4 d5:4 f5:4 | e5:2 "
                 "g4:4 a4:8 bb4:8",
                 "d4:2 f4:2 | e4:2 g4:2 | c4:2 e4:2 | f4:1 | d4:2 g4:2 | g4:2 e4:2 | c4:2 d4:2 | "
                 "e4:2 g4:2"},
                {"end", 3, "Bb:2 C:2 | F:1 | F:1", "d5:4 c5:4 bb4:4 g4:4 | a4:1 | ~:1"},
            },
        .grooves =
            {
                {.name = "intro",
                 .drums = "M:o.o.o.o.o.o.o.o.",
                 .bass = "R-------5-------",
                 .comp = "1-2-3-4-5-4-3-2-",
                 .pad = "C---------------"},
                {.name = "soft",
                 .drums = "k:x.......x.o..... s:....x.......x... h:o.o.o.o.o.o.o.o.",
                 .fill = "k:x.......x....... s:....x.....o.x.xx h:o.o.o.o.o.......",
                 .bass = "R-----R-5---3---",
                 .comp = "1-2-3-4-5-4-3-2-",
                 .pad = "C---------------"},
                {.name = "end",
                 .drums = "k:x............... y:x...............",
                 .bass = "R---------------",
                 .comp = "1-2-3-4-5-------",
                 .pad = "C---------------"},
            },
        .arrangement =
            {
                {.section = "intro", .groove = "intro", .parts = "APD"},
                {.section = "A", .groove = "soft", .parts = "LAPBDX"},
                {.section = "B", .groove = "soft", .parts = "LOAPBDFR"},
                {.section = "A",
                 .groove = "soft",
                 .parts = "LOCAPBDXR",
                 .leadProgram = 11,
                 .counterProgram = 73},
                {.section = "B",
                 .groove = "soft",
                 .parts = "LCAPBDF",
                 .transpose = 2,
                 .leadProgram = 71},
                {.section = "A", .groove = "soft", .parts = "LOCAPBDXR", .transpose = 2},
                {.section = "end",
                 .groove = "end",
                 .parts = "LAPBDX",
                 .transpose = 2,
                 .bpm = 88,
                 .bpmEnd = 66},
            },
        .padCentre = 62,
        .swingUnit = 24,
        .swing = 0.5,
    };
}

}  // namespace kwadrill
