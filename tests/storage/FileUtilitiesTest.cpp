#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "FileUtilities.h"
#include "StorageTestSupport.h"
#include "XorChecksum.h"

namespace kwadrill {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

constexpr std::uint8_t kSeed = 80;

class FileUtilitiesTest : public ::testing::Test {
protected:
    QString PathOf(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    QString File(const char* name, const QByteArray& bytes) const {
        const QString path = PathOf(name);
        WriteFileBytes(path, bytes);
        return path;
    }

    QTemporaryDir dir_;
};

// The check byte is the seed XORed with every byte before it; a file of the
// check byte alone holds an empty record.
TEST_F(FileUtilitiesTest, CheckByteIsSeedXorEveryByteBeforeIt) {
    EXPECT_EQ(VerifyXorChecksum(File("seed only", QByteArray(1, char(kSeed))), kSeed), 1);
    const QString path = File("data", QByteArray("abc") + char(kSeed ^ 'a' ^ 'b' ^ 'c'));
    EXPECT_EQ(VerifyXorChecksum(path, kSeed), 4);
    EXPECT_EQ(VerifyXorChecksum(path, kSeed + 1), kFileFailure);
}

TEST_F(FileUtilitiesTest, EveryFlippedBitFailsVerification) {
    QByteArray bytes("Kwadrill\x00\xFF", 10);
    bytes.append(char(XorCheckByte(bytes, kSeed)));
    for (qsizetype bit = 0; bit < bytes.size() * 8; ++bit) {
        QByteArray damaged = bytes;
        damaged[bit / 8] = char(damaged[bit / 8] ^ (1 << (bit % 8)));
        EXPECT_EQ(VerifyXorChecksum(File("damaged", damaged), kSeed), kFileFailure) << bit;
    }
}

TEST_F(FileUtilitiesTest, VerifyAndStripRemovesOnlyAValidCheckByte) {
    const QString good = File("good", QByteArray("xy") + char(kSeed ^ 'x' ^ 'y'));
    const QString bad = File("bad", QByteArray("xy") + char(kSeed));

    EXPECT_EQ(VerifyAndStripChecksum(good, kSeed), 2);
    EXPECT_EQ(ReadFileBytes(good), QByteArray("xy"));
    EXPECT_EQ(VerifyAndStripChecksum(bad, kSeed), kFileFailure);
    EXPECT_EQ(ReadFileBytes(bad).size(), 3);
}

TEST_F(FileUtilitiesTest, NothingToWorkOnFails) {
    const QString missing = PathOf("missing");
    const QString empty = File("empty", QByteArray());
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_EQ(VerifyXorChecksum(missing, kSeed), kFileFailure);
    EXPECT_EQ(VerifyXorChecksum(empty, kSeed), kFileFailure);
    EXPECT_EQ(TruncateLastByte(missing), kFileFailure);
    EXPECT_EQ(TruncateLastByte(empty), kFileFailure);
    EXPECT_EQ(GetFileSizeOrFail(missing), kFileFailure);
    EXPECT_EQ(GetFileSizeOrFail(dir_.path()), kFileFailure);
    EXPECT_EQ(VerifyXorChecksum(dir_.path(), kSeed), kFileFailure);
}

TEST_F(FileUtilitiesTest, TruncateAndSizeReportLengths) {
    const QString path = File("data", QByteArray("12345"));
    EXPECT_EQ(GetFileSizeOrFail(path), 5);
    EXPECT_EQ(TruncateLastByte(path), 4);
    EXPECT_EQ(ReadFileBytes(path), QByteArray("1234"));
}

TEST_F(FileUtilitiesTest, CopyReplacesTheDestinationAndMakesItWritable) {
    const QString source = File("source", QByteArray("record"));
    QFile::setPermissions(source, QFileDevice::ReadOwner);
    const QString destination = File("copy", QByteArray("old and longer"));
    QFile::setPermissions(destination, QFileDevice::ReadOwner);

    EXPECT_EQ(CopyFileWithAttributes(source, destination, kAttributeArchive), 6);
    EXPECT_EQ(ReadFileBytes(destination), QByteArray("record"));
    EXPECT_TRUE(QFile::permissions(destination) & QFileDevice::WriteOwner);
}

TEST_F(FileUtilitiesTest, ReadOnlyAttributeRemovesWritePermission) {
    const QString source = File("source", QByteArray("record"));
    const QString destination = PathOf("copy");

    EXPECT_EQ(CopyFileWithAttributes(source, destination, kAttributeReadOnly), 6);
    EXPECT_FALSE(QFile::permissions(destination) &
                 (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther));
}

TEST_F(FileUtilitiesTest, CopyRefusesSamePathMissingSourceAndUndeletableDestination) {
    const QString source = File("source", QByteArray("record"));
    const QString blocked = PathOf("blocked");
    QDir(dir_.path()).mkpath(QStringLiteral("blocked/inside"));

    EXPECT_EQ(CopyFileWithAttributes(source, source, kAttributeArchive), kFileFailure);
    EXPECT_EQ(ReadFileBytes(source), QByteArray("record"));
    EXPECT_EQ(CopyFileWithAttributes(PathOf("missing"), PathOf("copy"), kAttributeArchive),
              kFileFailure);
    EXPECT_FALSE(QFileInfo::exists(PathOf("copy")));
    EXPECT_EQ(CopyFileWithAttributes(source, blocked, kAttributeArchive), kFileFailure);
    EXPECT_TRUE(QFileInfo(blocked).isDir());
}

TEST_F(FileUtilitiesTest, CopyOfAnEmptyFileIsEmpty) {
    EXPECT_EQ(CopyFileWithAttributes(File("empty", {}), PathOf("copy"), kAttributeArchive), 0);
    EXPECT_EQ(GetFileSizeOrFail(PathOf("copy")), 0);
}

// A link or FIFO is no file to copy: nothing is followed or opened, nothing
// is created. Neither is a file longer than the caller allows.
TEST_F(FileUtilitiesTest, CopyRefusesLinksFifosAndSourcesOverTheLimit) {
    const QString source = File("source", QByteArray("record"));
    const QString link = PathOf("link");
    const QString fifo = PathOf("fifo");
    ASSERT_EQ(::symlink(QFile::encodeName(source).constData(), QFile::encodeName(link).constData()),
              0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    EXPECT_EQ(CopyFileWithAttributes(link, PathOf("copy"), kAttributeArchive), kFileFailure);
    EXPECT_EQ(CopyFileWithAttributes(fifo, PathOf("copy"), kAttributeArchive), kFileFailure);
    EXPECT_EQ(CopyFileWithAttributes(source, PathOf("copy"), kAttributeArchive, 5), kFileFailure);
    EXPECT_FALSE(QFileInfo::exists(PathOf("copy")));
    EXPECT_EQ(CopyFileWithAttributes(source, PathOf("copy"), kAttributeArchive, 6), 6);
}

// A /proc file says it is empty and then reads as more: a file that grew after
// its length was taken. The copy stops one byte past the limit and fails.
TEST_F(FileUtilitiesTest, SourceThatGrowsWhileCopiedFails) {
    if (QFileInfo(QStringLiteral("/proc/self/status")).size() != 0)
        GTEST_SKIP() << "no /proc file that reads longer than its size";
    EXPECT_EQ(CopyFileWithAttributes(QStringLiteral("/proc/self/status"), PathOf("copy"),
                                     kAttributeArchive, 10),
              kFileFailure);
    EXPECT_FALSE(QFileInfo::exists(PathOf("copy")));
}

// A link at the destination is replaced, not written through; the same file
// under another name is not deleted as the "old copy".
TEST_F(FileUtilitiesTest, CopyReplacesALinkAtTheDestinationAndNeverDeletesItsSource) {
    const QString source = File("source", QByteArray("record"));
    const QString victim = File("victim", QByteArray("victim"));
    const QString destination = PathOf("copy");
    ASSERT_EQ(::symlink(QFile::encodeName(victim).constData(),
                        QFile::encodeName(destination).constData()),
              0);

    EXPECT_EQ(CopyFileWithAttributes(source, destination, kAttributeArchive), 6);
    EXPECT_FALSE(QFileInfo(destination).isSymLink());
    EXPECT_EQ(ReadFileBytes(victim), QByteArray("victim"));

    const QString hardLink = PathOf("hard");
    ASSERT_EQ(
        ::link(QFile::encodeName(source).constData(), QFile::encodeName(hardLink).constData()), 0);
    for (const QString& sameFile : {hardLink, dir_.path() + QStringLiteral("/./source")}) {
        EXPECT_EQ(CopyFileWithAttributes(source, sameFile, kAttributeArchive), kFileFailure);
        EXPECT_EQ(ReadFileBytes(source), QByteArray("record")) << qPrintable(sameFile);
    }
}

}  // namespace
}  // namespace kwadrill
