#pragma once

#include <cstdint>

#include "BackupRecord.h"

namespace kwadrill {

// What lives from start-up to exit and is saved at shut-down: the backup
// record, the interface language (1 Russian, anything else English) and the
// rank of the newest high-score entry of this run (-1 for none).
struct PersistentState {
    BackupRecord record{};
    std::int32_t language = 0;
    std::int32_t highlightRank = -1;

    bool Russian() const { return language == 1; }
};

}  // namespace kwadrill
