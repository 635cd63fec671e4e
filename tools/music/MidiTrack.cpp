#include "MidiTrack.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <tuple>

namespace kwadrill {

namespace {

enum Rank { kMeta, kSetUp, kNoteOff, kNoteOn };

constexpr std::uint8_t kNoteOnStatus = 0x90;
constexpr std::uint8_t kControllerStatus = 0xB0;
constexpr std::uint8_t kProgramStatus = 0xC0;
constexpr std::uint8_t kMetaStatus = 0xFF;
constexpr std::uint8_t kMetaTrackName = 0x03;
constexpr std::uint8_t kMetaTempo = 0x51;
constexpr std::uint8_t kMetaTimeSignature = 0x58;
constexpr std::uint8_t kMetaEndOfTrack = 0x2F;
constexpr double kMicrosecondsPerMinute = 60'000'000.0;

std::uint8_t DataByte(int value) {
    if (value < 0 || value > 127) {
        throw std::out_of_range("MIDI data byte out of range");
    }
    return static_cast<std::uint8_t>(value);
}

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

void PutVariableLength(std::vector<std::uint8_t>& out, std::uint32_t value) {
    std::uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1) {
        out.push_back(static_cast<std::uint8_t>(groups[--count] | 0x80));
    }
    out.push_back(groups[0]);
}

// Running status: a channel message repeats its status byte only when it changes.
void PutEvents(std::vector<std::uint8_t>& out, const std::vector<std::vector<std::uint8_t>>& bytes,
               const std::vector<int>& deltas) {
    std::uint8_t runningStatus = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        PutVariableLength(out, static_cast<std::uint32_t>(deltas[i]));
        const std::uint8_t status = bytes[i].front();
        const bool channelMessage = status < 0xF0;
        const bool skipStatus = channelMessage && status == runningStatus;
        out.insert(out.end(), bytes[i].begin() + (skipStatus ? 1 : 0), bytes[i].end());
        runningStatus = channelMessage ? status : 0;
    }
}

}  // namespace

void MidiTrack::Note(int tick, int length, int channel, int pitch, int velocity) {
    DataByte(pitch);
    notes_.push_back(
        {tick, tick + std::max(1, length), channel, pitch, std::clamp(velocity, 1, 127)});
}

void MidiTrack::Program(int tick, int channel, int program) {
    events_.push_back(
        {tick, kSetUp, {static_cast<std::uint8_t>(kProgramStatus | channel), DataByte(program)}});
}

void MidiTrack::Controller(int tick, int channel, int controller, int value) {
    events_.push_back({tick,
                       kSetUp,
                       {static_cast<std::uint8_t>(kControllerStatus | channel),
                        DataByte(controller), DataByte(value)}});
}

void MidiTrack::Tempo(int tick, double quarterNotesPerMinute) {
    const auto micros =
        static_cast<std::uint32_t>(std::lround(kMicrosecondsPerMinute / quarterNotesPerMinute));
    std::vector<std::uint8_t> bytes = {kMetaStatus, kMetaTempo, 3};
    PutBigEndian(bytes, micros, 3);
    events_.push_back({tick, kMeta, bytes});
}

void MidiTrack::TimeSignature(int tick, int numerator, int denominator) {
    int power = 0;
    while ((1 << power) < denominator) {
        ++power;
    }
    // 24 clocks per metronome click, eight 32nds per quarter.
    events_.push_back(
        {tick,
         kMeta,
         {kMetaStatus, kMetaTimeSignature, 4, DataByte(numerator), DataByte(power), 24, 8}});
}

void MidiTrack::TrackName(std::string_view name) {
    std::vector<std::uint8_t> bytes = {kMetaStatus, kMetaTrackName,
                                       DataByte(static_cast<int>(name.size()))};
    bytes.insert(bytes.end(), name.begin(), name.end());
    events_.push_back({0, kMeta, bytes});
}

// A note struck again before it ended is cut short there, so no note-off of
// the earlier note silences the later one.
std::vector<MidiTrack::Event> MidiTrack::NoteEvents() const {
    std::vector<NoteSpan> notes = notes_;
    std::stable_sort(notes.begin(), notes.end(), [](const NoteSpan& a, const NoteSpan& b) {
        return std::tie(a.channel, a.pitch, a.start) < std::tie(b.channel, b.pitch, b.start);
    });
    std::vector<Event> events;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        const NoteSpan& note = notes[i];
        int end = note.end;
        if (i + 1 < notes.size() && notes[i + 1].channel == note.channel &&
            notes[i + 1].pitch == note.pitch) {
            end = std::min(end, notes[i + 1].start);
        }
        if (end <= note.start) {
            continue;
        }
        const auto status = static_cast<std::uint8_t>(kNoteOnStatus | note.channel);
        events.push_back(
            {note.start, kNoteOn, {status, DataByte(note.pitch), DataByte(note.velocity)}});
        events.push_back({end, kNoteOff, {status, DataByte(note.pitch), 0}});
    }
    return events;
}

std::vector<std::uint8_t> MidiTrack::EncodeFile(int endTick) const {
    std::vector<Event> events = events_;
    const std::vector<Event> notes = NoteEvents();
    events.insert(events.end(), notes.begin(), notes.end());
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return std::tie(a.tick, a.rank) < std::tie(b.tick, b.rank);
    });
    std::vector<std::vector<std::uint8_t>> bytes;
    std::vector<int> deltas;
    int previous = 0;
    for (const Event& event : events) {
        if (event.tick > endTick) {
            throw std::logic_error("event after the end of the track");
        }
        bytes.push_back(event.bytes);
        deltas.push_back(event.tick - previous);
        previous = event.tick;
    }
    bytes.push_back({kMetaStatus, kMetaEndOfTrack, 0});
    deltas.push_back(endTick - previous);

    std::vector<std::uint8_t> track;
    PutEvents(track, bytes, deltas);
    std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1};
    PutBigEndian(file, kTicksPerQuarter, 2);
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    PutBigEndian(file, static_cast<std::uint32_t>(track.size()), 4);
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

}  // namespace kwadrill
