// The generators under tools/ draw the same bytes on every run, and the
// committed files are exactly what they draw.

#include <gtest/gtest.h>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <map>

namespace {

constexpr int kGeneratorTimeoutMs = 300'000;

struct Generator {
    const char* label;
    const char* programVariable;  // set by CMake to the built program
    QString committedRoot;        // where regenerate_<name> writes
    QStringList folders;          // folders under the root that the generator owns
};

void PrintTo(const Generator& g, std::ostream* os) {
    *os << g.label;
}

const QString kSource = KWADRILL_SOURCE_DIR;

// Relative path -> bytes of every file under root/folder.
std::map<QString, QByteArray> ReadTree(const QString& root, const QStringList& folders) {
    std::map<QString, QByteArray> files;
    for (const QString& folder : folders) {
        QDirIterator it(root + "/" + folder, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            if (file.open(QIODevice::ReadOnly))
                files[QDir(root).relativeFilePath(path)] = file.readAll();
        }
    }
    return files;
}

class GeneratorTest : public ::testing::TestWithParam<Generator> {
protected:
    void SetUp() override {
        program_ = qEnvironmentVariable(GetParam().programVariable);
        if (program_.isEmpty())
            GTEST_SKIP() << GetParam().programVariable << " is not set (tools not built)";
    }

    // Runs the generator into a fresh folder and reads what it wrote.
    std::map<QString, QByteArray> RunInto(const QTemporaryDir& dir) {
        QProcess process;
        process.start(program_, {dir.path()});
        EXPECT_TRUE(process.waitForFinished(kGeneratorTimeoutMs)) << qPrintable(program_);
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return ReadTree(dir.path(), GetParam().folders);
    }

    QString program_;
};

TEST_P(GeneratorTest, DrawsTheSameBytesOnEveryRun) {
    QTemporaryDir first, second;
    const auto a = RunInto(first);
    const auto b = RunInto(second);
    ASSERT_FALSE(a.empty());
    EXPECT_TRUE(a == b);
}

TEST_P(GeneratorTest, CommittedFilesAreWhatItDraws) {
    QTemporaryDir fresh;
    const auto drawn = RunInto(fresh);
    const auto committed = ReadTree(GetParam().committedRoot, GetParam().folders);
    for (const auto& [path, bytes] : drawn) {
        const auto it = committed.find(path);
        if (it == committed.end()) {
            ADD_FAILURE() << qPrintable(path) << " is not committed";
        } else {
            EXPECT_TRUE(it->second == bytes)
                << qPrintable(path) << " differs: run regenerate_" << GetParam().label;
        }
    }
    for (const auto& [path, bytes] : committed) {
        EXPECT_TRUE(drawn.count(path)) << qPrintable(path) << " is committed but no longer drawn";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tools, GeneratorTest,
    ::testing::Values(Generator{"pictures",
                                "KWADRILL_GENERATE_PICTURES",
                                kSource + "/resources",
                                {"bitmaps", "glyphs"}},
                      Generator{
                          "about", "KWADRILL_GENERATE_ABOUT", kSource + "/resources/jpeg", {"."}},
                      Generator{"icon", "KWADRILL_GENERATE_ICON", kSource + "/data/icons", {"."}}),
    [](const ::testing::TestParamInfo<Generator>& param) {
        return std::string(param.param.label);
    });

}  // namespace
