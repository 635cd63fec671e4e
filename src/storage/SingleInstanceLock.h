#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace kwadrill {

// The answer to "is another copy of the game running?" together with the lock
// that keeps later copies out: keep the object alive for the whole run.
class SingleInstanceLock {
public:
    // Tries once, without waiting, to take the lock file. Only a lock held by a
    // running copy of the game on this machine keeps this copy out; any other
    // lock (its process gone, another program's, a file that says nothing) is
    // taken over where the folder allows it. A link, FIFO or device at the
    // path is removed first. An empty path takes nothing.
    explicit SingleInstanceLock(const QString& lockFilePath);
    ~SingleInstanceLock();
    SingleInstanceLock(SingleInstanceLock&&) noexcept;
    SingleInstanceLock& operator=(SingleInstanceLock&&) noexcept;

    // True only when a running copy of the game holds the lock.
    bool AnotherCopyRunning() const { return anotherCopyRunning_; }
    // True when this object holds the lock.
    bool Held() const;
    // Why the lock is neither held nor another copy's (no folder, no
    // permission, no space, a stale lock that cannot be removed): the game
    // starts all the same. Empty otherwise.
    const QString& Doubt() const { return doubt_; }

private:
    std::unique_ptr<QLockFile> lock_;
    bool anotherCopyRunning_ = false;
    QString doubt_;
};

// Locks "<scratchDir><name>.lock" (nothing when scratchDir is empty). When it
// cannot make sure that no other copy runs it says so in one line on stderr.
SingleInstanceLock AnotherInstanceRunning(const QString& name, const QString& scratchDir);

}  // namespace kwadrill
