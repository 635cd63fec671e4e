#pragma once

#include <QString>

#include "ReplayKeeper.h"
#include "ReplayStore.h"

namespace kwadrill {

// The replays of the table's results in the player's data folder. A replay
// that cannot be kept (a full disk, a folder that cannot be made or
// written) costs one line on stderr; the result is kept all the same.
class ReplayFiles : public ReplayKeeper {
public:
    explicit ReplayFiles(QString folder);

    void KeepFinishedGame(const Replay& replay) override;
    void FileUnder(const ScoreEntry& entry, const ScoreTable& table) override;
    std::variant<Replay, QString> Load(const ScoreEntry& entry) const override;
    bool Has(const ScoreEntry& entry) const { return store_.Has(entry); }

private:
    ReplayStore store_;
};

}  // namespace kwadrill
