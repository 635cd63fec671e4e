#include "Pieces.h"

namespace kwadrill {

// Laid-back funk rock in E minor: guitar lead over slap bass, organ and choppy rhythm guitar.
Piece Game4Piece() {
    return {
        .name = "GAME4",
        .tonic = 4,
        .bpm = 118,
        .meterNumerator = 4,
        .meterDenominator = 4,
        .stepsPerBar = 16,
        .drumKit = 0,
        .instruments = {{
            {.program = 29,
             .volume = 92,
             .pan = 70,
             .velocity = 96,
             .gatePercent = 88,
             .reverb = 40},
            {.program = 17,
             .volume = 80,
             .pan = 40,
             .velocity = 80,
             .gatePercent = 95,
             .reverb = 40},
            {.program = 27,
             .volume = 84,
             .pan = 96,
             .velocity = 84,
             .gatePercent = 60,
             .reverb = 30},
            {.program = 16, .volume = 64, .pan = 30, .velocity = 64, .reverb = 40},
            {.program = 36,
             .volume = 100,
             .pan = 64,
             .velocity = 100,
             .gatePercent = 80,
             .reverb = 15},
        }},
        .sections =
            {
                {"A", 8, "Em7 | Em7 | Am7 | B7 | Em7 | G | Am7:2 B7:2 | Em7:1",
                 "e5:8 g5 r a5 b5:4 a5:8 g5 | e5:4. d5:8 e5:2 | c5:8 e5 r g5 a5:4 g5:8 e5 | f#5:4. "
                 "d#5:8 b4:2 |"
                 "e5:8 g5 r a5 b5:4 d6:8 b5 | d6:4. b5:8 g5:2 | a5:8 g5 e5 c5 b4 d#5 f#5 a5 | g5 "
                 "f#5 e5:4 r:2",
                 "b4:2 g4:2 | b4:2 g4:2 | c5:2 e5:2 | d#5:2 f#4:2 | b4:2 g4:2 | b4:2 d5:2 | c5:2 "
                 "a4:2 | b4:1"},
                {"B", 8, "Cmaj7 | D | Bm7 | Em7 | Cmaj7 | D | B7 | B7",
                 "g5:4 e5:8 g5 b5:4 g5 | a5:4 f#5:8 a5 d6:2 | b5:4. a5:8 f#5:4 d5 | e5:2 r:4 e5:8 "
                 "g5 |"
                 "c6:4 b5:8 g5 e5:4 g5 | f#5:4 a5:8 f#5 d5:4 f#5 | d#5:4. f#5:8 a5:4 f#5 | d#5:2 "
                 "b4:4 r:4",
                 "e4:2 g4:2 | f#4:2 a4:2 | f#4:2 d4:2 | g4:2 b4:2 | e4:2 g4:2 | f#4:2 a4:2 | f#4:2 "
                 "a4:2 | b4:1"},
                {"C", 8,
                 "Em7:2 A:2 | Em7:2 A:2 | G:2 D:2 | Cmaj7:2 B7:2 | Em7:2 A:2 | Em7:2 A:2 | G:2 D:2 "
                 "| Cmaj7:2 B7:2",
                 "b4:8 e5 g5 b5 a5 e5 c#5 e5 | b4 e5 g5 b5 c#6:4 a5 | b5:8 g5 d5 g5 a5 f#5 d5 f#5 |"
                 "g5:4 e5 f#5 d#5 | e5:4. g5:8 a5:4 c#6 | b5:4. g5:8 e5:4 c#5 | d5:8 g5 b5 d6 a5 "
                 "d6 f#6 d6 |"
                 "e6:4 b5 b5 d#5"},
                {"end", 4, "Em7 | Em7 | Em7 | Em7",
                 "e5:8 g5 r a5 b5:4 a5:8 g5 | e5:4. d5:8 e5:2 | e5:8 g5 r a5 b5:4 d6:8 b5 | e6:1"},
            },
        .grooves =
            {
                {.name = "intro",
                 .drums = "k:x.....x..x.x.... h:x.x.x.x.x.x.xox.",
                 .fill = "k:x.....x......... s:....X...x.x.xxXX",
                 .bass = "R..R..R.8.R..7.5"},
                {.name = "funk",
                 .drums = "k:x.....x..x.x.... s:....X..o.o..X..o h:x.x.x.x.x.x.xox.",
                 .fill = "k:x.....x......... s:....X...x.x.xxXX m:.........x.x....",
                 .bass = "R..R..R.8.R..7.5",
                 .comp = "..c...C...c.C..c",
                 .pad = "C-------C-------"},
                {.name = "ride",
                 .drums = "k:x.......x....... s:....x.......x... y:x.x.x.x.x.x.x.x.",
                 .bass = "R-------R-----5-",
                 .pad = "C---------------"},
                {.name = "end",
                 .drums = "k:x.....x..x.x.... s:....X..o.o..X..o h:x.x.x.x.x.x.xox.",
                 .fill = "k:X............... c:X...............",
                 .bass = "R..R..R.8.R..7.5",
                 .comp = "..c...C...c.C..c",
                 .pad = "C---------------"},
            },
        .arrangement =
            {
                {.section = "A", .groove = "intro", .parts = "BDF"},
                {.section = "A", .groove = "funk", .parts = "LAPBDX"},
                {.section = "A", .groove = "funk", .parts = "LOCAPBDFR", .leadProgram = 30},
                {.section = "B", .groove = "funk", .parts = "LOCAPBDXR"},
                {.section = "A", .groove = "funk", .parts = "LCAPBDF"},
                {.section = "C", .groove = "ride", .parts = "LOPBDXR", .leadProgram = 18},
                {.section = "A", .groove = "funk", .parts = "LAPBDX", .transpose = 2},
                {.section = "B", .groove = "funk", .parts = "LOCAPBDFR", .transpose = 2},
                {.section = "C",
                 .groove = "ride",
                 .parts = "LPBDX",
                 .transpose = 2,
                 .leadProgram = 18},
                {.section = "A",
                 .groove = "funk",
                 .parts = "LOCAPBDFR",
                 .transpose = 2,
                 .leadProgram = 30},
                {.section = "end", .groove = "end", .parts = "LAPBDFX", .transpose = 2},
            },
        .compCentre = 62,
        .padCentre = 64,
        .swingUnit = 24,
        .swing = 0.35,
    };
}

}  // namespace kwadrill
