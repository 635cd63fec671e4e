#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "ScoreTable.h"

namespace kwadrill {

// The persistent record, byte for byte as in the backup file (664 bytes).
struct BackupRecord {
    ScoreTable scoreTable;
    std::uint8_t musicOn;                           // 0 off, else on
    std::uint8_t soundOn;                           // 0 off, else on
    std::uint8_t lastPlayerNameLength;              // 0..16
    std::array<char, kMaxNameLength> lastPlayerName;  // Windows-1251 bytes
    std::array<std::uint8_t, 5> padding;            // carried along unchanged
};
static_assert(sizeof(BackupRecord) == 664);
static_assert(offsetof(BackupRecord, musicOn) == 640);
static_assert(offsetof(BackupRecord, soundOn) == 641);
static_assert(offsetof(BackupRecord, lastPlayerNameLength) == 642);
static_assert(offsetof(BackupRecord, lastPlayerName) == 643);
static_assert(offsetof(BackupRecord, padding) == 659);

}  // namespace kwadrill
