#include "Pieces.h"

namespace kwadrill {

// Bright and bouncy in D major: square-wave tune, sixteenth arpeggios, electronic drums.
Piece Game5Piece() {
    return {
        .name = "GAME5",
        .tonic = 2,
        .bpm = 160,
        .meterNumerator = 4,
        .meterDenominator = 4,
        .stepsPerBar = 16,
        .drumKit = 24,
        .instruments = {{
            {.program = 80,
             .volume = 63,
             .pan = 64,
             .velocity = 96,
             .gatePercent = 80,
             .reverb = 35},
            {.program = 81,
             .volume = 50,
             .pan = 34,
             .velocity = 80,
             .gatePercent = 90,
             .reverb = 40},
            {.program = 80,
             .volume = 42,
             .pan = 96,
             .velocity = 70,
             .gatePercent = 70,
             .reverb = 30},
            {.program = 90, .volume = 45, .pan = 64, .velocity = 62, .reverb = 60},
            {.program = 39,
             .volume = 70,
             .pan = 64,
             .velocity = 100,
             .gatePercent = 80,
             .reverb = 10},
        }},
        .sections =
            {
                {"intro", 4, "D | Bm | G | A", ""},
                {"A", 8, "D | Bm | G | A | D | Bm | G:2 A:2 | D:1",
                 "f#5:8 a5 d6 a5 f#5 a5 d6:4 | c#6:8 b5 f#5 d5 b4:4 d5 | g5:8 b5 d6 b5 g5 b5 e6:4 |"
                 "d6:8 c#6 a5 e5 c#5:2 | f#5:8 a5 d6 a5 f#5 a5 d6:4 | f#6:8 e6 d6 c#6 b5:4 f#5 |"
                 "g5:8 a5 b5 d6 c#6 b5 a5 e5 | d5:4 r:8 a4 d5:4 r:4",
                 "d5:2 f#5:2 | d5:2 b4:2 | b4:2 d5:2 | c#5:2 e5:2 | d5:2 f#5:2 | d5:2 b4:2 | b4:2 "
                 "c#5:2 | a4:2 f#4:2"},
                {"B", 8, "G | A | F#m | Bm | Em | A | D/F#:2 G:2 | A7:1",
                 "b5:4. a5:8 g5:4 d5 | c#6:4. b5:8 a5:4 e5 | a5:4. f#5:8 c#6:4 a5 | b5:2 f#5:4 d5 |"
                 "e5:8 g5 b5 e6 d6 b5 g5 e5 | c#6 e6 a5 c#6 e5 a5 c#5 e5 | f#5 a5 d6 f#6 g6 d6 b5 "
                 "g5 |"
                 "a5:4 g5 e5 c#5",
                 "d5:2 g5:2 | e5:2 c#5:2 | c#5:2 a4:2 | d5:2 b4:2 | b4:2 g4:2 | a4:2 c#5:2 | a4:2 "
                 "b4:2 | c#5:2 e5:2"},
                {"C", 8, "Bm | G | D | A | Bm | G | Em | F#",
                 "f#5:2 d5:2 | b4:2 d5:2 | a5:2 f#5:2 | e5:1 | f#5:2 b5:2 | d6:2 b5:2 | g5:2 e5:2 "
                 "| f#5:1",
                 "d5:1 | d5:1 | f#4:1 | c#5:1 | d5:1 | b4:1 | b4:1 | a#4:1"},
                {"end", 4, "G:2 A:2 | D:1 | D | D",
                 "b5:8 a5 g5 b5 c#6 b5 a5 c#6 | d6:1 | ~:1 | r:1"},
            },
        .grooves =
            {
                {.name = "intro",
                 .drums = "k:x...x...x...x...",
                 .fill = "k:x...x...x...x... e:........x.x.xxxx",
                 .bass = "R-8-R-8-R-8-R-8-",
                 .comp = "1235123512351235"},
                {.name = "bounce",
                 .drums = "k:x.....x.x....... e:....x.......x... h:x.x.x.x.x.x.x.x.",
                 .fill = "k:x.....x......... e:....x...x.x.xxxx",
                 .bass = "R-8-R-8-R-8-R-8-",
                 .comp = "1235123512351235",
                 .pad = "C---------------"},
                {.name = "half",
                 .drums = "k:x.........x..... e:........x....... h:x...x...x...x...",
                 .bass = "R-------R---5---",
                 .comp = "1---3---5---3---",
                 .pad = "C---------------"},
                {.name = "end",
                 .drums = "k:x.....x.x....... e:....x.......x... h:x.x.x.x.x.x.x.x.",
                 .bass = "R-8-R-8-R-------",
                 .pad = "C---------------"},
            },
        .arrangement =
            {
                {.section = "intro", .groove = "intro", .parts = "ABDF"},
                {.section = "A", .groove = "bounce", .parts = "LAPBDX"},
                {.section = "A", .groove = "bounce", .parts = "LOCAPBDFR"},
                {.section = "B", .groove = "bounce", .parts = "LOAPBDXR"},
                {.section = "A",
                 .groove = "bounce",
                 .parts = "LOCAPBDFR",
                 .leadProgram = 81,
                 .counterProgram = 80},
                {.section = "C", .groove = "half", .parts = "LOCAPBDXR", .leadProgram = 88},
                {.section = "C", .groove = "half", .parts = "UOAPBDFR", .leadProgram = 80},
                {.section = "B", .groove = "bounce", .parts = "LOCAPBDXR"},
                {.section = "A", .groove = "bounce", .parts = "LAPBDF"},
                {.section = "A", .groove = "bounce", .parts = "LOCAPBDXR", .transpose = 2},
                {.section = "B",
                 .groove = "bounce",
                 .parts = "LCAPBDF",
                 .transpose = 2,
                 .leadProgram = 81},
                {.section = "B", .groove = "bounce", .parts = "LOAPBDXR", .transpose = 2},
                {.section = "A", .groove = "bounce", .parts = "LCAPBDF", .transpose = 2},
                {.section = "end", .groove = "end", .parts = "LPBDX", .transpose = 2},
            },
        .compCentre = 66,
        .padCentre = 60,
        .drumVolume = 76,
    };
}

}  // namespace kwadrill
