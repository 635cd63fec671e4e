#include "Pieces.h"

namespace kwadrill {

// Driving synth rock in A minor: square lead, saw arpeggios, strings; later up a tone.
Piece Game1Piece() {
    return {
        .name = "GAME1",
        .tonic = 9,
        .bpm = 140,
        .meterNumerator = 4,
        .meterDenominator = 4,
        .stepsPerBar = 16,
        .drumKit = 16,
        .instruments = {{
            {.program = 80,
             .volume = 64,
             .pan = 64,
             .velocity = 96,
             .gatePercent = 85,
             .reverb = 40,
             .chorus = 10},
            {.program = 50,
             .volume = 55,
             .pan = 36,
             .velocity = 78,
             .gatePercent = 98,
             .reverb = 60},
            {.program = 81,
             .volume = 45,
             .pan = 96,
             .velocity = 66,
             .gatePercent = 80,
             .reverb = 40},
            {.program = 48, .volume = 49, .pan = 64, .velocity = 64, .reverb = 60},
            {.program = 38,
             .volume = 70,
             .pan = 64,
             .velocity = 100,
             .gatePercent = 85,
             .reverb = 10},
        }},
        .sections =
            {
                {"intro", 4, "Am | F | G | E", ""},
                {"A", 8, "Am | F | C | G | Am | F | Dm | E",
                 "e5:4 a4:8 c5:8 e5:4. d5:8 | c5:4 a4:8 c5:8 f5:4 e5:4 | g5:4. e5:8 c5:4 e5:8 g5:8 "
                 "|"
                 "d5:4. b4:8 g4:4 b4:4 | e5:4 a4:8 c5:8 e5:4. d5:8 | c5:4 f5:8 a5:8 c6:4 a5:4 |"
                 "a5:4. f5:8 d5:4 f5:4 | g#5:4. e5:8 b4:2",
                 "c4:2 e4:2 | f4:2 a4:2 | e4:2 g4:2 | d4:2 b3:2 | c4:2 e4:2 | f4:2 a4:2 | f4:2 "
                 "d4:2 | e4:2 g#4:2"},
                {"B", 8, "F | G | Em | Am | Dm | G | C | E",
                 "a5:4. g5:8 f5:4 c5:4 | d5:4. e5:8 f5:4 g5:4 | g5:4. e5:8 b4:4 e5:4 | c6:2 a5:2 |"
                 "a5:4. f5:8 d5:4 f5:4 | g5:4. f5:8 d5:4 b4:4 | c5:4 e5:8 g5:8 c6:4 b5:4 | b5:2 "
                 "g#5:4 e5:4",
                 "c5:2 a4:2 | b4:2 d5:2 | b4:2 g4:2 | a4:2 e4:2 | f4:2 a4:2 | b4:2 g4:2 | e4:2 "
                 "g4:2 | g#4:2 b4:2"},
                {"C", 8,
                 "Am:2 G:2 | F:2 G:2 | Am:2 Dm:2 | F:1 | F:2 G:2 | Am:2 G:2 | F:2 E:2 | E:1",
                 "a5:2 g5:2 | f5:2 g5:2 | e5:2 d5:2 | c5:1 | a5:2 b5:2 | c6:2 b5:2 | a5:2 g#5:2 | "
                 "e5:1",
                 "e4:2 d4:2 | c4:2 d4:2 | c4:2 a3:2 | a3:1 | c4:2 d4:2 | e4:2 d4:2 | c4:2 b3:2 | "
                 "g#3:1"},
                {"end", 2, "Am | Am", "e5:8 d5:8 c5:8 b4:8 c5:4 b4:4 | a4:1"},
            },
        .grooves =
            {
                {.name = "intro",
                 .drums = "k:x...x...x...x... h:..x...x...x...x.",
                 .fill = "k:x.....x......... s:....X...x.xxXXXX",
                 .bass = "R-R-R-R-R-R-R-R-",
                 .comp = "1-3-5-3-1-3-5-3-"},
                {.name = "drive",
                 .drums = "k:x.....x.x....... s:....X.......X... h:x.x.x.x.x.x.x.x.",
                 .fill = "k:x.....x......... s:....X...x.xxXXXX h:x.x.x.x.........",
                 .bass = "R-R-8-R-R-R-5-8-",
                 .comp = "1-3-5-3-1-3-5-3-",
                 .pad = "C---------------"},
                {.name = "half",
                 .drums = "k:x.........x..... s:........X....... h:x...x...x...x...",
                 .bass = "R-------R---5---",
                 .pad = "C---------------"},
                {.name = "end",
                 .drums = "k:X...x...X....... s:....x...X.......",
                 .bass = "R-------R-------",
                 .pad = "C---------------"},
            },
        .arrangement =
            {
                {.section = "intro", .groove = "intro", .parts = "ABDF"},
                {.section = "A", .groove = "drive", .parts = "LPBDX"},
                {.section = "A", .groove = "drive", .parts = "LOCAPBDFR"},
                {.section = "B", .groove = "drive", .parts = "LOAPBDXR"},
                {.section = "C", .groove = "half", .parts = "LCPBDX", .leadProgram = 81},
                {.section = "A",
                 .groove = "drive",
                 .parts = "LOAPBDFR",
                 .leadProgram = 81,
                 .counterProgram = 48},
                // Breakdown: the band alone, then the tune a tone higher.
                {.section = "B", .groove = "drive", .parts = "CAPBDF"},
                {.section = "A", .groove = "drive", .parts = "LOAPBDXR", .transpose = 2},
                {.section = "B", .groove = "drive", .parts = "LCAPBDF", .transpose = 2},
                {.section = "C",
                 .groove = "half",
                 .parts = "LCPBDX",
                 .transpose = 2,
                 .leadProgram = 62},
                {.section = "B", .groove = "half", .parts = "CPBDF", .transpose = 2},
                {.section = "C", .groove = "drive", .parts = "LCAPBDF", .transpose = 2},
                {.section = "end", .groove = "end", .parts = "LPBDX", .transpose = 2},
            },
        .compCentre = 69,
        .padCentre = 62,
        .drumVolume = 76,
    };
}

}  // namespace kwadrill
