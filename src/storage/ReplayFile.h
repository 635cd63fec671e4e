#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <variant>
#include <vector>

namespace kwadrill {

// What a player did that changed the game; nothing else is kept.
enum class ReplayInput : std::uint8_t {
    ShiftLeft = 1,
    ShiftRight = 2,
    Cycle = 3,
    Drop = 4,
    Pause = 5,
    Resume = 6,
};

// An input and the main tick on which it took effect (ticks count from the
// game's Start; the ticks, not wall time, are a replay's clock).
struct ReplayStep {
    std::uint32_t tick = 0;
    ReplayInput input = ReplayInput::ShiftLeft;
    friend bool operator==(const ReplayStep&, const ReplayStep&) = default;
};

// A whole game: its seed and inputs, and what it claims they came to.
struct Replay {
    std::uint64_t seed = 0;
    std::uint16_t rules = 0;  // choices that change play: none yet, always 0
    std::vector<ReplayStep> steps;
    std::int32_t score = 0;
    std::int32_t level = 0;
    std::uint32_t pieces = 0;
    double date = 0;  // when it ended, as the table keeps dates (days since 1899-12-30)
    friend bool operator==(const Replay&, const Replay&) = default;
};

// The file, little-endian throughout:
//   8  magic "KWREPLAY"      2  version (1)      2  rules
//   8  seed                  8  date (IEEE double)
//   4  score                 4  level            4  pieces
//   4  number of steps, then per step 4 tick and 1 input
//   32 SHA-256 of every byte before it
inline constexpr std::uint16_t kReplayVersion = 1;
inline constexpr qsizetype kReplayHeaderSize = 44;
inline constexpr qsizetype kReplayStepSize = 5;
inline constexpr qsizetype kReplayChecksumSize = 32;
// Far beyond any game (a step per tick for days); a larger file is refused
// before it is read.
inline constexpr qsizetype kLargestReplayFile = 16 * 1024 * 1024;

QByteArray EncodeReplay(const Replay& replay);
// The replay, or the one-line reason it is not one.
std::variant<Replay, QString> DecodeReplay(QByteArrayView bytes);
// Reads only a regular file (never through a link, never a FIFO or device)
// of at most kLargestReplayFile bytes.
std::variant<Replay, QString> ReadReplayFile(const QString& path);

}  // namespace kwadrill
