#include "SingleInstanceLock.h"

#include <QLockFile>

namespace kwadrill {

SingleInstanceLock::SingleInstanceLock(const QString& lockFilePath) {
    if (lockFilePath.isEmpty()) return;
    lock_ = std::make_unique<QLockFile>(lockFilePath);
    // The game runs for hours: a lock is stale only when its owner is gone,
    // never because of its age.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) anotherCopyRunning_ = lock_->error() == QLockFile::LockFailedError;
}

SingleInstanceLock::~SingleInstanceLock() = default;
SingleInstanceLock::SingleInstanceLock(SingleInstanceLock&&) noexcept = default;
SingleInstanceLock& SingleInstanceLock::operator=(SingleInstanceLock&&) noexcept = default;

bool SingleInstanceLock::Held() const {
    return lock_ && lock_->isLocked();
}

SingleInstanceLock AnotherInstanceRunning(const QString& name, const QString& scratchDir) {
    // Without a private directory there is nowhere safe to lock: play on.
    if (scratchDir.isEmpty()) return SingleInstanceLock(QString());
    return SingleInstanceLock(scratchDir + name + QLatin1String(".lock"));
}

}  // namespace kwadrill
