#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "SingleInstanceLock.h"
#include "StorageTestSupport.h"

namespace kwadrill {
namespace {

const QString kName = QStringLiteral("QZKwadrill");

class SingleInstanceLockTest : public ::testing::Test {
protected:
    QString Scratch() const { return dir_.path() + QLatin1Char('/'); }
    QString LockPath() const { return Scratch() + kName + QStringLiteral(".lock"); }

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

TEST_F(SingleInstanceLockTest, LockThatCannotBeCreatedCountsAsNoOtherCopy) {
    const SingleInstanceLock nowhere =
        AnotherInstanceRunning(kName, Scratch() + QStringLiteral("missing/"));
    EXPECT_FALSE(nowhere.AnotherCopyRunning());
    EXPECT_FALSE(nowhere.Held());

    EXPECT_FALSE(AnotherInstanceRunning(kName, QString()).AnotherCopyRunning());
}

}  // namespace
}  // namespace kwadrill
