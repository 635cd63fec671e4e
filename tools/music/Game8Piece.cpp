#include "Pieces.h"

namespace kwadrill {

// Fast breakbeat in C minor: long saw-lead lines over rushing drums and a sweeping pad.
Piece Game8Piece() {
    return {
        .name = "GAME8",
        .tonic = 0,
        .bpm = 172,
        .meterNumerator = 4,
        .meterDenominator = 4,
        .stepsPerBar = 16,
        .drumKit = 0,
        .instruments = {{
            {.program = 81,
             .volume = 60,
             .pan = 64,
             .velocity = 96,
             .gatePercent = 95,
             .reverb = 55,
             .chorus = 30},
            {.program = 5,
             .volume = 56,
             .pan = 40,
             .velocity = 76,
             .gatePercent = 95,
             .reverb = 50},
            {.program = 50,
             .volume = 52,
             .pan = 90,
             .velocity = 82,
             .gatePercent = 70,
             .reverb = 50},
            {.program = 95, .volume = 49, .pan = 64, .velocity = 66, .reverb = 70},
            {.program = 38,
             .volume = 73,
             .pan = 64,
             .velocity = 100,
             .gatePercent = 90,
             .reverb = 10},
        }},
        .sections =
            {
                {"A", 8, "Cm | Abmaj7 | Eb | Bb | Cm | Ab | Fm:2 G:2 | Cm:1",
                 "g5:4. eb5:8 ~:2 | c6:4. g5:8 ~:4 eb5 | bb5:2 g5:4 eb5 | f5:2. d5:4 |"
                 "g5:4. eb5:8 ~:4 c5 | eb5:4. c5:8 ~:4 ab4 | ab4:4 c5 b4 d5 | c5:1",
                 "eb4:2 g4:2 | eb4:2 c4:2 | g4:2 bb4:2 | d4:2 f4:2 | eb4:2 g4:2 | c4:2 eb4:2 | "
                 "f4:2 g4:2 | eb4:1"},
                {"B", 8, "Ab | Bb | Gm | Cm | Ab | Bb | Gsus4:2 G:2 | G:1",
                 "c6:8 bb5 ab5 eb5 ~:4 c5 | d6:8 c6 bb5 f5 ~:4 d5 | g5:8 f5 d5 bb4 d5:4 g5 | "
                 "eb5:2. r:4 |"
                 "c6:8 bb5 ab5 eb5 ~:4 ab5 | d6:8 c6 bb5 f5 ~:4 bb5 | c6:2 b5:2 | d6:2 b5:4 g5",
                 "eb4:1 | f4:1 | d4:1 | eb4:1 | c4:1 | d4:1 | c4:2 b3:2 | d4:1"},
                {"end", 2, "Cm | Cm", "c5:1 | ~:1"},
            },
        .grooves =
            {
                {.name = "break",
                 .drums = "k:x.........x..... s:....X....o..X..o h:x.x.x.x.x.x.x.x.",
                 .fill = "k:x.........x..... s:....X...X.XXXXXX",
                 .bass = "R-------R-----a-",
                 .comp = "C.....c...C.....",
                 .pad = "C---------------"},
                {.name = "drop",
                 .drums =
                     "k:x.....x...x..... s:....X.......X..o h:xxxxxxxxxxxxxxxx y:x...x...x...x...",
                 .fill = "k:x.........x..... s:....X...X.XXXXXX",
                 .bass = "R.R.R.8.R.R.5.a.",
                 .comp = "C.....c...C.....",
                 .pad = "C---------------"},
                {.name = "end",
                 .drums = "k:X............... c:X...............",
                 .bass = "R---------------",
                 .pad = "C---------------"},
            },
        .arrangement =
            {
                {.section = "A", .groove = "break", .parts = "PBDF"},
                {.section = "A", .groove = "break", .parts = "LAPBDX"},
                {.section = "A", .groove = "break", .parts = "LOCAPBDFR"},
                {.section = "B", .groove = "break", .parts = "LOAPBDXR"},
                {.section = "B", .groove = "break", .parts = "LOCAPBDFR", .leadProgram = 62},
                {.section = "A", .groove = "drop", .parts = "LOAPBDXR"},
                {.section = "B", .groove = "drop", .parts = "LCAPBDF"},
                {.section = "A",
                 .groove = "break",
                 .parts = "LOCAPBDXR",
                 .transpose = 3,
                 .leadProgram = 62},
                {.section = "B", .groove = "break", .parts = "LCAPBDF", .transpose = 3},
                {.section = "A",
                 .groove = "drop",
                 .parts = "LOAPBDXR",
                 .transpose = 3,
                 .counterProgram = 81},
                {.section = "B",
                 .groove = "drop",
                 .parts = "LOAPBDF",
                 .transpose = 3,
                 .counterProgram = 81},
                {.section = "end", .groove = "end", .parts = "LPBDX", .transpose = 3},
            },
        .compCentre = 64,
        .padCentre = 60,
        .bassLowest = 24,
        .drumVolume = 76,
        .swingUnit = 24,
        .swing = 0.2,
    };
}

}  // namespace kwadrill
