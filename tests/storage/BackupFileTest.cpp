#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include <sys/stat.h>
#include <unistd.h>

#include "BackupFile.h"
#include "HighScores.h"
#include "StorageTestSupport.h"
#include "XorChecksum.h"

namespace kwadrill {
namespace {

using test::BytesOf;
using test::ReadFileBytes;
using test::WriteFileBytes;

constexpr qsizetype kFileSize = 665;

// Every byte different, padding included.
BackupRecord PatternRecord() {
    BackupRecord record;
    auto* bytes = reinterpret_cast<unsigned char*>(&record);
    for (std::size_t i = 0; i < sizeof record; ++i)
        bytes[i] = static_cast<unsigned char>(i * 7 + 3);
    return record;
}

QByteArray WithCheckByte(QByteArray bytes) {
    bytes.append(char(XorCheckByte(bytes, kBackupSeed)));
    return bytes;
}

class BackupFileTest : public ::testing::Test {
protected:
    BackupFileTest() {
        QDir().mkpath(ScratchDir());
        QDir().mkpath(RecordDir());
    }

    QString RecordDir() const { return root_.path() + QStringLiteral("/game/"); }
    QString ScratchDir() const { return root_.path() + QStringLiteral("/scratch/"); }
    QString FilePath() const { return RecordDir() + QLatin1String(kBackupFileName); }
    QString CopyPath() const { return ScratchDir() + QLatin1String(kBackupFileName); }

    // Loads into a record of known content; whether it changed tells as much
    // as the answer.
    bool Load(BackupRecord& record) {
        std::memset(&record, 0xAB, sizeof record);
        return LoadBackupFile(record, RecordDir(), ScratchDir());
    }

    QString VictimPath() const { return root_.path() + QStringLiteral("/victim"); }

