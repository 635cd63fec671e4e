#include "MidiFileInfo.h"

#include <algorithm>
#include <optional>
#include <set>

namespace kwadrill {
namespace {

constexpr std::uint32_t kMinHeaderLength = 6;
constexpr int kMaxVlqBytes = 4;
constexpr std::uint8_t kMetaEvent = 0xFF;
constexpr std::uint8_t kSysexEvent = 0xF0;
constexpr std::uint8_t kSysexEscape = 0xF7;
constexpr std::uint8_t kMetaEndOfTrack = 0x2F;
constexpr std::uint16_t kSmpteDivisionBit = 0x8000;
constexpr int kHighestSupportedFormat = 1;
constexpr std::uint8_t kProgramChange = 0xC0;
constexpr std::uint8_t kDrumChannel = 9;
constexpr int kDrumBank = 128;

using ProgramSet = std::set<std::pair<int, int>>;

// Bounds-checked big-endian reading; every read says whether it fitted.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool AtEnd() const { return pos_ >= bytes_.size(); }
    std::size_t Remaining() const { return bytes_.size() - pos_; }

    std::optional<std::uint32_t> Fixed(int count) {
        if (Remaining() < static_cast<std::size_t>(count)) return std::nullopt;
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i) value = (value << 8) | bytes_[pos_++];
        return value;
    }

    // A variable-length quantity: at most four bytes, seven bits each.
    std::optional<std::uint32_t> Vlq() {
        std::uint32_t value = 0;
        for (int i = 0; i < kMaxVlqBytes; ++i) {
            if (AtEnd()) return std::nullopt;
            const std::uint8_t byte = bytes_[pos_++];
            value = (value << 7) | (byte & 0x7F);
            if ((byte & 0x80) == 0) return value;
        }
        return std::nullopt;
    }

    bool Skip(std::uint64_t count) {
        if (Remaining() < count) return false;
        pos_ += static_cast<std::size_t>(count);
        return true;
    }

    std::optional<std::uint8_t> Peek() const {
        if (AtEnd()) return std::nullopt;
        return bytes_[pos_];
    }

    std::optional<ByteReader> Sub(std::uint64_t count) {
        if (Remaining() < count) return std::nullopt;
        ByteReader sub(bytes_.subspan(pos_, static_cast<std::size_t>(count)));
        pos_ += static_cast<std::size_t>(count);
        return sub;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

bool ChunkIdIs(std::uint32_t id, const char (&name)[5]) {
    const auto expected =
        (static_cast<std::uint32_t>(name[0]) << 24) | (static_cast<std::uint32_t>(name[1]) << 16) |
        (static_cast<std::uint32_t>(name[2]) << 8) | static_cast<std::uint32_t>(name[3]);
    return id == expected;
}

int ChannelMessageDataBytes(std::uint8_t status) {
    const std::uint8_t kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

// Reads a channel message's data bytes and notes the program it selects.
bool ReadChannelData(ByteReader& track, std::uint8_t status, ProgramSet& programs) {
    std::uint8_t data[2] = {};
    const int count = ChannelMessageDataBytes(status);
    for (int i = 0; i < count; ++i) {
        const auto byte = track.Fixed(1);
        if (!byte || (*byte & 0x80) != 0) return false;
        data[i] = static_cast<std::uint8_t>(*byte);
    }
    if ((status & 0xF0) == kProgramChange) {
        const bool drums = (status & 0x0F) == kDrumChannel;
        programs.emplace(drums ? kDrumBank : 0, data[0]);
    }
    return true;
}

// Reads one event after its delta time. Running status carries on across
// meta and sysex events, as many files in the wild rely on.
enum class EventResult { Ok, EndOfTrack, Damaged };

EventResult ReadEvent(ByteReader& track, std::uint8_t& runningStatus, ProgramSet& programs) {
    const auto first = track.Peek();
    if (!first) return EventResult::Damaged;
    if (*first == kMetaEvent) {
        track.Skip(1);
        const auto type = track.Fixed(1);
        const auto length = track.Vlq();
        if (!type || !length || !track.Skip(*length)) return EventResult::Damaged;
        return *type == kMetaEndOfTrack ? EventResult::EndOfTrack : EventResult::Ok;
    }
    if (*first == kSysexEvent || *first == kSysexEscape) {
        track.Skip(1);
        const auto length = track.Vlq();
        return (length && track.Skip(*length)) ? EventResult::Ok : EventResult::Damaged;
    }
    if (*first & 0x80) {
        if (*first > 0xEF) return EventResult::Damaged;  // system messages have no place in a file
        runningStatus = *first;
        track.Skip(1);
    } else if (runningStatus == 0) {
        return EventResult::Damaged;
    }
    return ReadChannelData(track, runningStatus, programs) ? EventResult::Ok : EventResult::Damaged;
}

// The tick of the track's last event, or nothing when the track is damaged.
// A track that ends cleanly without an end-of-track event is accepted.
std::optional<std::int64_t> TrackLength(ByteReader track, ProgramSet& programs) {
    std::int64_t tick = 0;
    std::uint8_t runningStatus = 0;
    while (!track.AtEnd()) {
        const auto delta = track.Vlq();
        if (!delta) return std::nullopt;
        tick += *delta;
        const EventResult result = ReadEvent(track, runningStatus, programs);
        if (result == EventResult::Damaged) return std::nullopt;
        if (result == EventResult::EndOfTrack) break;
    }
    return tick;
}

}  // namespace

MidiFileInfo MidiFileInfo::Read(std::span<const std::uint8_t> bytes) {
    MidiFileInfo info;
    ByteReader file(bytes);
    const auto id = file.Fixed(4);
    const auto headerLength = file.Fixed(4);
    if (!id || !ChunkIdIs(*id, "MThd") || !headerLength || *headerLength < kMinHeaderLength)
        return info;
    auto header = file.Sub(*headerLength);
    if (!header) return info;
    info.format = static_cast<int>(*header->Fixed(2));
    info.trackCount = static_cast<int>(*header->Fixed(2));
    const auto division = static_cast<std::uint16_t>(*header->Fixed(2));
    info.ticksPerQuarter = (division & kSmpteDivisionBit) ? 0 : division;

    if (info.format > kHighestSupportedFormat || info.ticksPerQuarter == 0) {
        info.status = Status::UnsupportedFormat;
        return info;
    }
    info.status = Status::DamagedTrack;
    if (info.trackCount == 0) return info;

    ProgramSet programs{{0, 0}, {kDrumBank, 0}};
    int tracksRead = 0;
    while (tracksRead < info.trackCount) {
        const auto chunkId = file.Fixed(4);
        const auto chunkLength = file.Fixed(4);
        if (!chunkId || !chunkLength) return info;
        auto chunk = file.Sub(*chunkLength);
        if (!chunk) return info;
        if (!ChunkIdIs(*chunkId, "MTrk")) continue;  // unknown chunks are skipped
        const auto length = TrackLength(*chunk, programs);
        if (!length) return info;
        info.lengthTicks = std::max(info.lengthTicks, *length);
        ++tracksRead;
    }
    info.programs.assign(programs.begin(), programs.end());
    info.status = Status::Ok;
    return info;
}

}  // namespace kwadrill
