#include "Pieces.h"

namespace kwadrill {

// Epic rock in F sharp minor: distorted guitar, staccato strings, choir and a galloping middle.
Piece Game10Piece() {
    return {
        .name = "GAME10",
        .tonic = 6,
        .bpm = 144,
        .meterNumerator = 4,
        .meterDenominator = 4,
        .stepsPerBar = 16,
        .drumKit = 16,
        .instruments = {{
            {.program = 30,
             .volume = 90,
             .pan = 64,
             .velocity = 98,
             .gatePercent = 95,
             .reverb = 45},
            {.program = 61,
             .volume = 80,
             .pan = 40,
             .velocity = 86,
             .gatePercent = 95,
             .reverb = 50},
            {.program = 48,
             .volume = 80,
             .pan = 90,
             .velocity = 84,
             .gatePercent = 45,
             .reverb = 45},
            {.program = 52, .volume = 70, .pan = 64, .velocity = 66, .reverb = 70},
            {.program = 34,
             .volume = 100,
             .pan = 64,
             .velocity = 100,
             .gatePercent = 80,
             .reverb = 15},
        }},
        .sections =
            {
                {"intro", 4, "F#m | D | E | C#", ""},
                {"A", 8, "F#m | D | A | E | F#m | D | Bm:2 C#:2 | F#m:1",
                 "f#4:4. c#5:8 ~:4 f#5 | e5:8 d5 c#5 d5 ~:2 | c#5:4. e5:8 ~:4 a5 | g#5:4. f#5:8 "
                 "e5:2 |"
                 "f#5:4. a5:8 ~:4 c#6 | b5:8 a5 f#5 d5 ~:2 | d5:4 f#5 e#5 g#5 | f#5:1",
                 "a4:2 c#5:2 | a4:2 f#4:2 | e4:2 a4:2 | b4:2 g#4:2 | a4:2 c#5:2 | a4:2 d5:2 | d5:2 "
                 "e#4:2 | f#4:1"},
                {"B", 8, "D | E | C#m | F#m | D | E | C# | C#7",
                 "a5:4 f#5:8 a5 d6:2 | b5:4 g#5:8 b5 e6:2 | c#6:4. b5:8 g#5:4 e5 | f#5:2. r:4 |"
                 "a5:8 b5 a5 f#5 d5:4 f#5 | b5:8 c#6 b5 g#5 e5:4 g#5 | e#5:4 g#5 c#6 e#6 | g#5:2 "
                 "b5:2",
                 "f#4:2 a4:2 | g#4:2 b4:2 | g#4:2 e4:2 | a4:2 c#5:2 | f#4:2 a4:2 | g#4:2 e4:2 | "
                 "g#4:2 e#4:2 | b4:2 e#4:2"},
                {"C", 8, "A | E/G# | F#m | D | A | E/G# | D | E",
                 "e5:2 c#5:2 | b4:2 e5:2 | f#5:2 c#5:2 | d5:1 | e5:2 a5:2 | g#5:2 e5:2 | f#5:2 "
                 "a5:2 | g#5:1",
                 "c#5:1 | b4:1 | a4:1 | a4:1 | c#5:1 | b4:1 | a4:1 | b4:1"},
                {"end", 4, "F#m | D | E:2 C#:2 | F#m:1",
                 "f#4:4. c#5:8 ~:4 f#5 | a5:2 f#5:2 | g#5:2 e#5:2 | f#5:1"},
            },
        .grooves =
            {
                {.name = "intro",
                 .drums = "k:x...x...x...x... y:x.x.x.x.x.x.x.x.",
                 .fill = "k:x...x...x...x... s:........x.x.XXXX",
                 .bass = "R---------------",
                 .pad = "C---------------"},
                {.name = "rock",
                 .drums = "k:x.x.....x.x..... s:....X.......X... h:x.x.x.x.x.x.x.x.",
                 .fill = "k:x.x.....x....... s:....X...X.X.XXXX",
                 .bass = "R.R.R.R.R.R.R.R.",
                 .comp = "C.C.C.C.C.C.C.C.",
                 .pad = "C---------------"},
                {.name = "gallop",
                 .drums = "k:x.xxx.xxx.xxx.xx s:....X.......X... y:x...x...x...x...",
                 .fill = "k:x.xxx.xxx....... s:....X...X.X.XXXX",
                 .bass = "R.RRR.RRR.RRR.RR",
                 .comp = "C.CCC.CCC.CCC.CC",
                 .pad = "C---------------"},
                {.name = "half",
                 .drums = "k:x.........x..... s:........X....... y:x...x...x...x...",
                 .bass = "R-------R-------",
                 .comp = "C.......C.......",
                 .pad = "C---------------"},
                {.name = "end",
                 .drums = "k:x.x.....x.x..... s:....X.......X... h:x.x.x.x.x.x.x.x.",
                 .fill = "k:X............... c:X...............",
                 .bass = "R.R.R.R.R.R.R.R.",
                 .comp = "C.C.C.C.C.C.C.C.",
                 .pad = "C---------------"},
            },
        .arrangement =
            {
                {.section = "intro", .groove = "intro", .parts = "PBDF"},
                {.section = "A", .groove = "rock", .parts = "LAPBDX"},
                {.section = "A", .groove = "rock", .parts = "LOCAPBDFR"},
                {.section = "B", .groove = "rock", .parts = "LOCAPBDXR"},
                {.section = "C",
                 .groove = "half",
                 .parts = "LOCAPBDXR",
                 .leadProgram = 40,
                 .counterProgram = 48},
                {.section = "A", .groove = "gallop", .parts = "LOCAPBDXR"},
                {.section = "B", .groove = "gallop", .parts = "LCAPBDF"},
                {.section = "A", .groove = "rock", .parts = "LOAPBDXR", .transpose = 1},
                {.section = "B", .groove = "rock", .parts = "LCAPBDF", .transpose = 1},
                {.section = "A",
                 .groove = "gallop",
                 .parts = "LOAPBDXR",
                 .transpose = 1,
                 .counterProgram = 61},
                {.section = "end", .groove = "end", .parts = "LOAPBDFX", .transpose = 1},
            },
        .compCentre = 62,
        .padCentre = 64,
    };
}

}  // namespace kwadrill
