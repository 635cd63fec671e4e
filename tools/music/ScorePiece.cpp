#include "Pieces.h"

namespace kwadrill {

// A brass fanfare in C for a new high score, rising to D for its close.
Piece ScorePiece() {
    return {
        .name = "SCORE",
        .tonic = 0,
        .bpm = 112,
        .meterNumerator = 4,
        .meterDenominator = 4,
        .stepsPerBar = 16,
        .drumKit = 0,
        .instruments = {{
            {.program = 56,
             .volume = 110,
             .pan = 64,
             .velocity = 104,
             .gatePercent = 90,
             .reverb = 60},
            {.program = 60,
             .volume = 92,
             .pan = 40,
             .velocity = 90,
             .gatePercent = 96,
             .reverb = 60},
            {.program = 61,
             .volume = 88,
             .pan = 90,
             .velocity = 96,
             .gatePercent = 80,
             .reverb = 55},
            {.program = 48, .volume = 80, .pan = 64, .velocity = 72, .reverb = 70},
            {.program = 58,
             .volume = 96,
             .pan = 64,
             .velocity = 92,
             .gatePercent = 90,
             .reverb = 40},
        }},
        .sections =
            {
                {"intro", 2, "C | G", ""},
                {"A", 4, "C | F:2 C:2 | C/E:2 F:2 | G:1",
                 "c5:8. c5:16 c5:8. c5:16 g5:2 | a5:4 f5:4 e5:4. g5:8 | g5:4 e5:8 c5:8 a5:4 f5:4 | "
                 "g5:2. r:4",
                 "e4:2 g4:2 | a4:2 g4:2 | g4:2 a4:2 | b4:2 d5:2"},
                {"B", 4, "Am:2 F:2 | C/G:2 G:2 | F:2 Dm:2 | A7:1",
                 "e5:4 c5:8 e5:8 a5:4 c6:4 | g5:4 e5:8 g5:8 b5:2 | a5:4 f5:4 d5:4 f5:4 | e5:2 "
                 "c#5:2",
                 "a4:2 c5:2 | g4:2 b4:2 | a4:2 f4:2 | g4:2 e4:2"},
                {"end", 5, "F:2 G:2 | C:2 F:2 | C/G:2 G7:2 | C:1 | C:1",
                 "a5:4 f5:4 b5:4 g5:4 | c6:2 a5:2 | g5:4. e5:8 d5:4 f5:4 | c6:1 | ~:1",
                 "f4:2 g4:2 | e4:2 a4:2 | g4:2 b4:2 | e5:1 | ~:1"},
            },
        .grooves =
            {
                {.name = "roll",
                 .drums = "K:x............... s:ooooooooxxxxxxxX",
                 .bass = "R---------------",
                 .comp = "C-------C-------"},
                {.name = "fanfare",
                 .drums = "K:x.......x....... s:....x.x.....x.xx",
                 .bass = "R-------5-------",
                 .comp = "C...C...C.C.C...",
                 .pad = "C---------------"},
                {.name = "close",
                 .drums = "K:x.......x....... s:oooooooooooooooo",
                 .bass = "R-------5-------",
                 .comp = "C-------C-------",
                 .pad = "C---------------"},
            },
        .arrangement =
            {
                {.section = "intro", .groove = "roll", .parts = "ABD"},
                {.section = "A", .groove = "fanfare", .parts = "LCAPBDX"},
                {.section = "B", .groove = "fanfare", .parts = "LOCAPBDR"},
                {.section = "A", .groove = "fanfare", .parts = "LOCAPBDXR", .transpose = 2},
                {.section = "end",
                 .groove = "close",
                 .parts = "LCAPBDX",
                 .transpose = 2,
                 .bpm = 112,
                 .bpmEnd = 84},
            },
        .compCentre = 62,
        .padCentre = 60,
        .bassLowest = 31,
    };
}

}  // namespace kwadrill
