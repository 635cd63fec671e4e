#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

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

TEST_F(FileUtilitiesTest, EmptyFileReceivesTheSeedAsItsCheckByte) {
    const QString path = File("empty", QByteArray());

    EXPECT_EQ(AppendXorChecksum(path, kSeed, AlwaysContinue), 1);
    EXPECT_EQ(ReadFileBytes(path), QByteArray(1, char(kSeed)));
    EXPECT_EQ(VerifyXorChecksum(path, kSeed), 1);
}

TEST_F(FileUtilitiesTest, AppendedCheckByteIsSeedXorEveryByteAndVerifies) {
    const QString path = File("data", QByteArray("abc"));

    EXPECT_EQ(AppendXorChecksum(path, kSeed, AlwaysContinue), 4);
    EXPECT_EQ(ReadFileBytes(path), QByteArray("abc") + char(kSeed ^ 'a' ^ 'b' ^ 'c'));
    EXPECT_EQ(VerifyXorChecksum(path, kSeed), 4);
    EXPECT_EQ(VerifyXorChecksum(path, kSeed + 1), kFileFailure);
}

TEST_F(FileUtilitiesTest, ProgressSeesEveryByteAndCanStopThePass) {
    const QString path = File("data", QByteArray("abc"));
    std::vector<std::pair<double, double>> calls;

    const auto result = AppendXorChecksum(path, kSeed, [&](double total, double done) {
        calls.emplace_back(total, done);
        return false;
    });

    EXPECT_EQ(result, kFileFailure);
    EXPECT_EQ(calls, (std::vector<std::pair<double, double>>{{3.0, 1.0}}));
    EXPECT_EQ(ReadFileBytes(path), QByteArray("abc"));

    calls.clear();
    AppendXorChecksum(path, kSeed, [&](double total, double done) {
        calls.emplace_back(total, done);
        return true;
    });
    EXPECT_EQ(calls, (std::vector<std::pair<double, double>>{{3, 1}, {3, 2}, {3, 3}}));
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
    EXPECT_EQ(AppendXorChecksum(missing, kSeed, AlwaysContinue), kFileFailure);
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_EQ(VerifyXorChecksum(missing, kSeed), kFileFailure);
    EXPECT_EQ(VerifyXorChecksum(empty, kSeed), kFileFailure);
    EXPECT_EQ(TruncateLastByte(missing), kFileFailure);
    EXPECT_EQ(TruncateLastByte(empty), kFileFailure);
    EXPECT_EQ(GetFileSizeOrFail(missing), kFileFailure);
    EXPECT_EQ(GetFileSizeOrFail(dir_.path()), kFileFailure);
    EXPECT_EQ(AppendXorChecksum(dir_.path(), kSeed, AlwaysContinue), kFileFailure);
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

}  // namespace
}  // namespace kwadrill
