#include "Pieces.h"

namespace kwadrill {

namespace {

// A sea shanty about a drunken sailor, in D dorian; the chorus stretches the same tune.
constexpr std::string_view kVerse =
    "a4:4 a4:8 a4 a4:4 a4:8 a4 | a4:4 d4 f4 a4 | g4:4 g4:8 g4 g4:4 g4:8 g4 | g4:4 c4 e4 g4 |"
    "a4:4 a4:8 a4 a4:4 a4:8 a4 | a4:4 b4 c5 d5 | c5:4 a4 g4 e4 | d4:2 d4:2";
constexpr std::string_view kChorus =
    "a4:2 a4:2 | a4:4 d4 f4 a4 | g4:2 g4:2 | g4:4 c4 e4 g4 |"
    "a4:2 a4:2 | a4:4 b4 c5 d5 | c5:4 a4 g4 e4 | d4:2 d4:2";
// The bridge: a broad tune in F major that swings round to A and home.
constexpr std::string_view kShantyBridge =
    "c5:4. a4:8 f4:4 a4:4 | g4:4. e4:8 c4:4 e4:4 | f4:4 a4:4 d5:2 | c#5:2. r:4 |"
    "c5:4. a4:8 f4:4 a4:4 | g4:4. e4:8 c4:4 g4:4 | f4:4 d4:4 e4:4 g4:4 | f4:2. r:4 |"
    "d5:4. bb4:8 f4:4 bb4:4 | c5:4. a4:8 f4:4 a4:4 | bb4:4 g4:4 e4:4 c#4:4 | e4:2 a4:2";
constexpr std::string_view kVerseChords = "Dm | Dm | C | C | Dm | Dm:2 G:2 | C:2 Am:2 | Dm:1";

}  // namespace

// A stomping shanty: fiddle, accordion, banjo and tuba, with a bridge in F; then up a tone.
Piece Game6Piece() {
    return {
        .name = "GAME6",
        .tonic = 2,
        .bpm = 120,
        .meterNumerator = 4,
        .meterDenominator = 4,
        .stepsPerBar = 16,
        .drumKit = 8,
        .instruments = {{
            {.program = 110,
             .volume = 100,
             .pan = 60,
             .velocity = 98,
             .gatePercent = 85,
             .reverb = 40},
            {.program = 78,
             .volume = 80,
             .pan = 90,
             .velocity = 86,
             .gatePercent = 85,
             .reverb = 45},
            {.program = 105,
             .volume = 84,
             .pan = 34,
             .velocity = 80,
             .gatePercent = 50,
             .reverb = 30},
            {.program = 21, .volume = 72, .pan = 80, .velocity = 72, .reverb = 40},
            {.program = 58,
             .volume = 100,
             .pan = 64,
             .velocity = 96,
             .gatePercent = 70,
             .reverb = 25},
        }},
        .sections =
            {
                {"intro", 4, "Dm | C | Dm:2 C:2 | Dm:1", ""},
                {"verse", 8, kVerseChords, kVerse,
                 "f4:1 | f4:1 | e4:1 | e4:1 | f4:1 | f4:2 d4:2 | e4:2 c4:2 | f4:1"},
                {"chorus", 8, kVerseChords, kChorus,
                 "d5:2 c5:2 | d5:1 | c5:2 b4:2 | c5:1 | d5:2 c5:2 | d5:2 d5:2 | e5:2 c5:2 | d5:1"},
                {"bridge", 12,
                 "F | C | Dm | A | F | C | Bb:2 C:2 | F:1 | Bb | F | Gm:2 A7:2 | A7:1",
                 kShantyBridge,
                 "a4:2 c5:2 | g4:2 e4:2 | f4:2 a4:2 | e4:1 | a4:2 c5:2 | g4:2 c5:2 | d5:2 e5:2 |"
                 "c5:1 | d5:2 f5:2 | c5:2 a4:2 | d5:2 c#5:2 | c#5:2 e5:2"},
                {"end", 4, "Dm:2 C:2 | Dm:2 C:2 | Dm:1 | Dm",
                 "a4:4 g4 a4 c5 | a4:4 g4 e4 c4 | d4:4 r:4 d5:4 r:4 | d4:1"},
            },
        .grooves =
            {
                {.name = "intro",
                 .drums = "k:x...x...x...x... T:..x...x...x...x.",
                 .fill = "k:x...x...x...x... s:....x.x.xxxxXXXX",
                 .bass = "R...5...R...5...",
                 .comp = "..C...C...C...C."},
                {.name = "polka",
                 .drums = "k:x...x...x...x... s:..x...x...x...x. T:..x...x...x...x.",
                 .fill = "k:x...x...x...x... s:....x.x.xxxxXXXX",
                 .bass = "R...5...R...5...",
                 .comp = "..C...C...C...C.",
                 .pad = "C-------C-------"},
                {.name = "stomp",
                 .drums = "k:x.x.x.x.x.x.x.x. s:....X.......X... T:xxxxxxxxxxxxxxxx",
                 .fill = "k:x...x...x...x... s:....X.X.XXXXXXXX",
                 .bass = "R...5...R...5.a.",
                 .comp = "..C...C...C...C.",
                 .pad = "C-------C-------"},
                {.name = "end",
                 .drums = "k:x...x...x...x... s:..x...x...x...x.",
                 .fill = "k:X.......X....... s:X.......X.......",
                 .bass = "R...5...R...5...",
                 .comp = "..C...C...C...C.",
                 .pad = "C-------C-------"},
            },
        .arrangement =
            {
                {.section = "intro", .groove = "intro", .parts = "ABDF"},
                {.section = "verse", .groove = "polka", .parts = "LAPBDX"},
                {.section = "chorus", .groove = "polka", .parts = "LOAPBDFR"},
                {.section = "bridge", .groove = "polka", .parts = "LOCAPBDR"},
                {.section = "verse", .groove = "polka", .parts = "UOCAPBDXR", .leadProgram = 56},
                {.section = "chorus",
                 .groove = "stomp",
                 .parts = "LOCAPBDFR",
                 .leadProgram = 21,
                 .counterProgram = 56},
                {.section = "bridge",
                 .groove = "stomp",
                 .parts = "LOCAPBDXR",
                 .transpose = 2,
                 .leadProgram = 73},
                {.section = "chorus",
                 .groove = "stomp",
                 .parts = "LOAPBDF",
                 .transpose = 2,
                 .leadProgram = 21},
                {.section = "end", .groove = "end", .parts = "LOAPBDFX", .transpose = 2},
            },
        .compCentre = 62,
        .padCentre = 60,
        .bassLowest = 26,
    };
}

}  // namespace kwadrill
