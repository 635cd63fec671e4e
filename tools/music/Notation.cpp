#include "Notation.h"

#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>

#include "MidiTrack.h"

namespace kwadrill {

namespace {

constexpr int kDefaultOctave = 4;
constexpr int kMiddleC = 60;

struct Token {
    std::string_view body;
    std::string_view duration;
};

// Words are separated by white space; a bar line is a word of its own even
// where it touches a neighbour.
std::vector<std::string_view> SplitWords(std::string_view text) {
    constexpr std::string_view kSpace = " \t\n";
    constexpr std::string_view kBreaks = " \t\n|";
    std::vector<std::string_view> words;
    std::size_t pos = text.find_first_not_of(kSpace);
    while (pos != std::string_view::npos) {
        const std::size_t end =
            text[pos] == '|' ? pos + 1 : std::min(text.size(), text.find_first_of(kBreaks, pos));
        words.push_back(text.substr(pos, end - pos));
        pos = text.find_first_not_of(kSpace, end);
    }
    return words;
}

Token SplitToken(std::string_view word) {
    const std::size_t colon = word.find(':');
    if (colon == std::string_view::npos) {
        return {word, {}};
    }
    return {word.substr(0, colon), word.substr(colon + 1)};
}

[[noreturn]] void Fail(std::string_view what, std::string_view where) {
    throw std::invalid_argument(std::string(what) + " at \"" + std::string(where) + "\"");
}

void CheckBarLine(int tick, int barTicks, std::string_view text) {
    if (tick % barTicks != 0) {
        Fail("bar line off the bar (tick " + std::to_string(tick) + ")", text);
    }
}

// Pitch class of a note name such as "c", "F#", "bb"; `used` gets the characters read.
int PitchClass(std::string_view name, std::size_t& used) {
    static const std::map<char, int> kLetters = {{'c', 0}, {'d', 2}, {'e', 4}, {'f', 5},
                                                 {'g', 7}, {'a', 9}, {'b', 11}};
    const auto letter =
        kLetters.find(static_cast<char>(std::tolower(name.empty() ? ' ' : name[0])));
    if (letter == kLetters.end()) {
        Fail("not a note name", name);
    }
    used = 1;
    int pc = letter->second;
    if (name.size() > 1 && (name[1] == '#' || name[1] == 'b')) {
        pc += name[1] == '#' ? 1 : -1;
        used = 2;
    }
    return (pc + 12) % 12;
}

// The note nearest to `previous` with that pitch class, or in the octave given.
int ParsePitch(std::string_view name, int previous) {
    std::size_t used = 0;
    const int pc = PitchClass(name, used);
    if (used == name.size()) {
        int pitch = previous + ((pc - previous) % 12 + 12) % 12;
        return pitch - previous > 6 ? pitch - 12 : pitch;
    }
    const std::string_view octave = name.substr(used);
    if (octave.size() != 1 || octave[0] < '0' || octave[0] > '9') {
        Fail("bad octave", name);
    }
    return kMiddleC + (octave[0] - '0' - kDefaultOctave) * 12 + pc;
}

const std::map<std::string_view, std::vector<int>>& Qualities() {
    static const std::map<std::string_view, std::vector<int>> kQualities = {
        {"", {0, 4, 7}},         {"m", {0, 3, 7}},         {"7", {0, 4, 7, 10}},
        {"maj7", {0, 4, 7, 11}}, {"m7", {0, 3, 7, 10}},    {"dim", {0, 3, 6}},
        {"dim7", {0, 3, 6, 9}},  {"m7b5", {0, 3, 6, 10}},  {"aug", {0, 4, 8}},
        {"sus2", {0, 2, 7}},     {"sus4", {0, 5, 7}},      {"6", {0, 4, 7, 9}},
        {"m6", {0, 3, 7, 9}},    {"9", {0, 4, 7, 10, 14}}, {"m9", {0, 3, 7, 10, 14}},
        {"add9", {0, 4, 7, 14}}, {"7sus4", {0, 5, 7, 10}}, {"5", {0, 7}},
    };
    return kQualities;
}

ChordSpan ParseChordSymbol(std::string_view symbol) {
    const std::size_t slash = symbol.find('/');
    const std::string_view head = symbol.substr(0, slash);
    std::size_t used = 0;
    ChordSpan chord{0, 0, PitchClass(head, used), 0, {}};
    const auto quality = Qualities().find(head.substr(used));
    if (quality == Qualities().end()) {
        Fail("unknown chord quality", symbol);
    }
    chord.intervals = quality->second;
    chord.bass = chord.root;
    if (slash != std::string_view::npos) {
        std::size_t bassUsed = 0;
        chord.bass = PitchClass(symbol.substr(slash + 1), bassUsed);
    }
    return chord;
}

}  // namespace

int ParseDuration(std::string_view text) {
    std::size_t digits = 0;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) {
        ++digits;
    }
    const int value = std::atoi(std::string(text.substr(0, digits)).c_str());
    if (value <= 0 || value > 32 || (value & (value - 1)) != 0) {
        Fail("bad duration", text);
    }
    int ticks = kTicksPerQuarter * 4 / value;
    const std::string_view suffix = text.substr(digits);
    if (suffix == ".") {
        ticks = ticks * 3 / 2;
    } else if (suffix == "t") {
        ticks = ticks * 2 / 3;
    } else if (!suffix.empty()) {
        Fail("bad duration suffix", text);
    }
    return ticks;
}

