#include "StateFiles.h"

#include <cstdio>
#include <utility>

#include "BackupFile.h"
#include "SettingsStore.h"

namespace kwadrill {

StateFiles::StateFiles(QString recordDirectory, SettingsStore& store)
    : recordDirectory_(std::move(recordDirectory)), store_(store) {}

SaveResult StateFiles::Save(const PersistentState& state) {
    SaveResult result;
    WriteFailure backup;
    if (!SaveBackupFile(state.record, recordDirectory_, &backup)) {
        std::fprintf(stderr, "Kwadrill: the backup record could not be saved: %s\n",
                     qUtf8Printable(Describe(backup)));
        result.backup = backup;
    }
    try {
        store_.SaveRegistrySettings(state);
    } catch (const StoreError& error) {
        const WriteFailure failure =
            error.Failure().value_or(UnexplainedFailure(store_.FilePath()));
        std::fprintf(stderr, "Kwadrill: the settings could not be saved: %s\n",
                     qUtf8Printable(Describe(failure)));
        result.store = error;
    }
    return result;
}

}  // namespace kwadrill
