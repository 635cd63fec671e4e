#include "Arranger.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>

#include "InstrumentRanges.h"
#include "Levels.h"
#include "Variations.h"

namespace kwadrill {

namespace {

constexpr int kVolumeController = 7;
constexpr int kPanController = 10;
constexpr int kReverbController = 91;
constexpr int kChorusController = 93;
constexpr int kCrashNote = 49;
constexpr int kCrashVelocity = 110;
constexpr int kCentre = 64;
constexpr int kDrumReverb = 30;
constexpr int kShortestNote = 6;
constexpr int kSoftChordDrop = 22;
constexpr int kDownbeatAccent = 8;
constexpr int kBeatAccent = 3;
constexpr int kOctave = 12;
constexpr int kExpressionController = 11;
constexpr int kExpressionFloor = 100;
constexpr int kPhraseBars = 4;
constexpr int kAcousticKick = 35;
constexpr int kKick = 36;
constexpr int kSnare = 38;
constexpr int kElectricSnare = 40;
constexpr int kClosedHat = 42;
constexpr int kPedalHat = 44;
constexpr int kOpenHat = 46;
constexpr int kRide = 51;
constexpr int kHatAccent = 8;
constexpr int kBackbeat = 94;

// CC7 acts on level as 40 log10(value / 127) dB in General MIDI synthesizers.
int TrimmedVolume(int volume, double trimDb) {
    const auto trimmed = static_cast<int>(std::lround(volume * std::pow(10.0, trimDb / 40.0)));
    if (trimmed > 127) {
        throw std::invalid_argument("a channel volume trimmed past 127: lower the mix instead");
    }
    return std::max(1, trimmed);
}

int Wrap(int value, int modulus) {
    return ((value % modulus) + modulus) % modulus;
}

// The pitch of class `pc` at or above `lowest`, within one octave.
int PlaceAbove(int pc, int lowest) {
    return lowest + Wrap(pc - lowest, kOctave);
}

std::size_t ChordAt(const std::vector<ChordSpan>& chords, int tick) {
    for (std::size_t i = 0; i < chords.size(); ++i) {
        if (tick < chords[i].start + chords[i].length) {
            return i;
        }
    }
    return chords.size() - 1;
}

void CheckLength(int ticks, int expected, const Section& section, std::string_view what) {
    if (ticks != expected) {
        throw std::invalid_argument(std::string(what) + " of section " + std::string(section.name) +
                                    " lasts " + std::to_string(ticks) + " ticks, not " +
                                    std::to_string(expected));
    }
}

std::vector<ChordSpan> Transposed(std::vector<ChordSpan> chords, int semitones) {
    for (ChordSpan& chord : chords) {
        chord.root = Wrap(chord.root + semitones, kOctave);
        chord.bass = Wrap(chord.bass + semitones, kOctave);
    }
    return chords;
}

// Moves a note by octaves into the range; a range narrower than an octave
// keeps the note nearest to it.
int FoldInto(const NoteRange& range, int pitch) {
    while (pitch < range.lowest && pitch + kOctave <= range.highest + kOctave / 2) {
        pitch += kOctave;
    }
    while (pitch > range.highest && pitch - kOctave >= range.lowest - kOctave / 2) {
        pitch -= kOctave;
    }
    return pitch;
}

// The octave shift that puts most of a line inside the range, the smallest
// such shift first, so a tune keeps its shape.
int OctaveShiftFor(const NoteRange& range, const std::vector<int>& pitches) {
    int best = 0;
    long bestOutside = -1;
    for (int shift : {0, -kOctave, kOctave, -2 * kOctave, 2 * kOctave}) {
        const long outside = std::count_if(pitches.begin(), pitches.end(),
                                           [&](int pitch) { return !range.Holds(pitch + shift); });
        if (bestOutside < 0 || outside < bestOutside) {
            best = shift;
            bestOutside = outside;
        }
    }
    return best;
}

bool Has(std::string_view parts, char part) {
    return parts.find(part) != std::string_view::npos;
}

}  // namespace

Arranger::Arranger(const Piece& piece)
    : piece_(piece), performer_(piece.name, piece.swingUnit, piece.swing) {}

void Arranger::Play(int channel, int tick, int length, int pitch, int velocity) {
    performer_.Play(track_, channel, tick, length, pitch, velocity, entryStart_, pieceEnd_);
}

const Section& Arranger::FindSection(std::string_view name) const {
    for (const Section& section : piece_.sections) {
        if (section.name == name) {
            return section;
        }
    }
    throw std::invalid_argument("no section " + std::string(name));
}

const Groove& Arranger::FindGroove(std::string_view name) const {
    for (const Groove& groove : piece_.grooves) {
        if (groove.name == name) {
            return groove;
        }
    }
    throw std::invalid_argument("no groove " + std::string(name));
}

int Arranger::BarTicks() const {
    return piece_.meterNumerator * kTicksPerQuarter * 4 / piece_.meterDenominator;
}

// Compound metres (6/8, 12/8) count in dotted quarters.
int Arranger::BeatTicks() const {
    return piece_.meterDenominator == 8 ? kTicksPerQuarter * 3 / 2
                                        : kTicksPerQuarter * 4 / piece_.meterDenominator;
}

int Arranger::Accent(int tick) const {
    const int inBar = tick % BarTicks();
    if (inBar == 0) {
        return kDownbeatAccent;
    }
    return inBar % BeatTicks() == 0 ? kBeatAccent : 0;
}

std::vector<std::uint8_t> Arranger::Compose() {
    track_.TrackName(piece_.name);
    track_.TimeSignature(0, piece_.meterNumerator, piece_.meterDenominator);
    track_.Tempo(0, piece_.bpm);
    tempos_ = {{0, piece_.bpm}};
    SetUpChannels();
    pieceEnd_ = 0;
    for (const Entry& entry : piece_.arrangement) {
        pieceEnd_ += FindSection(entry.section).bars * BarTicks();
    }
    for (std::size_t index = 0; index < piece_.arrangement.size(); ++index) {
        PlayEntry(index);
    }
    return track_.EncodeFile(entryStart_);
}

double Arranger::Seconds() const {
    double seconds = 0.0;
    for (std::size_t i = 0; i < tempos_.size(); ++i) {
        const int end = i + 1 < tempos_.size() ? tempos_[i + 1].first : entryStart_;
        seconds += (end - tempos_[i].first) * 60.0 / (tempos_[i].second * kTicksPerQuarter);
    }
    return seconds;
}

// A pattern covers whole bars, so it can never drift against the bar lines.
void Arranger::CheckSteps(std::string_view pattern) const {
    if (pattern.size() % static_cast<std::size_t>(piece_.stepsPerBar) != 0) {
        throw std::invalid_argument("pattern \"" + std::string(pattern) +
                                    "\" does not fill whole bars");
    }
}

void Arranger::SetUpChannels() {
    const double trim = LevelTrim(piece_.name);
    for (int part = 0; part < kPartCount; ++part) {
        const Instrument& instrument = piece_.instruments[static_cast<std::size_t>(part)];
        track_.Program(0, part, instrument.program);
        programs_[static_cast<std::size_t>(part)] = instrument.program;
        track_.Controller(0, part, kVolumeController, TrimmedVolume(instrument.volume, trim));
        track_.Controller(0, part, kPanController, instrument.pan);
        track_.Controller(0, part, kReverbController, instrument.reverb);
        track_.Controller(0, part, kChorusController, instrument.chorus);
    }
    track_.Program(0, kDrumChannel, piece_.drumKit);
    track_.Controller(0, kDrumChannel, kVolumeController, TrimmedVolume(piece_.drumVolume, trim));
    track_.Controller(0, kDrumChannel, kPanController, kCentre);
    track_.Controller(0, kDrumChannel, kReverbController, kDrumReverb);
}

int Arranger::NextTuneStart(std::size_t index, const std::vector<LineNote>& lead) const {
    const Entry& entry = piece_.arrangement[index];
    const Entry& next = piece_.arrangement[index + 1];
    const int from = entry.transpose + (Has(entry.parts, 'U') ? kOctave : 0);
    const int to = next.transpose + (Has(next.parts, 'U') ? kOctave : 0);
    for (const LineNote& note : ParseLine(FindSection(next.section).lead, BarTicks())) {
        if (note.pitch >= 0) {
            return note.pitch + to - from;
        }
    }
    // No tune follows: run up to the new tonic near where this tune ends.
    int last = 67;
    for (const LineNote& note : lead) {
        last = note.pitch >= 0 ? note.pitch : last;
    }
    return PlaceAbove(piece_.tonic + next.transpose - entry.transpose, last - 5);
}

void Arranger::PlayEntry(std::size_t index) {
    const Entry& entry = piece_.arrangement[index];
    const Section& section = FindSection(entry.section);
    const Groove& groove = FindGroove(entry.groove);
    const int sectionTicks = section.bars * BarTicks();
    std::vector<ChordSpan> chords = ParseChords(section.chords, BarTicks());
    CheckLength(chords.back().start + chords.back().length, sectionTicks, section, "chords");
    std::vector<LineNote> lead = ParseLine(section.lead, BarTicks());
    std::vector<LineNote> counter = ParseLine(section.counter, BarTicks());
    const bool tune = Has(entry.parts, 'L') || Has(entry.parts, 'U');
    if (tune || Has(entry.parts, 'O')) {
        CheckLength(lead.empty() ? 0 : lead.back().start + lead.back().length, sectionTicks,
                    section, "lead");
    }
    if (Has(entry.parts, 'C')) {
        CheckLength(counter.empty() ? 0 : counter.back().start + counter.back().length,
                    sectionTicks, section, "counter");
    }
    PlayTempo(entry, section.bars);
    SelectProgram(kLead,
                  entry.leadProgram >= 0 ? entry.leadProgram : piece_.instruments[kLead].program);
    SelectProgram(kCounter, entry.counterProgram >= 0 ? entry.counterProgram
                                                      : piece_.instruments[kCounter].program);

    // A section heard before comes back varied.
    const auto first = piece_.arrangement.begin();
    const bool heard = std::any_of(first, first + static_cast<std::ptrdiff_t>(index),
                                   [&](const Entry& e) { return e.section == entry.section; });
    if (heard) {
        Dice dice(piece_.name, index);
        const bool lilt = piece_.swing <= 0.0 && piece_.meterDenominator == 4;
        lead = VaryTune(lead, BarTicks(), lilt, dice);
        Reharmonise(chords, lead, counter, BarTicks(), dice);
        counter = VaryCounter(counter, chords, BeatTicks(), dice);
    }
    std::vector<LineNote> pickup;
    int dominantAt = -1;
    if (index + 1 < piece_.arrangement.size() &&
        piece_.arrangement[index + 1].transpose != entry.transpose) {
        const KeyChange change{
            Wrap(piece_.tonic + piece_.arrangement[index + 1].transpose - entry.transpose, kOctave),
            NextTuneStart(index, lead)};
        pickup = PrepareKeyChange(change, BarTicks(), chords, lead, counter);
        dominantAt = chords.back().start;
    }

    const int leadShift = entry.transpose + (Has(entry.parts, 'U') ? kOctave : 0);
    // R: call and response; the lead states each phrase, the counter's
    // instrument finishes it.
    const bool answered = Has(entry.parts, 'R');
    if (tune || !pickup.empty()) {
        std::vector<LineNote> line = tune ? lead : std::vector<LineNote>{};
        line.insert(line.end(), pickup.begin(), pickup.end());
        PlayLine(kLead, line, leadShift, answered ? Phrase::kCall : Phrase::kWhole,
                 pickup.empty() ? std::numeric_limits<int>::max() : pickup.front().start);
    }
    if (Has(entry.parts, 'C')) {
        PlayLine(kCounter, counter, entry.transpose);
    }
    if (Has(entry.parts, 'O')) {
        PlayLine(kCounter, lead, leadShift + kOctave, answered ? Phrase::kAnswer : Phrase::kWhole);
    }
    chords = Transposed(chords, entry.transpose);
    if (Has(entry.parts, 'A')) {
        PlayPattern(kComp, groove.comp, chords, section.bars);
    }
    if (Has(entry.parts, 'P')) {
        PlayPattern(kPad, groove.pad, chords, section.bars);
    }
    if (Has(entry.parts, 'B')) {
        // The bass lands on the new key's dominant, whatever its walk would play.
        PlayPattern(kBass, groove.bass, chords, section.bars, dominantAt);
    }
    PlayDrums(groove, entry, section.bars);
    PlayExpression(entry, section.bars);
    entryStart_ += sectionTicks;
}

void Arranger::PlayTempo(const Entry& entry, int bars) {
    const double from = entry.bpm > 0.0 ? entry.bpm : tempos_.back().second;
    if (entry.bpmEnd <= 0.0) {
        if (from != tempos_.back().second) {
            track_.Tempo(entryStart_, from);
            tempos_.emplace_back(entryStart_, from);
        }
        return;
    }
    const int beats = bars * BarTicks() / BeatTicks();
    for (int beat = 0; beat < beats; ++beat) {
        const double bpm = from + (entry.bpmEnd - from) * beat / std::max(1, beats - 1);
        const int tick = entryStart_ + beat * BeatTicks();
        track_.Tempo(tick, bpm);
        tempos_.emplace_back(tick, bpm);
    }
}

void Arranger::SelectProgram(Part part, int program) {
    if (programs_[part] != program) {
        track_.Program(entryStart_, part, program);
        programs_[part] = program;
    }
}

void Arranger::PlayLine(Part part, const std::vector<LineNote>& notes, int transpose, Phrase phrase,
                        int keepFrom) {
    const Instrument& instrument = piece_.instruments[part];
    const NoteRange range = ComfortableRange(programs_[part]);
    std::vector<int> pitches;
    for (const LineNote& note : notes) {
        if (note.pitch >= 0) {
            pitches.push_back(note.pitch + transpose);
        }
    }
    const int shift = OctaveShiftFor(range, pitches);
    for (const LineNote& note : notes) {
        const bool call = note.start / BarTicks() % kPhraseBars < kPhraseBars / 2;
        const bool kept = note.start >= keepFrom;
        if (note.pitch < 0 || (!kept && phrase == Phrase::kCall && !call) ||
            (!kept && phrase == Phrase::kAnswer && call)) {
            continue;
        }
        const int length = std::max(kShortestNote, note.length * instrument.gatePercent / 100);
        Play(part, entryStart_ + note.start, length,
             FoldInto(range, note.pitch + transpose + shift),
             instrument.velocity + Accent(note.start));
    }
}

void Arranger::PlayPattern(Part part, std::string_view pattern,
                           const std::vector<ChordSpan>& chords, int bars, int rootAt) {
    if (pattern.empty()) {
        return;
    }
    CheckSteps(pattern);
    const int stepTicks = BarTicks() / piece_.stepsPerBar;
    const int steps = bars * piece_.stepsPerBar;
    Strike strike;
    for (int step = 0; step < steps; ++step) {
        const int tick = step * stepTicks;
        const char symbol =
            tick == rootAt ? 'R' : pattern[static_cast<std::size_t>(step) % pattern.size()];
        const std::size_t chord = ChordAt(chords, tick);
        // A held note rings on unless the harmony moves under it.
        if (symbol == '-' && (strike.pitches.empty() || chord == strike.chord)) {
            continue;
        }
        Release(part, strike, tick);
        const char struck = symbol == '-' ? strike.symbol : symbol;
        if (struck == '.') {
            continue;
        }
        const int soft = struck == 'c' ? kSoftChordDrop : 0;
        strike = {PatternPitches(part, struck, chords, chord), tick,
                  piece_.instruments[part].velocity + Accent(tick) - soft, struck, chord};
    }
    Release(part, strike, steps * stepTicks);
}

void Arranger::Release(Part part, Strike& strike, int tick) {
    const NoteRange range = ComfortableRange(programs_[part]);
    for (int pitch : strike.pitches) {
        Play(part, entryStart_ + strike.start, tick - strike.start, FoldInto(range, pitch),
             strike.velocity);
    }
    strike.pitches.clear();
}

std::vector<int> Arranger::PatternPitches(Part part, char symbol,
                                          const std::vector<ChordSpan>& chords,
                                          std::size_t index) const {
    if (part == kBass) {
        return BassPitches(symbol, chords, index);
    }
    const ChordSpan& chord = chords[index];
    const int lowest = (part == kPad ? piece_.padCentre : piece_.compCentre) - 6;
    std::vector<int> voicing;
    for (int interval : chord.intervals) {
        const int pitch = PlaceAbove(chord.root + interval, lowest);
        if (std::find(voicing.begin(), voicing.end(), pitch) == voicing.end()) {
            voicing.push_back(pitch);
        }
    }
    std::sort(voicing.begin(), voicing.end());
    if (symbol == 'C' || symbol == 'c') {
        return voicing;
    }
    if (symbol < '1' || symbol > '9') {
        throw std::invalid_argument(std::string("bad pattern symbol ") + symbol);
    }
    const auto n = static_cast<int>(voicing.size());
    const int i = symbol - '1';
    return {voicing[static_cast<std::size_t>(i % n)] + kOctave * (i / n)};
}

std::vector<int> Arranger::BassPitches(char symbol, const std::vector<ChordSpan>& chords,
                                       std::size_t index) const {
    const ChordSpan& chord = chords[index];
    const int root = PlaceAbove(chord.root, piece_.bassLowest);
    const auto tone = [&](std::size_t i, int fallback) {
        return i < chord.intervals.size() ? root + chord.intervals[i] : root + fallback;
    };
    switch (symbol) {
        case 'R':
            return {PlaceAbove(chord.bass, piece_.bassLowest)};
        case '3':
            return {tone(1, 4)};
        case '5':
            return {tone(2, 7)};
        case '7':
            return {tone(3, kOctave)};
        case '8':
            return {root + kOctave};
        case 'L':
            return {tone(2, 7) - kOctave};
        case 'a': {
            const ChordSpan& next = chords[std::min(index + 1, chords.size() - 1)];
            return {PlaceAbove(next.bass, piece_.bassLowest) - 1};
        }
        default:
            throw std::invalid_argument(std::string("bad bass symbol ") + symbol);
    }
}

// Phrase dynamics: every part swells towards the middle of each four-bar
// phrase and eases off at its end, and rises through a bar that fills.
void Arranger::PlayExpression(const Entry& entry, int bars) {
    const int phrase = std::min(bars, kPhraseBars);
    const int half = BarTicks() / 2;
    for (int step = 0; step < bars * 2; ++step) {
        const double x = static_cast<double>(step % (phrase * 2)) / (phrase * 2);
        const bool filling = Has(entry.parts, 'F') && step >= bars * 2 - 2;
        const double swell = filling ? 1.0 : std::sin(std::numbers::pi * std::pow(x, 0.75));
        const int value =
            kExpressionFloor + static_cast<int>(std::lround((127 - kExpressionFloor) * swell));
        for (int part = 0; part < kPartCount; ++part) {
            track_.Controller(entryStart_ + step * half, part, kExpressionController, value);
        }
    }
}

void Arranger::PlayDrums(const Groove& groove, const Entry& entry, int bars) {
    if (Has(entry.parts, 'X')) {
        Play(kDrumChannel, entryStart_, BeatTicks(), kCrashNote, kCrashVelocity);
    }
    if (!Has(entry.parts, 'D')) {
        return;
    }
    const std::vector<DrumLane> beat = ParseDrums(groove.drums);
    const std::vector<DrumLane> fill = ParseDrums(groove.fill);
    for (const auto* lanes : {&beat, &fill}) {
        for (const DrumLane& lane : *lanes) {
            CheckSteps(lane.steps);
        }
    }
    for (int bar = 0; bar < bars; ++bar) {
        const bool filling = Has(entry.parts, 'F') && bar == bars - 1 && !fill.empty();
        PlayDrumBar(filling ? fill : beat, bar, filling ? 0 : bar * piece_.stepsPerBar, filling);
    }
}

// One bar of a drum pattern as a drummer plays it: the beats of the hi-hat
// leaning on the pulse, ghost strokes around the backbeat, and every fourth
// bar an open hat and a pickup; every eighth an extra kick.
void Arranger::PlayDrumBar(const std::vector<DrumLane>& lanes, int bar, int step0, bool filling) {
    const int steps = piece_.stepsPerBar;
    const int stepTicks = BarTicks() / steps;
    const int beatSteps = std::max(1, BeatTicks() / stepTicks);
    const int barStart = entryStart_ + bar * BarTicks();
    const bool turn = !filling && bar % 4 == 3;
    const auto strike = [&](int s, int note, int velocity) {
        Play(kDrumChannel, barStart + s * stepTicks, std::max(kShortestNote, stepTicks / 2), note,
             velocity);
    };
    for (const DrumLane& lane : lanes) {
        const auto at = [&](int s) {
            return DrumStepVelocity(
                lane.steps[static_cast<std::size_t>(step0 + s) % lane.steps.size()]);
        };
        const bool hat = lane.note == kClosedHat || lane.note == kPedalHat || lane.note == kRide;
        const bool snare = lane.note == kSnare || lane.note == kElectricSnare;
        for (int s = 0; s < steps; ++s) {
            int velocity = at(s);
            if (velocity == 0) {
                // A soft stroke just before a backbeat.
                if (snare && !filling && s + 1 < steps && at(s + 1) >= kBackbeat &&
                    performer_.Between(kDrumChannel, 0, 2) == 0) {
                    strike(s, lane.note, performer_.Between(kDrumChannel, 28, 42));
                }
                continue;
            }
            if (hat) {
                velocity += s % beatSteps == 0 ? kHatAccent : -kHatAccent;
                if (turn && s == steps - beatSteps / 2 && lane.note == kClosedHat) {
                    strike(s, kOpenHat, velocity);
                    continue;
                }
            }
            strike(s, lane.note, velocity);
        }
        if (turn && snare && at(steps - 1) == 0) {
            strike(steps - 1, lane.note, performer_.Between(kDrumChannel, 50, 70));
        }
        if (!filling && bar % 8 == 5 && (lane.note == kKick || lane.note == kAcousticKick) &&
            steps % 4 == 0 && at(steps - steps / 8) == 0 && at(steps - steps / 8 - 1) == 0) {
            strike(steps - steps / 8, lane.note, 80);
        }
    }
}

}  // namespace kwadrill
