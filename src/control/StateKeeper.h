#pragma once

#include <optional>

#include "PersistentState.h"
#include "StoreError.h"
#include "WriteFailure.h"

namespace kwadrill {

// What became of one save of the state.
struct SaveResult {
    std::optional<WriteFailure> backup;  // the backup file refused it: where and why
    std::optional<StoreError> store;     // the store refused it, as the store reports it
    bool NothingKept() const { return backup.has_value() && store.has_value(); }
};

// The two places the state outlasts the run in: the backup file and the
// per-user store. The program hands in the real files; tests a recorder.
class StateKeeper {
public:
    virtual ~StateKeeper() = default;
    // Writes the whole state to both places.
    virtual SaveResult Save(const PersistentState& state) = 0;
};

}  // namespace kwadrill
