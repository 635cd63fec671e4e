#include "Pieces.h"

namespace kwadrill {

namespace {

// An old washerwoman's jig: a folk tune in G, played AABB.
constexpr std::string_view kJigA =
    "b4:8 g4 g4 d4 g4 g4 | b4 g4 b4 d5 c5 b4 | c5 a4 a4 e4 a4 a4 | c5 a4 c5 e5 d5 c5 |"
    "b4 g4 g4 d4 g4 g4 | b4 g4 b4 d5 c5 b4 | c5 d5 c5 b4 c5 a4 | b4 g4 g4 g4 d5 c5";
constexpr std::string_view kJigB =
    "g5:8 d5 d5 b4 d5 d5 | g5 d5 d5 b4 d5 g5 | g5 e5 e5 c5 e5 e5 | g5 e5 e5 c5 e5 g5 |"
    "b5 g5 g5 d5 g5 g5 | a5 f#5 d5 a4 d5 f#5 | c5 d5 c5 b4 c5 a4 | b4 g4 g4 g4:4.";

}  // namespace

// A jig in 6/8: fiddle, whistle and accordion over guitar and bodhran-like drums.
Piece Game2Piece() {
    return {
        .name = "GAME2",
        .tonic = 7,
        .bpm = 174,
        .meterNumerator = 6,
        .meterDenominator = 8,
        .stepsPerBar = 6,
        .drumKit = 0,
        .instruments = {{
            {.program = 110,
             .volume = 100,
             .pan = 58,
             .velocity = 96,
             .gatePercent = 88,
             .reverb = 45},
            {.program = 78,
             .volume = 82,
             .pan = 84,
             .velocity = 80,
             .gatePercent = 95,
             .reverb = 55},
            {.program = 25,
             .volume = 80,
             .pan = 30,
             .velocity = 74,
             .gatePercent = 70,
             .reverb = 35},
            {.program = 21, .volume = 66, .pan = 96, .velocity = 62, .reverb = 45},
            {.program = 32,
             .volume = 96,
             .pan = 64,
             .velocity = 92,
             .gatePercent = 80,
             .reverb = 20},
        }},
        .sections =
            {
                {"intro", 4, "G | C:4. D:4. | G:2. | D:2.", ""},
                {"A", 8, "G | G | Am | D | G | G | C:4. D:4. | G:2.", kJigA,
                 "b4:2. | d5:2. | c5:2. | a4:2. | b4:2. | d5:2. | e5:4. f#5:4. | g5:2."},
                {"B", 8, "G | G | C | C | G | D | C:4. D:4. | G:2.", kJigB,
                 "d5:2. | b4:2. | e5:2. | g5:2. | d5:2. | f#5:2. | e5:4. d5:4. | b4:2."},
                {"end", 2, "G | G", "b4:8 g4 d4 g4:4. | g5:2."},
            },
        .grooves =
            {
                {.name = "intro", .drums = "k:X..x.. T:..x..x", .bass = "R..5..", .comp = "C.cC.c"},
                {.name = "jig",
                 .drums = "k:X..x.. T:..x..x q:.o..o.",
                 .fill = "k:X..x.. l:x.x... m:...x.x T:..x..x",
                 .bass = "R..5..",
                 .comp = "C.cC.c",
                 .pad = "C-----"},
                {.name = "stomp",
                 .drums = "k:X..X.. s:...x.. T:xxxxxx q:.o..o.",
                 .fill = "k:X..X.. s:x.xxXX",
                 .bass = "R.35.8",
                 .comp = "C.cC.c",
                 .pad = "C-----"},
                {.name = "end", .drums = "k:X..... T:x.....", .bass = "R-----", .pad = "C-----"},
            },
        .arrangement =
            {
                {.section = "intro", .groove = "intro", .parts = "ABD"},
                {.section = "A", .groove = "jig", .parts = "LABDX"},
                {.section = "A", .groove = "jig", .parts = "LOAPBDFR"},
                {.section = "B", .groove = "jig", .parts = "LOAPBDXR"},
                {.section = "B", .groove = "jig", .parts = "LOCAPBDFR"},
                {.section = "A",
                 .groove = "jig",
                 .parts = "LOAPBDXR",
                 .leadProgram = 78,
                 .counterProgram = 110},
                {.section = "A",
                 .groove = "jig",
                 .parts = "LOCAPBDFR",
                 .leadProgram = 78,
                 .counterProgram = 110},
                {.section = "B", .groove = "stomp", .parts = "LOAPBDXR", .leadProgram = 21},
                {.section = "B", .groove = "stomp", .parts = "LOAPBDF", .leadProgram = 21},
                {.section = "A", .groove = "jig", .parts = "LOABDXR", .transpose = 2},
                {.section = "A", .groove = "jig", .parts = "LCAPBDF", .transpose = 2},
                {.section = "B",
                 .groove = "jig",
                 .parts = "LOCAPBDXR",
                 .transpose = 2,
                 .leadProgram = 73},
                {.section = "B",
                 .groove = "jig",
                 .parts = "LAPBDF",
                 .transpose = 2,
                 .leadProgram = 73},
                {.section = "A", .groove = "stomp", .parts = "LOAPBDXR", .transpose = 2},
                {.section = "A", .groove = "stomp", .parts = "LOAPBDF", .transpose = 2},
                {.section = "B", .groove = "stomp", .parts = "LOCAPBDXR", .transpose = 2},
                {.section = "B", .groove = "stomp", .parts = "LOAPBDF", .transpose = 2},
                {.section = "end", .groove = "end", .parts = "LPBDX", .transpose = 2},
            },
        .compCentre = 60,
        .padCentre = 64,
    };
}

}  // namespace kwadrill
