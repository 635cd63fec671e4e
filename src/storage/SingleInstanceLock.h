#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace kwadrill {

// The answer to "is another copy of the game running?" together with the lock
// that keeps later copies out: keep the object alive for the whole run.
class SingleInstanceLock {
public:
    // Tries once, without waiting, to take the lock file. A lock left by a
    // process that no longer runs is taken over. An empty path takes nothing.
    explicit SingleInstanceLock(const QString& lockFilePath);
    ~SingleInstanceLock();
    SingleInstanceLock(SingleInstanceLock&&) noexcept;
    SingleInstanceLock& operator=(SingleInstanceLock&&) noexcept;

    // True only when a running process holds the lock. A lock that cannot be
    // taken for any other reason (no permission, no directory) counts as no
    // other copy, so the game still starts.
    bool AnotherCopyRunning() const { return anotherCopyRunning_; }
    // True when this object holds the lock.
    bool Held() const;

private:
    std::unique_ptr<QLockFile> lock_;
    bool anotherCopyRunning_ = false;
};

// Locks "<scratchDir><name>.lock" (nothing when scratchDir is empty).
SingleInstanceLock AnotherInstanceRunning(const QString& name, const QString& scratchDir);

}  // namespace kwadrill