    QTemporaryDir root_;
};

mode_t TypeOf(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & S_IFMT : 0;
}

mode_t PermissionsOf(const QString& path) {
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

bool MakeLink(const QString& target, const QString& path) {
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()) ==
           0;
}

bool MakeFifo(const QString& path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

TEST_F(BackupFileTest, SaveThenLoadRoundTripsEveryByte) {
    const BackupRecord saved = PatternRecord();

    ASSERT_TRUE(SaveBackupFile(saved, RecordDir()));
    const QByteArray file = ReadFileBytes(FilePath());
    ASSERT_EQ(file.size(), kFileSize);
    EXPECT_EQ(file, WithCheckByte(BytesOf(saved)));

    BackupRecord loaded;
    ASSERT_TRUE(Load(loaded));
    EXPECT_EQ(BytesOf(loaded), BytesOf(saved));
    // Reading never changes the file; the checked copy is gone.
    EXPECT_EQ(ReadFileBytes(FilePath()), file);
    EXPECT_FALSE(QFileInfo::exists(CopyPath()));
}

// Every bit of a short file is covered by the check-byte tests; here one bit in
// each part of the record: table, switches, name, padding, check byte.
TEST_F(BackupFileTest, FlippedBitAnywhereMakesLoadingFail) {
    const QByteArray good = WithCheckByte(BytesOf(PatternRecord()));
    for (const qsizetype byte : {0, 20, 639, 640, 641, 642, 650, 659, 663, 664}) {
        QByteArray damaged = good;
        damaged[byte] = char(damaged[byte] ^ (1 << (byte % 8)));
        WriteFileBytes(FilePath(), damaged);
        BackupRecord record;
        EXPECT_FALSE(Load(record)) << byte;
        EXPECT_EQ(BytesOf(record), QByteArray(sizeof record, '\xAB')) << byte;
        EXPECT_FALSE(QFileInfo::exists(CopyPath())) << "the checked copy stays: " << byte;
    }
}

// Each file ends in a correct check byte for the bytes before it.
TEST_F(BackupFileTest, AnyLengthOtherThan665FailsEvenWithACorrectCheckByte) {
    for (const qsizetype length : {0, 1, 2, 662, 663, 665, 1328}) {
        WriteFileBytes(FilePath(), WithCheckByte(QByteArray(length, '\x11')));
        BackupRecord record;
        EXPECT_FALSE(Load(record)) << length + 1;
    }
}

TEST_F(BackupFileTest, MissingFileFails) {
    BackupRecord record;
    EXPECT_FALSE(Load(record));
}

TEST_F(BackupFileTest, RecordDirectoryThatIsTheScratchDirectoryFails) {
    ASSERT_TRUE(SaveBackupFile(PatternRecord(), ScratchDir()));
    BackupRecord record;
    EXPECT_FALSE(LoadBackupFile(record, ScratchDir(), ScratchDir()));
    EXPECT_EQ(ReadFileBytes(CopyPath()).size(), kFileSize);
}

TEST_F(BackupFileTest, LeftoverReadOnlyCopyFromAFailedStartIsReplaced) {
    WriteFileBytes(CopyPath(), QByteArray("leftover"));
    QFile::setPermissions(CopyPath(), QFileDevice::ReadOwner);
    ASSERT_TRUE(SaveBackupFile(PatternRecord(), RecordDir()));

    BackupRecord record;
    EXPECT_TRUE(Load(record));
    EXPECT_FALSE(QFileInfo::exists(CopyPath()));
}

TEST_F(BackupFileTest, SaveCreatesAMissingDirectory) {
    const QString dir = root_.path() + QStringLiteral("/new/deeper/");
    EXPECT_TRUE(SaveBackupFile(PatternRecord(), dir));
    EXPECT_EQ(ReadFileBytes(dir + QLatin1String(kBackupFileName)).size(), kFileSize);
}

TEST_F(BackupFileTest, SaveThatFailsPartWayKeepsThePreviousFile) {
    BackupRecord old = PatternRecord();
    ASSERT_TRUE(SaveBackupFile(old, RecordDir()));
    const QByteArray before = ReadFileBytes(FilePath());
    BackupRecord changed{};
    changed.musicOn = 1;

    bool saved = true;
    WriteFailure failure;
    {
        test::FileSizeLimit limit(300);  // the disk fills up after 300 bytes
        saved = SaveBackupFile(changed, RecordDir(), &failure);
    }

    EXPECT_FALSE(saved);
    EXPECT_EQ(failure, SystemFailure(FilePath(), QDir::cleanPath(RecordDir()), EFBIG))
        << qPrintable(Describe(failure));
    EXPECT_EQ(ReadFileBytes(FilePath()), before);
    EXPECT_EQ(QDir(RecordDir()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QLatin1String(kBackupFileName)});
}

TEST_F(BackupFileTest, SaveWithoutWritePermissionKeepsThePreviousFile) {
    if (test::RunningAsRoot()) GTEST_SKIP() << "root ignores permissions; covered unprivileged";
    ASSERT_TRUE(SaveBackupFile(PatternRecord(), RecordDir()));
    const QByteArray before = ReadFileBytes(FilePath());
    QFile::setPermissions(RecordDir(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);

    WriteFailure failure;
    EXPECT_FALSE(SaveBackupFile(BackupRecord{}, RecordDir(), &failure));

    QFile::setPermissions(RecordDir(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(ReadFileBytes(FilePath()), before);
    EXPECT_EQ(failure, SystemFailure(FilePath(), QDir::cleanPath(RecordDir()), EACCES))
        << qPrintable(Describe(failure));
}

// A save that fails says which file, what refused and why: the error of the
// step that failed, never one left over from a later call.
TEST_F(BackupFileTest, FailedSaveSaysWhereAndWhy) {
    const QString blocker = root_.path() + QStringLiteral("/blocker");
    WriteFileBytes(blocker, "a file where a folder belongs");
    const QString belowAFile = blocker + QStringLiteral("/QZ's Kwadrill/");
    ASSERT_TRUE(QDir().mkpath(FilePath()));
    const struct {
        const char* what;
        QString dir;
        WriteFailure expected;
    } cases[] = {
        {"a folder below a file", belowAFile,
         SystemFailure(belowAFile + QLatin1String(kBackupFileName), blocker, ENOTDIR)},
        {"a folder at the file's name", RecordDir(), NotAFileFailure(FilePath())},
        {"no folder at all", QString(), NoFolderFailure(QLatin1String(kBackupFileName))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFailure failure;
        EXPECT_FALSE(SaveBackupFile(PatternRecord(), c.dir, &failure));
        EXPECT_EQ(failure, c.expected) << qPrintable(Describe(failure));
    }
    EXPECT_EQ(ReadFileBytes(blocker), "a file where a folder belongs");
}

TEST_F(BackupFileTest, FileLivesBesideAWritableExecutable) {
    EXPECT_EQ(BackupFileDirectory(root_.path()), root_.path() + QLatin1Char('/'));
    EXPECT_EQ(BackupFileDirectory(RecordDir()), RecordDir());
}

TEST_F(BackupFileTest, FileMovesToTheDataDirectoryWhenTheExecutableDirectoryIsMissing) {
    const test::ScopedEnvironment data("XDG_DATA_HOME", root_.path().toLocal8Bit());
    EXPECT_EQ(BackupFileDirectory(root_.path() + QStringLiteral("/no-such-dir")),
              root_.path() + QStringLiteral("/QZ's Kwadrill/"));
}

TEST_F(BackupFileTest, FileMovesToTheDataDirectoryWithoutWritePermission) {
    if (test::RunningAsRoot()) GTEST_SKIP() << "root ignores permissions; covered unprivileged";
    const test::ScopedEnvironment data("XDG_DATA_HOME", root_.path().toLocal8Bit());
    QFile::setPermissions(RecordDir(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);

    EXPECT_EQ(BackupFileDirectory(RecordDir()), root_.path() + QStringLiteral("/QZ's Kwadrill/"));

    QFile::setPermissions(RecordDir(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// Whatever stands at the record's path instead of a file: a link to a good
// backup elsewhere, a dangling link, a FIFO (reading it would wait for ever),
// a directory. None is read, none is followed, nothing is left in the scratch
// folder.
struct Obstacle {
    const char* name;
    std::function<bool(const QString& path, const QString& victim)> place;
    mode_t typeAfterSave;  // what stands at the path once a save was tried
    bool saved;
};

void PrintTo(const Obstacle& obstacle, std::ostream* out) {
    *out << obstacle.name;
}

class RecordPathObstacle : public BackupFileTest, public ::testing::WithParamInterface<Obstacle> {};

TEST_P(RecordPathObstacle, IsNeitherReadNorFollowed) {
    const QByteArray victim = WithCheckByte(BytesOf(PatternRecord()));
    WriteFileBytes(VictimPath(), victim);
    ASSERT_TRUE(GetParam().place(FilePath(), VictimPath()));

    BackupRecord record;
    EXPECT_FALSE(Load(record));
    EXPECT_EQ(BytesOf(record), QByteArray(sizeof record, '\xAB'));
    EXPECT_FALSE(QFileInfo::exists(CopyPath()));

    EXPECT_EQ(SaveBackupFile(BackupRecord{}, RecordDir()), GetParam().saved);
    EXPECT_EQ(TypeOf(FilePath()), GetParam().typeAfterSave);
    if (GetParam().saved) {
        EXPECT_EQ(ReadFileBytes(FilePath()), WithCheckByte(BytesOf(BackupRecord{})));
    }
    EXPECT_EQ(ReadFileBytes(VictimPath()), victim) << "written through the link";
    EXPECT_FALSE(QFileInfo::exists(root_.path() + QStringLiteral("/nowhere")));
    EXPECT_EQ(QDir(RecordDir()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
              QStringList{QLatin1String(kBackupFileName)})
        << "a temporary file was left";
}

INSTANTIATE_TEST_SUITE_P(
    Obstacles, RecordPathObstacle,
    ::testing::Values(
        // A link is replaced by the saved file, its target never touched.
        Obstacle{"LinkToAFileElsewhere",
                 [](const QString& path, const QString& victim) { return MakeLink(victim, path); },
                 S_IFREG, true},
        Obstacle{"DanglingLink",
                 [](const QString& path, const QString& victim) {
                     return MakeLink(QFileInfo(victim).path() + QStringLiteral("/nowhere"), path);
                 },
                 S_IFREG, true},
        // What is no file and no link stays as it is; the save fails.
        Obstacle{"Fifo", [](const QString& path, const QString&) { return MakeFifo(path); },
                 S_IFIFO, false},
        Obstacle{"Directory",
                 [](const QString& path, const QString&) { return QDir().mkpath(path); }, S_IFDIR,
                 false}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

// However long the file, it is refused by its length alone: never copied, never
// read. A copy left by an older version of an interrupted start goes too.
TEST_F(BackupFileTest, OversizedFileIsRefusedWithoutACopy) {
    constexpr qint64 kOversized = 300'000'000;
    WriteFileBytes(CopyPath(), QByteArray(4096, 'c'));
    QFile file(FilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(kOversized));  // sparse: no disk space needed
    file.close();

    BackupRecord record;
    EXPECT_FALSE(Load(record));
    EXPECT_FALSE(QFileInfo::exists(CopyPath()));
    EXPECT_EQ(QFileInfo(FilePath()).size(), kOversized);
}

TEST_F(BackupFileTest, SaveKeepsTheModeOfTheFileItReplacesAndGivesANewOneTheUmasksMode) {
    const mode_t oldMask = ::umask(027);
    EXPECT_TRUE(SaveBackupFile(PatternRecord(), RecordDir()));
    EXPECT_EQ(PermissionsOf(FilePath()), 0640u);
    ::umask(oldMask);

    ::chmod(QFile::encodeName(FilePath()).constData(), 0600);
    EXPECT_TRUE(SaveBackupFile(BackupRecord{}, RecordDir()));
    EXPECT_EQ(PermissionsOf(FilePath()), 0600u);
}

// Left by saves killed half-way: "Kwadrill.hsc." and six letters, regular
// files of this user. Everything else of a similar name stays.
TEST_F(BackupFileTest, StaleTemporariesAreRemovedAndNothingElse) {
    const QString dir = RecordDir();
    WriteFileBytes(VictimPath(), QByteArray("victim"));
    for (const char* name : {"Kwadrill.hsc.AbCdEf", "Kwadrill.hsc.zzzzzz"})
        WriteFileBytes(dir + QLatin1String(name), QByteArray("stale"));
    const QStringList kept{
        QStringLiteral("Kwadrill.hsc"),         QStringLiteral("Kwadrill.hsc.AbCdE"),
        QStringLiteral("Kwadrill.hsc.AbCdEfG"), QStringLiteral("Kwadrill.hsc.AbCd3f"),
        QStringLiteral("Kwadrill.hsc.Ab-dEf"),  QStringLiteral("kwadrill.hsc.AbCdEf"),
        QStringLiteral("Kwadrill.hscXAbCdEf"),  QStringLiteral("Kwadrill.hsc.Linked"),
        QStringLiteral("Kwadrill.hsc.Folder"),  QStringLiteral("Kwadrill.hsc.Others")};
    for (const QString& name : kept) WriteFileBytes(dir + name, QByteArray("keep"));
    QFile::remove(dir + QStringLiteral("Kwadrill.hsc.Linked"));
    ASSERT_TRUE(MakeLink(VictimPath(), dir + QStringLiteral("Kwadrill.hsc.Linked")));
    QFile::remove(dir + QStringLiteral("Kwadrill.hsc.Folder"));
    ASSERT_TRUE(QDir().mkpath(dir + QStringLiteral("Kwadrill.hsc.Folder")));
    const bool othersFile =
        ::chown(QFile::encodeName(dir + QStringLiteral("Kwadrill.hsc.Others")).constData(),
                ::geteuid() + 1, -1) == 0;
    if (!othersFile) QFile::remove(dir + QStringLiteral("Kwadrill.hsc.Others"));

    RemoveStaleBackupTemporaries(dir);

    QStringList expected = kept;
    if (!othersFile) expected.removeOne(QStringLiteral("Kwadrill.hsc.Others"));
    expected.sort();
    EXPECT_EQ(
        QDir(dir).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name),
        expected);
    EXPECT_EQ(ReadFileBytes(VictimPath()), QByteArray("victim"));
    RemoveStaleBackupTemporaries(QString());  // no folder: nothing to do
}

// An installed game keeps the record in the data folder whoever runs it
// (root may write to /usr/bin); a game in a folder of its own keeps it
// beside itself while that folder is writable.
struct PlaceCase {
    const char* name;
    const char* executableDir;  // "@" stands for the test's own folder
    const char* installPrefix;
    bool beside;
};

class BackupPlace : public BackupFileTest, public ::testing::WithParamInterface<PlaceCase> {
protected:
    QString Expand(const char* path) const {
        return QString::fromLatin1(path).replace(QLatin1Char('@'), root_.path());
    }
};

TEST_P(BackupPlace, FollowsWhetherTheGameIsInstalled) {
    QDir().mkpath(root_.path() + QStringLiteral("/prefix/bin"));
    QDir().mkpath(root_.path() + QStringLiteral("/prefix-two/bin"));
    MakeLink(root_.path() + QStringLiteral("/prefix"), root_.path() + QStringLiteral("/linked"));
    const QString data = root_.path() + QStringLiteral("/data");
    const QString executableDir = Expand(GetParam().executableDir);

    const QString dir = BackupFileDirectory(executableDir, Expand(GetParam().installPrefix), data);

    EXPECT_EQ(dir, GetParam().beside ? executableDir + QLatin1Char('/')
                                     : data + QStringLiteral("/QZ's Kwadrill/"));
}

INSTANTIATE_TEST_SUITE_P(
    Places, BackupPlace,
    ::testing::Values(PlaceCase{"OwnFolder", "@/prefix-two/bin", "@/prefix", true},
                      PlaceCase{"BelowTheInstallPrefix", "@/prefix/bin", "@/prefix", false},
                      PlaceCase{"BelowTheInstallPrefixThroughALink", "@/linked/bin", "@/prefix",
                                false},
                      PlaceCase{"BelowALinkToTheInstallPrefix", "@/prefix/bin", "@/linked", false},
                      PlaceCase{"RootAsPrefixSaysNothing", "@/prefix/bin", "/", true},
                      PlaceCase{"SystemFolder", "/usr/games", "", false},
                      PlaceCase{"OptionalPackages", "/opt/kwadrill/bin", "/usr/local", false},
                      PlaceCase{"SnapPackage", "/snap/kwadrill/12/bin", "/usr/local", false}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(BackupFileTest, InstalledGameWithoutADataFolderHasNoPlaceForTheRecord) {
    EXPECT_EQ(BackupFileDirectory(QStringLiteral("/usr/bin"), QString(), QString()), QString());
    BackupRecord record;
    EXPECT_FALSE(LoadBackupFile(record, QString(), ScratchDir()));
    EXPECT_FALSE(SaveBackupFile(record, QString()));
}

TEST(BackupDefaultsTest, EmptyTableMusicAndSoundOnNoName) {
    BackupRecord record = PatternRecord();
    const BackupRecord before = record;

    SetBackupDefaults(record);

    for (int rank = 1; rank <= kScoreTableSize; ++rank) {
        EXPECT_EQ(record.scoreTable.Rank(rank).score, 0);
        EXPECT_EQ(record.scoreTable.Rank(rank).nameLength, 0);
    }
    EXPECT_EQ(record.musicOn, 1);
    EXPECT_EQ(record.soundOn, 1);
    EXPECT_EQ(LastPlayerName(record), QString());
    EXPECT_EQ(record.padding, before.padding);
}

}  // namespace
}  // namespace kwadrill
