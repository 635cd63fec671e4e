#include "MidiReader.h"

#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace kwadrill::test {

namespace {

constexpr std::size_t kHeaderChunkSize = 14;
constexpr std::size_t kTrackHeaderSize = 8;
constexpr double kDefaultMicrosPerQuarter = 500000.0;

void Expect(bool condition, const std::string& what) {
    if (!condition) {
        throw std::runtime_error(what);
    }
}

class TrackCursor {
public:
    TrackCursor(const std::vector<std::uint8_t>& bytes, std::size_t begin, std::size_t end)
        : bytes_(bytes), pos_(begin), end_(end) {}

    bool AtEnd() const { return pos_ == end_; }

    std::uint8_t Byte() {
        Expect(pos_ < end_, "event runs past the end of the track");
        return bytes_[pos_++];
    }

    std::uint8_t Peek() const {
        Expect(pos_ < end_, "event runs past the end of the track");
        return bytes_[pos_];
    }

    std::uint32_t VariableLength() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t byte = Byte();
            value = (value << 7) | (byte & 0x7F);
            if ((byte & 0x80) == 0) {
                return value;
            }
        }
        throw std::runtime_error("variable-length number longer than four bytes");
    }

    std::vector<std::uint8_t> Take(std::uint32_t count) {
        Expect(count <= end_ - pos_, "event data runs past the end of the track");
        std::vector<std::uint8_t> data(bytes_.begin() + static_cast<std::ptrdiff_t>(pos_),
                                       bytes_.begin() + static_cast<std::ptrdiff_t>(pos_ + count));
        pos_ += count;
        return data;
    }

private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t pos_;
    std::size_t end_;
};

std::uint32_t Be(const std::vector<std::uint8_t>& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i) {
        value = (value << 8) | bytes[at + static_cast<std::size_t>(i)];
    }
    return value;
}

bool HasTag(const std::vector<std::uint8_t>& bytes, std::size_t at, std::string_view tag) {
    return bytes.size() >= at + 4 &&
           std::string_view(reinterpret_cast<const char*>(bytes.data()) + at, 4) == tag;
}

struct TrackState {
    MidiSummary summary;
    std::map<std::pair<int, int>, int> sounding;
    double microsPerQuarter = kDefaultMicrosPerQuarter;
    std::uint32_t tick = 0;
    std::array<int, 16> programs{};
};

void ChannelMessage(TrackState& state, std::uint8_t status, std::uint8_t first,
                    std::uint8_t second) {
    const int channel = status & 0x0F;
    const int kind = status & 0xF0;
    if (kind == 0x90 && second > 0) {
        ++state.summary.notesPerChannel[static_cast<std::size_t>(channel)];
        state.summary.notes.push_back({state.tick, channel, first, second,
                                       state.programs[static_cast<std::size_t>(channel)]});
        ++state.sounding[{channel, first}];
    } else if (kind == 0x80 || kind == 0x90) {
        --state.sounding[{channel, first}];
    } else if (kind == 0xB0) {
        state.summary.controllers.insert(first);
    } else if (kind == 0xC0) {
        state.summary.programChannels.insert(channel);
        state.programs[static_cast<std::size_t>(channel)] = first;
    }
}

// Returns true for the end-of-track event.
bool MetaEvent(TrackState& state, TrackCursor& cursor) {
    const std::uint8_t type = cursor.Byte();
    const std::vector<std::uint8_t> data = cursor.Take(cursor.VariableLength());
    if (type == 0x51) {
        Expect(data.size() == 3, "tempo event is not three bytes");
        state.microsPerQuarter = (data[0] << 16) | (data[1] << 8) | data[2];
        ++state.summary.tempoEvents;
    } else if (type == 0x58 && data.size() >= 2 && state.summary.ticksPerBar == 0) {
        state.summary.ticksPerBar = state.summary.division * 4 * data[0] / (1 << data[1]);
    }
    return type == 0x2F;
}

void ReadTrack(TrackState& state, TrackCursor& cursor) {
    std::uint8_t runningStatus = 0;
    while (true) {
        Expect(!cursor.AtEnd(), "track has no end-of-track event");
        const std::uint32_t delta = cursor.VariableLength();
        state.tick += delta;
        state.summary.seconds += delta * state.microsPerQuarter / 1e6 / state.summary.division;
        std::uint8_t status = cursor.Peek();
        if (status & 0x80) {
            cursor.Byte();
        } else {
            Expect(runningStatus != 0, "data byte without a running status");
            status = runningStatus;
        }
        if (status == 0xFF || status == 0xF0 || status == 0xF7) {
            // Meta and sysex events cancel running status.
            runningStatus = 0;
            if (status != 0xFF) {
                cursor.Take(cursor.VariableLength());
            } else if (MetaEvent(state, cursor)) {
                Expect(cursor.AtEnd(), "events after end-of-track");
                return;
            }
            continue;
        }
        Expect(status < 0xF0, "system message inside a track");
        runningStatus = status;
        const bool oneDataByte = (status & 0xE0) == 0xC0;
        const std::uint8_t first = cursor.Byte();
        const std::uint8_t second = oneDataByte ? 0 : cursor.Byte();
        Expect(first < 0x80 && second < 0x80, "data byte with its top bit set");
        ChannelMessage(state, status, first, second);
    }
}

}  // namespace

MidiSummary ReadMidi(const std::vector<std::uint8_t>& file) {
    Expect(HasTag(file, 0, "MThd") && Be(file, 4, 4) == 6, "no 6-byte MThd header");
    TrackState state;
    state.summary.format = static_cast<int>(Be(file, 8, 2));
    state.summary.trackCount = static_cast<int>(Be(file, 10, 2));
    state.summary.division = static_cast<int>(Be(file, 12, 2));
    Expect(state.summary.division > 0 && state.summary.division < 0x8000,
           "division is not ticks per quarter");
    Expect(HasTag(file, kHeaderChunkSize, "MTrk"), "no MTrk chunk after the header");
    const std::size_t begin = kHeaderChunkSize + kTrackHeaderSize;
    Expect(file.size() >= begin, "track header cut short");
    Expect(Be(file, kHeaderChunkSize + 4, 4) == file.size() - begin,
           "track length does not match the file");
    TrackCursor cursor(file, begin, file.size());
    ReadTrack(state, cursor);
    for (const auto& [note, count] : state.sounding) {
        state.summary.hangingNotes += count > 0 ? count : 0;
    }
    return state.summary;
}

}  // namespace kwadrill::test
