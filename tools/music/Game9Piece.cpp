#include "Pieces.h"

namespace kwadrill {

namespace {

constexpr std::string_view kBlues =
    "Bb7 | Eb7 | Bb7 | Bb7 | Eb7 | Eb7 | Bb7 | Bb7 | F7 | Eb7 | Bb7 | F7";
// Brass answers on the second half of every bar.
constexpr std::string_view kRiffs =
    "r:2. f4:4. ab4:4. | r:2. g4:4. db5:4. | r:2. f4:4. ab4:4. | r:2. f4:4. d4:4. |"
    "r:2. g4:4. bb4:4. | r:2. g4:4. db5:4. | r:2. f4:4. ab4:4. | r:2. ab4:4. a4:4. |"
    "r:2. a4:4. eb5:4. | r:2. g4:4. db5:4. | r:2. f4:4. d4:4. | r:2. eb4:4. a4:4.";

}  // namespace

// A twelve-bar shuffle in B flat: tenor saxophone, organ, piano and walking bass.
Piece Game9Piece() {
    return {
        .name = "GAME9",
        .tonic = 10,
        .bpm = 140,
        .meterNumerator = 12,
        .meterDenominator = 8,
        .stepsPerBar = 12,
        .drumKit = 32,
        .instruments = {{
            {.program = 66,
             .volume = 104,
             .pan = 60,
             .velocity = 108,
             .gatePercent = 90,
             .reverb = 45},
            {.program = 61,
             .volume = 84,
             .pan = 88,
             .velocity = 100,
             .gatePercent = 80,
             .reverb = 45},
            {.program = 0,
             .volume = 80,
             .pan = 36,
             .velocity = 82,
             .gatePercent = 60,
             .reverb = 40},
            {.program = 16, .volume = 62, .pan = 64, .velocity = 70, .reverb = 45, .chorus = 30},
            {.program = 32,
             .volume = 100,
             .pan = 64,
             .velocity = 104,
             .gatePercent = 85,
             .reverb = 20},
        }},
        .sections =
            {
                {"intro", 4, "F7 | Eb7 | Bb7:2. G7:2. | C7:2. F7:2.", ""},
                {"A", 12, kBlues,
                 "f5:4 d5:8 f5:4 g5:8 ab5:4 g5:8 f5:4. | g5:4 eb5:8 g5:4 bb5:8 db6:4. bb5:4. |"
                 "f5:4 d5:8 f5:4 g5:8 ab5:4 g5:8 f5:4. | d5:2. r:2. |"
                 "g5:4 eb5:8 g5:4 bb5:8 c6:4 bb5:8 g5:4. | db6:4. bb5:4. g5:4. eb5:4. |"
                 "f5:4 d5:8 bb4:4 d5:8 f5:2. | r:2. f5:4 g5:8 ab5:4 a5:8 |"
                 "c6:4. a5:4 f5:8 eb5:4. c5:4. | bb5:4. g5:4 eb5:8 db5:4. bb4:4. |"
                 "d5:4 f5:8 bb5:4 f5:8 d5:4 bb4:8 f4:4 bb4:8 | c5:4. eb5:4. f5:4 a5:8 c6:4.",
                 kRiffs},
                {"B", 12, kBlues,
                 "bb5:4 bb5:8 ab5:4 f5:8 r:2. | bb5:4 bb5:8 ab5:4 g5:8 r:2. |"
                 "bb5:4 bb5:8 ab5:4 f5:8 d5:4 f5:8 bb5:4. | ab5:2. r:2. |"
                 "eb6:4 eb6:8 db6:4 bb5:8 r:2. | eb6:4 eb6:8 db6:4 bb5:8 g5:4 bb5:8 db6:4. |"
                 "d6:2. bb5:2. | r:2. d5:4 f5:8 ab5:4 a5:8 | c6:2. a5:2. | bb5:4. g5:4. eb5:4. "
                 "g5:4. |"
                 "f5:4 d5:8 bb4:4 d5:8 f5:4 bb5:8 d6:4. | c6:4. r:4. f5:4. a5:4.",
                 kRiffs},
                {"end", 4, "Bb7 | Eb7 | Bb7 | Bb7",
                 "f5:4 d5:8 f5:4 g5:8 ab5:4 g5:8 f5:4. | g5:4 eb5:8 g5:4 bb5:8 db6:4. bb5:4. | "
                 "d6:1. | ~:1."},
            },
        .grooves =
            {
                {.name = "shuffle",
                 .drums = "k:x.....x..... s:...x.....x.. y:x..x.xx..x.x p:...x.....x..",
                 .fill = "k:x.....x..... s:...x..x.xxXX",
                 .bass = "R..3..5..a..",
                 .comp = "..c..C..c..C",
                 .pad = "C-----------"},
                {.name = "stop",
                 .drums = "k:X..........X s:X..........x y:x..x.xx..x.x",
                 .bass = "R..........5",
                 .comp = "C...........",
                 .pad = "C-----------"},
                {.name = "end",
                 .drums = "k:x.....x..... s:...x.....x.. y:x..x.xx..x.x",
                 .fill = "k:X........... c:X...........",
                 .bass = "R..3..5..8..",
                 .comp = "..c..C..c..C",
                 .pad = "C-----------"},
            },
        .arrangement =
            {
                {.section = "intro", .groove = "shuffle", .parts = "ABDF"},
                {.section = "A", .groove = "shuffle", .parts = "LAPBDX"},
                {.section = "B", .groove = "shuffle", .parts = "LOCAPBDFR"},
                {.section = "A",
                 .groove = "shuffle",
                 .parts = "LOCAPBDXR",
                 .leadProgram = 56,
                 .counterProgram = 66},
                {.section = "B", .groove = "stop", .parts = "LAPBD", .leadProgram = 17},
                {.section = "A", .groove = "shuffle", .parts = "LOCAPBDXFR", .transpose = 5},
                {.section = "end", .groove = "end", .parts = "LAPBDFX", .transpose = 5},
            },
        .compCentre = 64,
        .padCentre = 62,
    };
}

}  // namespace kwadrill
