#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "BaseDirectories.h"
#include "StorageTestSupport.h"

namespace kwadrill {
namespace {

using test::ScopedEnvironment;

constexpr const char* kVariables[] = {"XDG_CONFIG_HOME", "XDG_DATA_HOME",   "XDG_CACHE_HOME",
                                      "XDG_STATE_HOME",  "XDG_RUNTIME_DIR", "XDG_DATA_DIRS",
                                      "XDG_CONFIG_DIRS"};

// Every base-directory variable absolute, as on a sound desktop; each is
// restored when the test ends.
class BaseDirectoriesTest : public ::testing::Test {
protected:
    BaseDirectoriesTest() {
        for (const char* name : kVariables)
            saved_.push_back(
                std::make_unique<ScopedEnvironment>(name, QByteArray("/sound/") + name));
    }

private:
    std::vector<std::unique_ptr<ScopedEnvironment>> saved_;
};

struct VariableCase {
    const char* name;
    const char* value;
    std::optional<const char*> after;  // nothing: unset
    bool noticed;
};
void PrintTo(const VariableCase& c, std::ostream* out) {
    *out << c.name << "=\"" << c.value << '"';
}

class OneVariable : public BaseDirectoriesTest,
                    public ::testing::WithParamInterface<VariableCase> {};

TEST_P(OneVariable, RelativeValuesAreDroppedWithANoticeAndTheRestStays) {
    const VariableCase& c = GetParam();
    qputenv(c.name, c.value);

    const QStringList notices = IgnoreRelativeBaseDirectories();

    if (c.after) {
        EXPECT_TRUE(qEnvironmentVariableIsSet(c.name));
        EXPECT_EQ(qgetenv(c.name), QByteArray(*c.after));
    } else {
        EXPECT_FALSE(qEnvironmentVariableIsSet(c.name))
            << "still set to " << qgetenv(c.name).data();
    }
    if (c.noticed) {
        ASSERT_EQ(notices.size(), 1) << qPrintable(notices.join(u'\n'));
        EXPECT_TRUE(notices[0].contains(QLatin1String(c.name))) << qPrintable(notices[0]);
        EXPECT_FALSE(notices[0].contains(u'\n'));
    } else {
        EXPECT_TRUE(notices.isEmpty()) << qPrintable(notices.join(u'\n'));
    }
    for (const char* other : kVariables) {
        if (QLatin1String(other) == QLatin1String(c.name)) continue;
        EXPECT_EQ(qgetenv(other), QByteArray("/sound/") + other) << other;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, OneVariable,
    ::testing::Values(VariableCase{"XDG_CONFIG_HOME", "relative/config", std::nullopt, true},
                      VariableCase{"XDG_CONFIG_HOME", "~/.config", std::nullopt, true},
                      VariableCase{"XDG_DATA_HOME", "data", std::nullopt, true},
                      VariableCase{"XDG_CACHE_HOME", "./cache", std::nullopt, true},
                      VariableCase{"XDG_STATE_HOME", "../state", std::nullopt, true},
                      VariableCase{"XDG_RUNTIME_DIR", "run/user/1000", std::nullopt, true},
                      VariableCase{"XDG_RUNTIME_DIR", "/run/user/1000", "/run/user/1000", false},
                      VariableCase{"XDG_CONFIG_HOME", "", "", false},
                      VariableCase{"XDG_DATA_DIRS", "share:/usr/share::/opt/share",
                                   "/usr/share:/opt/share", true},
                      VariableCase{"XDG_DATA_DIRS", "/usr/local/share:/usr/share",
                                   "/usr/local/share:/usr/share", false},
                      VariableCase{"XDG_CONFIG_DIRS", "etc/xdg:xdg", std::nullopt, true}));

// What the game asks Qt for: the folders of home, as if the variables were unset.
TEST_F(BaseDirectoriesTest, QtFallsBackToTheHomeFolders) {
    QTemporaryDir home;
    const ScopedEnvironment homeVariable("HOME", QFile::encodeName(home.path()));
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(name, "relative");

    EXPECT_EQ(IgnoreRelativeBaseDirectories().size(), 3);

    EXPECT_EQ(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
              home.filePath(QStringLiteral(".config")));
    EXPECT_EQ(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
              home.filePath(QStringLiteral(".local/share")));
    EXPECT_EQ(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation),
              home.filePath(QStringLiteral(".cache")));
}

}  // namespace
}  // namespace kwadrill
