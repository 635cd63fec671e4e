#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ScratchDirectory.h"
#include "StorageTestSupport.h"

namespace kwadrill {
namespace {

struct SeparatorCase {
    QString path;
    QString expected;
};

class EnsureTrailingBackslashTest : public ::testing::TestWithParam<SeparatorCase> {};

TEST_P(EnsureTrailingBackslashTest, AppendsOneSeparatorToANonEmptyPath) {
    EXPECT_EQ(EnsureTrailingBackslash(GetParam().path), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, EnsureTrailingBackslashTest,
                         ::testing::Values(SeparatorCase{QString(), QString()},
                                           SeparatorCase{QStringLiteral("/"), QStringLiteral("/")},
                                           SeparatorCase{QStringLiteral("/run/user/1000"),
                                                         QStringLiteral("/run/user/1000/")},
                                           SeparatorCase{QStringLiteral("/run/user/1000/"),
                                                         QStringLiteral("/run/user/1000/")}));

mode_t ModeOf(const QString& path) {
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

class ScratchDirectoryTest : public ::testing::Test {
protected:
    ScratchDirectoryTest() {
        QDir(root_.path()).mkpath(QStringLiteral("runtime"));
        QDir(root_.path()).mkpath(QStringLiteral("tmp"));
        ::chmod(QFile::encodeName(Runtime()).constData(), 0700);
    }
    QString Runtime() const { return root_.path() + QStringLiteral("/runtime"); }
    QString Temp() const { return root_.path() + QStringLiteral("/tmp"); }
    QString PerUserFolder() const {
        return Temp() + QStringLiteral("/kwadrill-") + QString::number(::geteuid());
    }
    void ExpectFreshPrivateFolder(const QString& scratch) {
        EXPECT_TRUE(scratch.startsWith(PerUserFolder() + QLatin1Char('-')))
            << scratch.toStdString();
        EXPECT_TRUE(scratch.endsWith(QLatin1Char('/')));
        EXPECT_EQ(ModeOf(scratch), 0700u);
    }

    QTemporaryDir root_;
};

TEST_F(ScratchDirectoryTest, UsesAPrivateRuntimeDirectory) {
    EXPECT_EQ(GetScratchDirectory(Runtime(), Temp()), Runtime() + QLatin1Char('/'));
    EXPECT_EQ(GetScratchDirectory(Runtime() + QLatin1Char('/'), Temp()),
              Runtime() + QLatin1Char('/'));
}

TEST_F(ScratchDirectoryTest, FallsBackToAPrivatePerUserTempFolder) {
    for (const QString& runtime : {QString(), Runtime() + QStringLiteral("/missing")}) {
        EXPECT_EQ(GetScratchDirectory(runtime, Temp()), PerUserFolder() + QLatin1Char('/'));
        EXPECT_EQ(ModeOf(PerUserFolder()), 0700u);
    }
}

TEST_F(ScratchDirectoryTest, RuntimeDirectoryOpenToOthersIsNotUsed) {
    ::chmod(QFile::encodeName(Runtime()).constData(), 0755);
    EXPECT_EQ(GetScratchDirectory(Runtime(), Temp()), PerUserFolder() + QLatin1Char('/'));
}

TEST_F(ScratchDirectoryTest, RuntimeDirectoryOfAnotherUserIsNotUsed) {
    if (::chown(QFile::encodeName(Runtime()).constData(), ::geteuid() + 1, -1) != 0)
        GTEST_SKIP() << "cannot give a directory away without root";
    EXPECT_EQ(GetScratchDirectory(Runtime(), Temp()), PerUserFolder() + QLatin1Char('/'));
}

// Anyone may create kwadrill-<uid> in a shared temporary directory first.
TEST_F(ScratchDirectoryTest, PlantedLinkOrOpenFolderIsNotUsed) {
    const QByteArray folder = QFile::encodeName(PerUserFolder());
    ASSERT_EQ(::symlink(QFile::encodeName(Runtime()).constData(), folder.constData()), 0);
    ExpectFreshPrivateFolder(GetScratchDirectory(QString(), Temp()));

    ::unlink(folder.constData());
    ::mkdir(folder.constData(), 0700);
    ::chmod(folder.constData(), 0777);
    ExpectFreshPrivateFolder(GetScratchDirectory(QString(), Temp()));
    EXPECT_EQ(ModeOf(PerUserFolder()), 0777u);
}

// A runtime directory on a read-only file system could hold neither the music
// nor the lock: the private temporary folder takes its place.
TEST_F(ScratchDirectoryTest, ReadOnlyRuntimeDirectoryIsNotUsed) {
    const QByteArray runtime = QFile::encodeName(Runtime());
    if (::mount("tmpfs", runtime.constData(), "tmpfs", MS_RDONLY, "mode=0700") != 0)
        GTEST_SKIP() << "cannot mount a read-only file system here (root only)";
    EXPECT_EQ(GetScratchDirectory(Runtime(), Temp()), PerUserFolder() + QLatin1Char('/'));
    ::umount(runtime.constData());
}

TEST_F(ScratchDirectoryTest, DefaultReadsXdgRuntimeDir) {
    const test::ScopedEnvironment runtime("XDG_RUNTIME_DIR", QFile::encodeName(Runtime()));
    EXPECT_EQ(GetScratchDirectory(), Runtime() + QLatin1Char('/'));
}

}  // namespace
}  // namespace kwadrill
