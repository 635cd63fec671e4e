#pragma once

#include <QString>

#include <variant>

#include "ReplayFile.h"
#include "ScoreTable.h"
#include "WriteFailure.h"

namespace kwadrill {

// The replays of the table's results, one file each in one folder. A
// finished game's replay is written before its result has an entry, as
// "unfiled-<seed>.kwreplay"; once the entry is made it is renamed after the
// entry's score and date, "<score>-<yyyyMMdd>-<HHmmss>-<zzz>.kwreplay",
// which is how the entry finds it (the table itself holds nothing of it).
// Every write is whole or nothing and never goes through a link.
class ReplayStore {
public:
    // folder: where the replays go; empty: nowhere (there is no data folder).
    explicit ReplayStore(QString folder);

    // $XDG_DATA_HOME/QZ's Kwadrill/replays (~/.local/share/... when unset);
    // empty when there is no data folder.
    static QString DefaultFolder();
    const QString& Folder() const { return folder_; }

    // Where the replay of entry is, if it has one.
    QString PathFor(const ScoreEntry& entry) const;
    bool Has(const ScoreEntry& entry) const;
    // The replay of entry, or why it cannot be had.
    std::variant<Replay, QString> Load(const ScoreEntry& entry) const;

    // Writes the replay of a game just finished, making the folder if needed.
    bool KeepFinishedGame(const Replay& replay, WriteFailure* failure);
    // Renames the finished game's replay after entry, in one step; true when
    // there was none to rename.
    bool FileUnder(const ScoreEntry& entry, WriteFailure* failure);
    // Removes the replay of every result not in table, unfiled ones and what
    // an interrupted write left; only files and links, and only the player's.
    void KeepOnly(const ScoreTable& table) const;

private:
    QString folder_;
    QString unfiled_;  // the finished game's replay until it is filed
};

}  // namespace kwadrill
