#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <utility>

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "SingleInstanceLock.h"
#include "StorageTestSupport.h"

namespace kwadrill {
namespace {

const QString kName = QStringLiteral("QZKwadrill");

// A process that runs until the test ends: a copy of this program (as far as
// a lock can tell, a copy of the game) or another program.
class LiveProcess {
public:
    static LiveProcess CopyOfThisProgram() {
        const pid_t pid = ::fork();
        if (pid == 0) {
            for (;;) ::pause();
        }
        return LiveProcess(pid);
    }
    static LiveProcess OtherProgram() {
        // posix_spawn returns once the new program runs.
        char program[] = "sleep";
        char duration[] = "600";
        char* arguments[] = {program, duration, nullptr};
        pid_t pid = -1;
        if (::posix_spawnp(&pid, program, nullptr, nullptr, arguments, environ) != 0) pid = -1;
        return LiveProcess(pid);
    }
    // A process id that has just been freed.
    static pid_t Ended() {
        const pid_t pid = ::fork();
        if (pid == 0) ::_exit(0);
        ::waitpid(pid, nullptr, 0);
        return pid;
    }
    LiveProcess(LiveProcess&& other) noexcept : pid_(std::exchange(other.pid_, -1)) {}
    ~LiveProcess() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    pid_t Pid() const { return pid_; }

private:
    explicit LiveProcess(pid_t pid) : pid_(pid) {}
    pid_t pid_;
};

QByteArray ThisProgramName() {
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).fileName().toUtf8();
}

class SingleInstanceLockTest : public ::testing::Test {
protected:
    QString Scratch() const { return dir_.path() + QLatin1Char('/'); }
    QString LockPath() const { return Scratch() + kName + QStringLiteral(".lock"); }

    // A lock file as QLockFile writes it: process id, program, host.
    void PlantLock(qint64 pid, const QByteArray& program,
                   const QByteArray& host = QSysInfo::machineHostName().toUtf8()) {
        test::WriteFileBytes(LockPath(),
                             QByteArray::number(pid) + '\n' + program + '\n' + host + '\n');
    }
    void AgeLock() {
        QFile lock(LockPath());
        ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
        ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                     QFileDevice::FileModificationTime));
    }

    QTemporaryDir dir_;
};

TEST_F(SingleInstanceLockTest, SecondCopyFindsTheFirstUntilItEnds) {
    {
        const SingleInstanceLock first = AnotherInstanceRunning(kName, Scratch());
        EXPECT_FALSE(first.AnotherCopyRunning());
        EXPECT_TRUE(first.Held());
        EXPECT_TRUE(QFileInfo::exists(LockPath()));

        const SingleInstanceLock second = AnotherInstanceRunning(kName, Scratch());
        EXPECT_TRUE(second.AnotherCopyRunning());
        EXPECT_FALSE(second.Held());
    }
    const SingleInstanceLock later = AnotherInstanceRunning(kName, Scratch());
    EXPECT_FALSE(later.AnotherCopyRunning());
}

// A game left open for hours still keeps the next copy out.
TEST_F(SingleInstanceLockTest, OldLockOfARunningCopyIsNotTakenOver) {
    const SingleInstanceLock first = AnotherInstanceRunning(kName, Scratch());
    QFile lock(LockPath());
    ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addDays(-1),
                                 QFileDevice::FileModificationTime));
    lock.close();

    EXPECT_TRUE(AnotherInstanceRunning(kName, Scratch()).AnotherCopyRunning());
}

TEST_F(SingleInstanceLockTest, LockLeftByAKilledCopyIsTakenOver) {
    QByteArray contents;
    {
        const SingleInstanceLock mine = AnotherInstanceRunning(kName, Scratch());
        contents = test::ReadFileBytes(LockPath());
    }
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    // The same lock, now naming a process that has gone.
    const qsizetype lineEnd = contents.indexOf('\n');
    test::WriteFileBytes(LockPath(), QByteArray::number(child) + contents.mid(lineEnd));

    const SingleInstanceLock next = AnotherInstanceRunning(kName, Scratch());
    EXPECT_FALSE(next.AnotherCopyRunning());
    EXPECT_TRUE(next.Held());
}

TEST_F(SingleInstanceLockTest, LockThatCannotBeCreatedCountsAsNoOtherCopyButAsADoubt) {
    const SingleInstanceLock nowhere =
        AnotherInstanceRunning(kName, Scratch() + QStringLiteral("missing/"));
    EXPECT_FALSE(nowhere.AnotherCopyRunning());
    EXPECT_FALSE(nowhere.Held());
    EXPECT_FALSE(nowhere.Doubt().isEmpty());

    const SingleInstanceLock noFolder = AnotherInstanceRunning(kName, QString());
    EXPECT_FALSE(noFolder.AnotherCopyRunning());
    EXPECT_FALSE(noFolder.Doubt().isEmpty());
}

