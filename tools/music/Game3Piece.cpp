#include "Pieces.h"

namespace kwadrill {

namespace {

// A mountain king's march (Grieg, 1875), creeping in B minor and ever faster.
constexpr std::string_view kTheme =
    "b3:8 c#4 d4 e4 f#4 d4 f#4:4 | f4:8 c#4 f4:4 e4:8 c4 e4:4 | b3:8 c#4 d4 e4 f#4 d4 f#4 b4 |"
    "a4 f#4 d4 f#4 a4:2 | f#4:8 g#4 a#4 b4 c#5 a#4 c#5:4 | d5:8 a#4 d5:4 c#5:8 a#4 c#5:4 |"
    "f#4:8 g#4 a#4 b4 c#5 a#4 c#5 f#5 | e5 c#5 a#4 c#5 e5:2";
constexpr std::string_view kAnswer =
    "b3:8 c#4 d4 e4 f#4 d4 f#4:4 | f4:8 c#4 f4:4 e4:8 c4 e4:4 | b3:8 c#4 d4 e4 f#4 d4 f#4 b4 |"
    "a4 f#4 d4 f#4 b4:2 | b4:8 c#5 d5 e5 f#5 d5 f#5:4 | f5:8 c#5 f5:4 e5:8 c5 e5:4 |"
    "b4:8 c#5 d5 e5 f#5 d5 f#5 b5 | a5 f#5 d5 f#5 b5:2";
// The bridge: a broad tune in the relative major that turns back to F sharp.
constexpr std::string_view kMarchBridge =
    "a4:4. f#4:8 d5:4 a4:4 | g4:4. e4:8 c#5:4 a4:4 | f#4:4. d4:8 b4:4 f#4:4 | a4:2 c#5:2 |"
    "b4:4. a4:8 g4:4 b4:4 | a4:4. f#4:8 d4:4 f#4:4 | g4:4 e4:4 a4:4 c#5:4 | d5:2 c#5:4 a#4:4";

}  // namespace

// The march starts on bassoon and pizzicato and ends as a full-tilt rock piece;
// a bridge in D major comes between its passes.
Piece Game3Piece() {
    return {
        .name = "GAME3",
        .tonic = 11,
        .bpm = 92,
        .meterNumerator = 4,
        .meterDenominator = 4,
        .stepsPerBar = 16,
        .drumKit = 0,
        .instruments = {{
            {.program = 70,
             .volume = 104,
             .pan = 56,
             .velocity = 92,
             .gatePercent = 70,
             .reverb = 45},
            {.program = 68,
             .volume = 84,
             .pan = 80,
             .velocity = 84,
             .gatePercent = 70,
             .reverb = 45},
            {.program = 45,
             .volume = 86,
             .pan = 40,
             .velocity = 84,
             .gatePercent = 50,
             .reverb = 50},
            {.program = 48, .volume = 68, .pan = 88, .velocity = 62, .reverb = 60},
            {.program = 32,
             .volume = 100,
             .pan = 64,
             .velocity = 92,
             .gatePercent = 60,
             .reverb = 30},
        }},
        .sections =
            {
                {"intro", 4, "Bm | Bm | Bm | F#", ""},
                {"A", 8, "Bm | C#:2 C:2 | Bm:1 | D | F# | Daug:2 F#:2 | F#:1 | F#7", kTheme},
                {"B", 8, "Bm | C#:2 C:2 | Bm:1 | D:2 Bm:2 | Bm:1 | C#:2 C:2 | Bm:1 | D:2 Bm:2",
                 kAnswer},
                {"C", 8, "D | A7/C# | Bm | F#m | G | D/F# | Em:2 A7:2 | D:2 F#7:2", kMarchBridge,
                 "f#4:2 a4:2 | e4:2 g4:2 | d4:2 f#4:2 | c#4:2 e4:2 | d4:2 g4:2 | f#4:2 a4:2 |"
                 "b3:2 c#4:2 | d4:2 e4:2"},
                {"end", 4, "Bm | Bm | F#7 | Bm",
                 "b3:8 c#4 d4 e4 f#4 d4 f#4:4 | b4:1 | f#4:4 c#4:4 a#3:4 f#3:4 | b3:4 r:2."},
            },
        .grooves =
            {
                {.name = "creep",
                 .bass = "R...R...R...R...",
                 .comp = "C.......C.......",
                 .pad = "C---------------"},
                {.name = "march",
                 .drums = "k:x...x...x...x... s:........o.......",
                 .bass = "R...R...R...R...",
                 .comp = "C...C...C...C...",
                 .pad = "C---------------"},
                {.name = "rock",
                 .drums = "k:x...x.x.x...x... s:....X.......X... h:x.x.x.x.x.x.x.x.",
                 .fill = "k:x...x........... s:....X...x.x.XXXX",
                 .bass = "R.R.R.R.R.R.R.R.",
                 .comp = "C...C...C...C...",
                 .pad = "C---------------"},
                {.name = "rush",
                 .drums = "k:x.x.x.x.x.x.x.x. s:....X.......X... h:xxxxxxxxxxxxxxxx",
                 .fill = "k:x.x.x.x......... s:....X...XXXXXXXX",
                 .bass = "R.R.R.R.R.R.R.R.",
                 .comp = "C.C.C.C.C.C.C.C.",
                 .pad = "C---------------"},
                {.name = "end",
                 .drums = "k:X...x...x...x... s:X...x...x...x...",
                 .bass = "R...R...R...R...",
                 .comp = "C...C...C...C...",
                 .pad = "C---------------"},
            },
        .arrangement =
            {
                {.section = "intro", .groove = "creep", .parts = "APB"},
                {.section = "A", .groove = "creep", .parts = "LAB", .bpm = 92, .bpmEnd = 100},
                {.section = "B", .groove = "march", .parts = "LOAPBDR", .bpm = 100, .bpmEnd = 110},
                {.section = "C", .groove = "march", .parts = "LCAPBDF", .bpm = 110, .bpmEnd = 120},
                {.section = "A",
                 .groove = "rock",
                 .parts = "LOAPBDXR",
                 .leadProgram = 48,
                 .bpm = 120,
                 .bpmEnd = 132},
                {.section = "C",
                 .groove = "rock",
                 .parts = "LOAPBDFR",
                 .leadProgram = 30,
                 .counterProgram = 61,
                 .bpm = 132,
                 .bpmEnd = 144},
                {.section = "B",
                 .groove = "rock",
                 .parts = "LOAPBDF",
                 .leadProgram = 30,
                 .counterProgram = 61,
                 .bpm = 144,
                 .bpmEnd = 156},
                {.section = "C",
                 .groove = "rush",
                 .parts = "LOCAPBDFR",
                 .leadProgram = 30,
                 .counterProgram = 61,
                 .bpm = 156,
                 .bpmEnd = 168},
                {.section = "A",
                 .groove = "rush",
                 .parts = "LOAPBDXR",
                 .leadProgram = 30,
                 .counterProgram = 61,
                 .bpm = 168,
                 .bpmEnd = 180},
                {.section = "end",
                 .groove = "end",
                 .parts = "LOAPBDX",
                 .leadProgram = 61,
                 .counterProgram = 30},
            },
        .compCentre = 60,
        .padCentre = 62,
        .bassLowest = 28,
    };
}

}  // namespace kwadrill
