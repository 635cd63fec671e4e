#include "SingleInstanceLock.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

#include <array>
#include <csignal>

#include <limits.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace kwadrill {

namespace {

// A copy that has just created its lock file writes into it at once: a lock
// file younger than this that says nothing yet is that copy's.
constexpr qint64 kBeingWrittenMs = 2000;

// The file name of the program a process runs, as QLockFile records it;
// empty when it cannot be told.
QString ProgramName(const QString& procEntry) {
    std::array<char, PATH_MAX> target{};
    const ssize_t length =
        ::readlink(QFile::encodeName(procEntry).constData(), target.data(), target.size() - 1);
    if (length <= 0) return {};
    QByteArray path(target.data(), length);
    constexpr QByteArrayView kReplaced(" (deleted)");  // the game was updated while it ran
    if (path.endsWith(kReplaced)) path.chop(kReplaced.size());
    return QFileInfo(QFile::decodeName(path)).fileName();
}

// A running process of this very program on this machine.
bool RunningCopyOfTheGame(qint64 pid, const QString& hostName) {
    if (!hostName.isEmpty() && hostName != QSysInfo::machineHostName()) return false;
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max()) return false;
    if (::kill(static_cast<pid_t>(pid), 0) != 0) return false;  // gone, or another user's
    const QString ours = ProgramName(QStringLiteral("/proc/self/exe"));
    // Without /proc a live process is all that can be told.
    return ours.isEmpty() || ProgramName(QStringLiteral("/proc/%1/exe").arg(pid)) == ours;
}

bool HeldByRunningCopy(const QLockFile& lock, const QString& path) {
    qint64 pid = 0;
    QString hostName;
    QString program;
    if (lock.getLockInfo(&pid, &hostName, &program)) return RunningCopyOfTheGame(pid, hostName);
    const QDateTime modified = QFileInfo(path).lastModified();
    return modified.isValid() &&
           qAbs(modified.msecsTo(QDateTime::currentDateTime())) < kBeingWrittenMs;
}

// Qt reads an existing lock file to judge it: through a link, from a FIFO
// (waiting for ever) or a device. Nothing but a regular file may stay there.
bool ClearNonFile(const QString& path) {
    struct stat info {};
    const QByteArray native = QFile::encodeName(path);
    if (::lstat(native.constData(), &info) != 0 || S_ISREG(info.st_mode)) return true;
    return ::unlink(native.constData()) == 0;
}

QString Describe(QLockFile::LockError error, const QString& path) {
    switch (error) {
        case QLockFile::LockFailedError:
            return QStringLiteral("%1 is not held by a running copy and cannot be removed")
                .arg(path);
        case QLockFile::PermissionError:
            return QStringLiteral("no permission to create %1").arg(path);
        default:
            return QStringLiteral("%1 cannot be written").arg(path);
    }
}

}  // namespace

SingleInstanceLock::SingleInstanceLock(const QString& lockFilePath) {
    if (lockFilePath.isEmpty()) {
        doubt_ = QStringLiteral("no private folder to keep a lock file in");
        return;
    }
    if (!ClearNonFile(lockFilePath)) {
        doubt_ = QStringLiteral("%1 is no file and cannot be removed").arg(lockFilePath);
        return;
    }
    lock_ = std::make_unique<QLockFile>(lockFilePath);
    // The game runs for hours: a lock is stale only when its owner is gone,
    // never because of its age.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) return;
    if (lock_->error() == QLockFile::LockFailedError) {
        if (HeldByRunningCopy(*lock_, lockFilePath)) {
            anotherCopyRunning_ = true;
            return;
        }
        // Qt keeps a lock of another program or machine, and cannot take over
        // a stale one where no helper file can be created (a full folder).
        if (lock_->removeStaleLockFile() && lock_->tryLock(0)) return;
    }
    doubt_ = Describe(lock_->error(), lockFilePath);
}

SingleInstanceLock::~SingleInstanceLock() = default;
SingleInstanceLock::SingleInstanceLock(SingleInstanceLock&&) noexcept = default;
SingleInstanceLock& SingleInstanceLock::operator=(SingleInstanceLock&&) noexcept = default;

bool SingleInstanceLock::Held() const {
    return lock_ && lock_->isLocked();
}

SingleInstanceLock AnotherInstanceRunning(const QString& name, const QString& scratchDir) {
    SingleInstanceLock lock(scratchDir.isEmpty() ? QString()
                                                 : scratchDir + name + QLatin1String(".lock"));
    if (!lock.Doubt().isEmpty()) {
        qWarning(
            "Kwadrill: could not make sure that no other copy is running (%s); starting "
            "anyway.",
            qUtf8Printable(lock.Doubt()));
    }
    return lock;
}

}  // namespace kwadrill