// Only a running copy of the game on this machine keeps the next one out.
TEST_F(SingleInstanceLockTest, LockOfARunningCopyWrittenByHandKeepsTheNextCopyOut) {
    const LiveProcess copy = LiveProcess::CopyOfThisProgram();
    ASSERT_GT(copy.Pid(), 0);
    PlantLock(copy.Pid(), ThisProgramName());

    const SingleInstanceLock next = AnotherInstanceRunning(kName, Scratch());
    EXPECT_TRUE(next.AnotherCopyRunning());
    EXPECT_TRUE(next.Doubt().isEmpty());
}

TEST_F(SingleInstanceLockTest, LockOfAnythingButARunningCopyIsTakenOver) {
    const LiveProcess other = LiveProcess::OtherProgram();
    ASSERT_GT(other.Pid(), 0) << "no sleep program";
    const LiveProcess copy = LiveProcess::CopyOfThisProgram();
    struct Case {
        const char* what;
        qint64 pid;
        QByteArray program;
        QByteArray host;
    };
    const QByteArray here = QSysInfo::machineHostName().toUtf8();
    for (const Case& lock :
         {Case{"ended process", LiveProcess::Ended(), ThisProgramName(), here},
          Case{"another program under its own name", other.Pid(), "sleep", here},
          Case{"another program under the game's name", other.Pid(), ThisProgramName(), here},
          Case{"another machine", copy.Pid(), ThisProgramName(), "elsewhere.invalid"}}) {
        PlantLock(lock.pid, lock.program, lock.host);
        {
            const SingleInstanceLock next = AnotherInstanceRunning(kName, Scratch());
            EXPECT_FALSE(next.AnotherCopyRunning()) << lock.what;
            EXPECT_TRUE(next.Held()) << lock.what;
            EXPECT_TRUE(next.Doubt().isEmpty()) << lock.what;
        }
        EXPECT_FALSE(QFileInfo::exists(LockPath())) << lock.what;
    }
}

// A lock file that says nothing yet is a copy's that is writing it right now;
// once it has stayed so for a while it is junk and taken over.
TEST_F(SingleInstanceLockTest, UnreadableLockIsACopyStartingUpOnlyWhileItIsNew) {
    test::WriteFileBytes(LockPath(), QByteArray());
    EXPECT_TRUE(AnotherInstanceRunning(kName, Scratch()).AnotherCopyRunning());

    AgeLock();
    const SingleInstanceLock next = AnotherInstanceRunning(kName, Scratch());
    EXPECT_FALSE(next.AnotherCopyRunning());
    EXPECT_TRUE(next.Held());
}

// Qt reads a lock it finds: a FIFO would keep it waiting for ever and a link
// would be followed. What is no file is removed and the lock taken; a folder
// cannot be, and the game starts with a word why.
TEST_F(SingleInstanceLockTest, WhatIsNoFileAtTheLockPathNeitherHangsNorKeepsTheGameOut) {
    const QByteArray lock = QFile::encodeName(LockPath());
    const QByteArray fifo = QFile::encodeName(Scratch() + QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const std::function<int()> plants[] = {
        [&] { return ::mkfifo(lock.constData(), 0600); },
        [&] { return ::symlink(fifo.constData(), lock.constData()); },
        [&] { return ::symlink("/dev/zero", lock.constData()); },
        [&] { return ::symlink("nowhere", lock.constData()); }};
    for (const auto& plant : plants) {
        ASSERT_EQ(plant(), 0);
        const SingleInstanceLock next = AnotherInstanceRunning(kName, Scratch());
        EXPECT_FALSE(next.AnotherCopyRunning());
        EXPECT_TRUE(next.Held());
        EXPECT_TRUE(QFileInfo(LockPath()).isFile());
    }
    ASSERT_TRUE(QDir().mkpath(LockPath()));
    const SingleInstanceLock blocked = AnotherInstanceRunning(kName, Scratch());
    EXPECT_FALSE(blocked.AnotherCopyRunning());
    EXPECT_FALSE(blocked.Doubt().isEmpty());
}

// A stale lock in a folder where nothing can be removed or created must not
// keep the game from starting for good: it starts and says why it cannot be
// sure it is alone. Root may remove the lock anyway and simply takes it.
TEST_F(SingleInstanceLockTest, StaleLockInAFolderWithoutWritePermissionLetsTheGameStart) {
    PlantLock(LiveProcess::Ended(), ThisProgramName());
    AgeLock();
    ::chmod(QFile::encodeName(dir_.path()).constData(), 0500);

    {
        const SingleInstanceLock next = AnotherInstanceRunning(kName, Scratch());
        EXPECT_FALSE(next.AnotherCopyRunning());
        if (test::RunningAsRoot()) {
            EXPECT_TRUE(next.Held());
        } else {
            EXPECT_FALSE(next.Held());
            EXPECT_TRUE(next.Doubt().contains(LockPath())) << qPrintable(next.Doubt());
        }
    }
    ::chmod(QFile::encodeName(dir_.path()).constData(), 0700);
}

}  // namespace
}  // namespace kwadrill
