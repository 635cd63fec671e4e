#pragma once

#include <QString>

#include "StateKeeper.h"

namespace kwadrill {

class SettingsStore;

// The game's two places for its state on this machine: the backup file in
// recordDirectory (BackupFileDirectory) and the per-user store. Each place
// that refuses a save costs one line on stderr with the true reason.
class StateFiles : public StateKeeper {
public:
    StateFiles(QString recordDirectory, SettingsStore& store);

    SaveResult Save(const PersistentState& state) override;

private:
    QString recordDirectory_;
    SettingsStore& store_;
};

}  // namespace kwadrill
