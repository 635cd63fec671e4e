#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kwadrill {

inline constexpr int kScoreTableSize = 20;
inline constexpr int kMaxNameLength = 16;

// One result, byte for byte as stored (32 bytes, little-endian numbers).
struct ScoreEntry {
    std::uint8_t nameLength;                   // 0..16
    std::array<char, kMaxNameLength> name;     // Windows-1251 bytes; beyond nameLength: leftovers
    std::array<std::uint8_t, 3> padding;       // carried along unchanged
    std::int32_t score;                        // 0 or less: an empty entry
    double date;                               // days since 1899-12-30, time as the fraction
};
static_assert(sizeof(ScoreEntry) == 32);
static_assert(offsetof(ScoreEntry, nameLength) == 0);
static_assert(offsetof(ScoreEntry, name) == 1);
static_assert(offsetof(ScoreEntry, padding) == 17);
static_assert(offsetof(ScoreEntry, score) == 20);
static_assert(offsetof(ScoreEntry, date) == 24);

// The twenty best results, best first (640 bytes).
struct ScoreTable {
    std::array<ScoreEntry, kScoreTableSize> entries;

    // rank is 1-based.
    ScoreEntry& Rank(int rank) { return entries[static_cast<std::size_t>(rank - 1)]; }
    const ScoreEntry& Rank(int rank) const { return entries[static_cast<std::size_t>(rank - 1)]; }
};
static_assert(sizeof(ScoreTable) == 640);

}  // namespace kwadrill
