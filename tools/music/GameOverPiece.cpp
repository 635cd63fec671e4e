#include "Pieces.h"

namespace kwadrill {

// Sombre and slow: a cello song in D minor over piano and strings, sinking to C minor.
Piece GameOverPiece() {
    return {
        .name = "GAMEOVER",
        .tonic = 2,
        .bpm = 63,
        .meterNumerator = 4,
        .meterDenominator = 4,
        .stepsPerBar = 16,
        .drumKit = 0,
        .instruments = {{
            {.program = 42,
             .volume = 104,
             .pan = 56,
             .velocity = 96,
             .gatePercent = 98,
             .reverb = 75},
            {.program = 52,
             .volume = 76,
             .pan = 80,
             .velocity = 72,
             .gatePercent = 98,
             .reverb = 80},
            {.program = 0, .volume = 84, .pan = 72, .velocity = 66, .reverb = 70},
            {.program = 49, .volume = 74, .pan = 64, .velocity = 63, .reverb = 80},
            {.program = 43,
             .volume = 90,
             .pan = 64,
             .velocity = 86,
             .gatePercent = 98,
             .reverb = 50},
        }},
        .sections =
            {
                {"intro", 4, "Dm | Bb | Gm | A", ""},
                {"A", 8, "Dm | Bb | Gm | A | Dm | F | Gm:2 A:2 | Dm:1",
                 "a3:2. d4:4 | f4:2 e4:4 d4:4 | d4:2. bb3:4 | e4:2 c#4:2 | d4:4 e4:4 f4:4 a4:4 | "
                 "c5:2 a4:4 f4:4 |"
                 "g4:4 f4:4 e4:4 c#4:4 | d4:1",
                 "f4:1 | f4:1 | d4:1 | e4:1 | f4:1 | f4:1 | d4:2 c#4:2 | d4:1"},
                {"B", 8, "Bb | F | Gm | Dm | Bb | F/A | Em7b5:2 A7:2 | Dm:1",
                 "d5:2. c5:4 | c5:2 a4:4 f4:4 | bb4:2 g4:4 d5:4 | a4:1 | f4:4 g4:4 bb4:4 d5:4 | "
                 "c5:2 a4:2 |"
                 "g4:2 e4:4 c#4:4 | d4:1",
                 "f4:1 | f4:1 | d4:1 | f4:1 | d4:1 | c4:1 | bb3:2 a3:2 | a3:1"},
                {"end", 4, "Dm | Gm/D | Dm | Dm", "a3:1 | bb3:1 | a3:1 | d3:1"},
            },
        .grooves =
            {
                {.name = "still",
                 .bass = "R---------------",
                 .comp = "1-2-3-2-4-3-2-3-",
                 .pad = "C---------------"},
                {.name = "slow",
                 .drums = "K:x............... y:....o.......o...",
                 .bass = "R-------5-------",
                 .comp = "1-2-3-2-4-3-2-3-",
                 .pad = "C---------------"},
                {.name = "end",
                 .drums = "K:x...............",
                 .bass = "R---------------",
                 .comp = "1---2---3---4---",
                 .pad = "C---------------"},
            },
        .arrangement =
            {
                {.section = "intro", .groove = "still", .parts = "APB"},
                {.section = "A", .groove = "slow", .parts = "LAPBD"},
                {.section = "B", .groove = "slow", .parts = "LOCAPBDR"},
                {.section = "A", .groove = "slow", .parts = "UOCAPBDR", .leadProgram = 68},
                {.section = "B", .groove = "slow", .parts = "LCAPBD", .transpose = -2},
                {.section = "A",
                 .groove = "slow",
                 .parts = "UOCAPBDR",
                 .transpose = -2,
                 .leadProgram = 40},
                {.section = "end",
                 .groove = "end",
                 .parts = "LAPBD",
                 .transpose = -2,
                 .bpm = 63,
                 .bpmEnd = 50},
            },
        .compCentre = 62,
        .padCentre = 58,
        .bassLowest = 26,
    };
}

}  // namespace kwadrill