// Walks the timed words of a line: bar lines are checked against the bar
// length, and every other word is handed to `take` with its start tick and
// length (a word without a duration keeps the one before it).
template <typename Take>
void ForEachTimedWord(std::string_view text, int barTicks, int length, Take take) {
    int tick = 0;
    for (std::string_view word : SplitWords(text)) {
        if (word == "|") {
            CheckBarLine(tick, barTicks, word);
            continue;
        }
        const Token token = SplitToken(word);
        if (!token.duration.empty()) {
            length = ParseDuration(token.duration);
        }
        take(word, token.body, tick, length);
        tick += length;
    }
}

std::vector<LineNote> ParseLine(std::string_view text, int barTicks) {
    std::vector<LineNote> notes;
    int previous = kMiddleC;
    ForEachTimedWord(text, barTicks, kTicksPerQuarter,
                     [&](std::string_view word, std::string_view body, int tick, int length) {
                         if (body == "~") {
                             if (notes.empty()) {
                                 Fail("hold with nothing to hold", word);
                             }
                             notes.back().length += length;
                         } else if (body == "r") {
                             notes.push_back({tick, length, -1});
                         } else {
                             previous = ParsePitch(body, previous);
                             notes.push_back({tick, length, previous});
                         }
                     });
    return notes;
}

std::vector<ChordSpan> ParseChords(std::string_view text, int barTicks) {
    std::vector<ChordSpan> chords;
    ForEachTimedWord(text, barTicks, barTicks,
                     [&](std::string_view, std::string_view body, int tick, int length) {
                         ChordSpan chord = ParseChordSymbol(body);
                         chord.start = tick;
                         chord.length = length;
                         chords.push_back(chord);
                     });
    return chords;
}

std::vector<DrumLane> ParseDrums(std::string_view text) {
    // General MIDI percussion keys under one letter each.
    static const std::map<char, int> kKit = {
        {'K', 35}, {'k', 36}, {'r', 37}, {'s', 38}, {'C', 39}, {'e', 40}, {'f', 41},
        {'h', 42}, {'l', 45}, {'p', 44}, {'m', 47}, {'o', 46}, {'t', 50}, {'c', 49},
        {'y', 51}, {'b', 53}, {'T', 54}, {'w', 56}, {'z', 57}, {'q', 62}, {'Q', 63},
        {'u', 64}, {'i', 81}, {'j', 80}, {'M', 70}, {'v', 75}, {'n', 69}, {'g', 73}};
    std::vector<DrumLane> lanes;
    for (std::string_view word : SplitWords(text)) {
        const Token token = SplitToken(word);
        const auto key = kKit.find(token.body.size() == 1 ? token.body[0] : ' ');
        if (key == kKit.end() || token.duration.empty()) {
            Fail("bad drum lane", word);
        }
        for (char step : token.duration) {
            if (step != '.' && DrumStepVelocity(step) == 0) {
                Fail("bad drum step", word);
            }
        }
        lanes.push_back({key->second, token.duration});
    }
    return lanes;
}

int DrumStepVelocity(char step) {
    switch (step) {
        case 'X':
            return 118;
        case 'x':
            return 94;
        case 'o':
            return 62;
        default:
            return 0;
    }
}

}  // namespace kwadrill
