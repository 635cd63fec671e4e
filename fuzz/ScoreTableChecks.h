#pragma once

#include "FuzzCheck.h"
#include "HighScores.h"
#include "ScoreTable.h"

namespace kwadrill::fuzz {

// What the high-score window makes of a table read from outside: names of at
// most sixteen characters and dates, whatever the bytes hold.
inline void ShowScoreTable(const ScoreTable& table) {
    for (const ScoreEntry& entry : table.entries) {
        Require(EntryName(entry).size() <= kMaxNameLength,
                "a stored name gives at most 16 characters");
        (void)FromDayNumber(entry.date);
    }
}

}  // namespace kwadrill::fuzz
