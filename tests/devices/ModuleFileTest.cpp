#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <elf.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "LazyDevices.h"
#include "ModuleFile.h"
#include "TestFiles.h"

namespace kwadrill {
namespace {

const QString kModule = QStringLiteral(KWADRILL_DEVICES_MODULE);

// A copy of this build's module in a folder of its own, to be spoilt.
class ModuleCopy {
public:
    ModuleCopy() : path_(dir_.filePath(QStringLiteral("kwadrill-devices.so"))) {
        bytes_ = test::ReadFileBytes(kModule);
        test::WriteFileBytes(path_, bytes_);
        ::chmod(Encoded(path_).constData(), 0755);
    }
    const QString& Path() const { return path_; }
    QString Folder() const { return dir_.path(); }
    const QByteArray& Bytes() const { return bytes_; }
    static QByteArray Encoded(const QString& path) { return QFile::encodeName(path); }

private:
    QTemporaryDir dir_;
    QString path_;
    QByteArray bytes_;
};

struct Spoiling {
    const char* name;
    std::function<void(const ModuleCopy&)> spoil;
    const char* problem;  // part of the reason given; empty: the module is fine
};

void Replace(const ModuleCopy& copy, const QByteArray& bytes) {
    QFile::remove(copy.Path());
    test::WriteFileBytes(copy.Path(), bytes);
}

class ModuleFileProblemTest : public testing::TestWithParam<Spoiling> {};

TEST_P(ModuleFileProblemTest, NamesWhatIsWrongBeforeAnythingIsMapped) {
    const ModuleCopy copy;
    ASSERT_TRUE(QFile::exists(copy.Path()));
    GetParam().spoil(copy);
    const QString problem = ModuleFileProblem(copy.Path());
    if (*GetParam().problem == '\0') {
        EXPECT_EQ(problem, QString());
    } else {
        EXPECT_TRUE(problem.contains(QLatin1String(GetParam().problem))) << qPrintable(problem);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modules, ModuleFileProblemTest,
    testing::Values(
        Spoiling{"AsBuilt", [](const ModuleCopy&) {}, ""},
        Spoiling{"ThroughALink",
                 [](const ModuleCopy& copy) {
                     const QString real = copy.Path() + QStringLiteral(".real");
                     QFile::rename(copy.Path(), real);
                     QFile::link(real, copy.Path());
                 },
                 ""},
        Spoiling{"Missing", [](const ModuleCopy& copy) { QFile::remove(copy.Path()); },
                 "No such file"},
        // The cuts that used to kill every start with SIGBUS.
        Spoiling{"CutAt4KB", [](const ModuleCopy& copy) { Replace(copy, copy.Bytes().left(4096)); },
                 "cut short"},
        Spoiling{"CutAt100KB",
                 [](const ModuleCopy& copy) { Replace(copy, copy.Bytes().left(100 * 1024)); },
                 "cut short"},
        Spoiling{"LastByteMissing",
                 [](const ModuleCopy& copy) { Replace(copy, copy.Bytes().chopped(1)); },
                 "cut short"},
        Spoiling{"Text", [](const ModuleCopy& copy) { Replace(copy, "text, not a library"); },
                 "not a shared library"},
        Spoiling{"OtherClass",
                 [](const ModuleCopy& copy) {
                     QByteArray bytes = copy.Bytes();
                     bytes[EI_CLASS] = bytes[EI_CLASS] == ELFCLASS64 ? ELFCLASS32 : ELFCLASS64;
                     Replace(copy, bytes);
                 },
                 "another kind of machine"},
        Spoiling{"Directory",
                 [](const ModuleCopy& copy) {
                     QFile::remove(copy.Path());
                     QDir().mkdir(copy.Path());
                 },
                 "not a regular file"},
        // Opened without waiting for a writer.
        Spoiling{"Fifo",
                 [](const ModuleCopy& copy) {
                     QFile::remove(copy.Path());
                     ::mkfifo(ModuleCopy::Encoded(copy.Path()).constData(), 0600);
                 },
                 "not a regular file"},
        Spoiling{"WritableByAll",
                 [](const ModuleCopy& copy) {
                     ::chmod(ModuleCopy::Encoded(copy.Path()).constData(), 0757);
                 },
                 "the file can be changed by other users"},
        Spoiling{"InAFolderWritableByAll",
                 [](const ModuleCopy& copy) {
                     ::chmod(ModuleCopy::Encoded(copy.Folder()).constData(), 01777);
                 },
                 "the folder can be changed by other users"}),
    [](const testing::TestParamInfo<Spoiling>& param) { return param.param.name; });

// Root may be tricked into another user's file; everyone else is refused it
// by its mode already.
TEST(ModuleFile, AnotherUsersModuleIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file away";
    const ModuleCopy copy;
    ASSERT_EQ(::chown(ModuleCopy::Encoded(copy.Path()).constData(), 65534, 65534), 0);
    EXPECT_TRUE(ModuleFileProblem(copy.Path()).contains(QLatin1String("belongs to another user")));
}

// The loader checks first: a cut module is one line on stderr, not a crash.
TEST(ModuleFile, TheLoaderRefusesACutModuleWithOneLine) {
    const ModuleCopy copy;
    Replace(copy, copy.Bytes().left(100 * 1024));
    LazyDevices devices;
    testing::internal::CaptureStderr();
    devices.Open(LazyDevices::FromModule(copy.Path(), {}));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(devices.Loaded());
    EXPECT_EQ(said, "kwadrill: no sound, music or gamepads: " + copy.Path().toStdString() +
                        ": cut short or damaged (102400 bytes where its headers need " +
                        std::to_string(copy.Bytes().size()) + ")\n");
}

}  // namespace
}  // namespace kwadrill
