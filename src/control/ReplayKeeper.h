#pragma once

#include <QString>

#include <variant>

#include "ReplayFile.h"
#include "ScoreTable.h"

namespace kwadrill {

// Where the replays of the table's results are kept. The program hands in
// files in the player's data folder; tests a recorder. A replay that cannot
// be kept costs the keeper one line on stderr, never the result.
class ReplayKeeper {
public:
    virtual ~ReplayKeeper() = default;

    // A game whose result is about to enter the table has ended: its replay
    // is kept at once, before any window asks the player anything.
    virtual void KeepFinishedGame(const Replay& replay) = 0;
    // That result is now entry in table: its replay is found by it from now
    // on, and the replays of results no longer in the table are removed.
    virtual void FileUnder(const ScoreEntry& entry, const ScoreTable& table) = 0;
    // The replay of entry, or why there is none to watch.
    virtual std::variant<Replay, QString> Load(const ScoreEntry& entry) const = 0;
};

}  // namespace kwadrill
