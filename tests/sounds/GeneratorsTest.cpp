#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "ResourceFiles.h"

namespace kwadrill::test {
namespace {

namespace fs = std::filesystem;

std::optional<fs::path> ToolFromEnvironment(const char* variable) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return fs::path(value);
}

// A fresh directory under the system's temporary directory, removed afterwards.
class ScratchDirectory {
public:
    explicit ScratchDirectory(const std::string& tag) {
        static int counter = 0;
        path_ = fs::temp_directory_path() / ("kwadrill-" + tag + "-" + std::to_string(::getpid()) +
                                             "-" + std::to_string(++counter));
        fs::create_directories(path_);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

int RunTool(const fs::path& tool, const fs::path& output) {
    const std::string command =
        "'" + tool.string() + "' '" + output.string() + "' > /dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Every file of `expected` is in `actual` with the same bytes, and nothing more.
void ExpectSameFiles(const fs::path& expected, const fs::path& actual) {
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(expected)) {
        const fs::path other = actual / entry.path().filename();
        ASSERT_TRUE(fs::exists(other)) << other;
        EXPECT_TRUE(ReadBytes(entry.path()) == ReadBytes(other))
            << entry.path().filename() << " differs";
        ++count;
    }
    EXPECT_EQ(count, static_cast<std::size_t>(std::distance(fs::directory_iterator(actual), {})));
}

void ExpectReproducible(const char* variable, const std::string& kind) {
    const auto tool = ToolFromEnvironment(variable);
    if (!tool) {
        GTEST_SKIP() << variable << " is not set";
    }
    ScratchDirectory first(kind);
    ScratchDirectory second(kind);
    ASSERT_EQ(RunTool(*tool, first.Path()), 0);
    ASSERT_EQ(RunTool(*tool, second.Path()), 0);
    ExpectSameFiles(first.Path(), second.Path());
    ExpectSameFiles(ResourcePath(kind, ""), first.Path());
}

TEST(GeneratorsTest, EffectsGeneratorReproducesTheCommittedFiles) {
    ExpectReproducible("KWADRILL_GENERATE_SOUNDS", "wave");
}

TEST(GeneratorsTest, MusicGeneratorReproducesTheCommittedFiles) {
    ExpectReproducible("KWADRILL_GENERATE_MUSIC", "midi");
}

TEST(GeneratorsTest, GeneratorsReportAnOutputTheyCannotWrite) {
    for (const char* variable : {"KWADRILL_GENERATE_SOUNDS", "KWADRILL_GENERATE_MUSIC"}) {
        const auto tool = ToolFromEnvironment(variable);
        if (!tool) {
            GTEST_SKIP() << variable << " is not set";
        }
        ScratchDirectory scratch("unwritable");
        const fs::path blocker = scratch.Path() / "file";
        std::ofstream(blocker) << "not a directory";
        EXPECT_NE(RunTool(*tool, blocker / "out"), 0) << variable;
    }
}

}  // namespace
}  // namespace kwadrill::test
