#include "Pieces.h"

namespace kwadrill {

// Latin in G minor: marimba and saxophone over nylon guitar, congas and brass stabs.
Piece Game7Piece() {
    return {
        .name = "GAME7",
        .tonic = 7,
        .bpm = 118,
        .meterNumerator = 4,
        .meterDenominator = 4,
        .stepsPerBar = 16,
        .drumKit = 0,
        .instruments = {{
            {.program = 12,
             .volume = 104,
             .pan = 56,
             .velocity = 100,
             .gatePercent = 90,
             .reverb = 45},
            {.program = 65,
             .volume = 84,
             .pan = 84,
             .velocity = 84,
             .gatePercent = 95,
             .reverb = 50},
            {.program = 24,
             .volume = 86,
             .pan = 36,
             .velocity = 80,
             .gatePercent = 70,
             .reverb = 35},
            {.program = 61,
             .volume = 72,
             .pan = 92,
             .velocity = 88,
             .gatePercent = 80,
             .reverb = 40},
            {.program = 33,
             .volume = 100,
             .pan = 64,
             .velocity = 96,
             .gatePercent = 85,
             .reverb = 15},
        }},
        .sections =
            {
                {"intro", 4, "Gm | Cm | D7 | D7", ""},
                {"A", 8, "Gm | Cm | F | Bb | Eb | Cm | D7 | Gm",
                 "d5:8. bb4:16 r:8 g4 d5 bb4 c5 d5 | eb5:4 d5:8 c5 ~:4 g4 | f5:8. c5:16 r:8 a4 f5 "
                 "eb5 d5 c5 |"
                 "d5:4. bb4:8 ~:2 | g5:8. eb5:16 r:8 bb4 g5 f5 eb5 g5 | f5:8 eb5 c5 g4 c5:4 eb5 |"
                 "d5:8 f#5 a5 c6 a5 f#5 d5 c5 | bb4:4 g4 r:2",
                 "g4:2 bb4:2 | g4:2 eb4:2 | a4:2 c5:2 | bb4:2 f4:2 | g4:2 bb4:2 | c5:2 g4:2 | "
                 "f#4:2 a4:2 | g4:1"},
                {"B", 8, "Eb | F | Dm | Gm | Cm | F | Bb:2 Gm:2 | D7:1",
                 "bb5:4. g5:8 eb5:4 bb4 | c6:4. a5:8 f5:4 c5 | d5:8 f5 a5 d6 c6 a5 f5 a5 | g5:2. "
                 "r:4 |"
                 "eb5:8 g5 c6 eb6 d6 c6 g5 eb5 | f5 a5 c6 f6 eb6 c6 a5 f5 | d6:4 bb5 g5 d5 | f#5:4 "
                 "a5 c6 d6",
                 "g4:1 | a4:1 | f4:2 a4:2 | bb4:1 | g4:2 c5:2 | a4:2 c5:2 | bb4:2 d5:2 | c5:2 "
                 "a4:2"},
                {"end", 2, "Gm | Gm", "g5:8. d5:16 r:8 bb4 g4:4 r:4 | g4:1"},
            },
        .grooves =
            {
                {.name = "intro",
                 .drums = "k:x..x....x..x.... v:x..x..x...x.x... M:xoxxxoxxxoxxxoxx",
                 .fill = "k:x..x....x..x.... s:....x...x.xxXxXX",
                 .bass = "R--5R--5R--5R--5",
                 .comp = "C.cC.c.C.cC.c.C."},
                {.name = "samba",
                 .drums = "k:x..x....x..x.... v:x..x..x...x.x... M:xoxxxoxxxoxxxoxx "
                          "Q:......x.......x. u:...x.....x.x....",
                 .fill = "k:x..x....x..x.... s:....x...x.xxXxXX l:........x.x.....",
                 .bass = "R--5R--5R--5R--5",
                 .comp = "C.cC.c.C.cC.c.C.",
                 .pad = "......C.......C."},
                {.name = "end",
                 .drums = "k:x..x....x..x.... M:xoxxxoxxxoxxxoxx",
                 .fill = "k:X............... s:X...............",
                 .bass = "R--5R--5R-------",
                 .comp = "C.cC.c.C.cC.c.C.",
                 .pad = "C-------........"},
            },
        .arrangement =
            {
                {.section = "intro", .groove = "intro", .parts = "ABDF"},
                {.section = "A", .groove = "samba", .parts = "LAPBDX"},
                {.section = "A", .groove = "samba", .parts = "LOCAPBDFR"},
                {.section = "B", .groove = "samba", .parts = "LOAPBDXR", .leadProgram = 56},
                {.section = "A", .groove = "samba", .parts = "LOCAPBDFR"},
                {.section = "B",
                 .groove = "samba",
                 .parts = "LOCAPBDXR",
                 .leadProgram = 65,
                 .counterProgram = 12},
                {.section = "A",
                 .groove = "samba",
                 .parts = "LAPBDX",
                 .transpose = 5,
                 .leadProgram = 65},
                {.section = "B", .groove = "samba", .parts = "LOCAPBDFR", .transpose = 5},
                {.section = "A", .groove = "samba", .parts = "LCAPBDX", .transpose = 5},
                {.section = "end", .groove = "end", .parts = "LAPBDFX", .transpose = 5},
            },
        .compCentre = 62,
        .padCentre = 66,
        .bassLowest = 26,
    };
}

}  // namespace kwadrill
