#pragma once

#include <QDateTime>

#include <functional>

namespace kwadrill {

// The local date and time a new high-score entry is dated with. The game
// hands in the system's; tests hand in a fixed one.
using LocalClock = std::function<QDateTime()>;

inline QDateTime SystemLocalTime() {
    return QDateTime::currentDateTime();
}

}  // namespace kwadrill
