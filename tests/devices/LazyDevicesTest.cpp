#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "LazyDevices.h"
#include "ScopedEnvironment.h"
#include "TestFiles.h"

namespace kwadrill {
namespace {

using namespace std::chrono_literals;

// Devices that write down what reaches them.
class RecordingDevices final : public GameDevices, SoundEffects, MusicControl {
public:
    explicit RecordingDevices(std::vector<QString>& log) : log_(log) {}

    SoundEffects& effects() override { return *this; }
    MusicControl& music() override { return *this; }
    void Open() override { log_.push_back(QStringLiteral("open")); }
    void CloseGamepads() override { log_.push_back(QStringLiteral("close gamepads")); }
    void SetPadKeys(const PadKeys& keys) override {
        log_.push_back(
            QStringLiteral("pad keys %1 %2").arg(keys.left).arg(keys.repeatRate.value_or(0)));
    }

    void SetSoundEnabled(bool on) override { log_.push_back(QStringLiteral("sound %1").arg(on)); }
    void SetEffectsVolume(int percent) override {
        log_.push_back(QStringLiteral("effects volume %1").arg(percent));
    }
    void PlayDissolveSound() override { log_.push_back(QStringLiteral("dissolve")); }
    bool PlayDropSound() override { return log_.push_back(QStringLiteral("drop")), true; }
    void SetMusicEnabled(bool on) override { log_.push_back(QStringLiteral("music %1").arg(on)); }
    void SetMusicVolume(int percent) override {
        log_.push_back(QStringLiteral("music volume %1").arg(percent));
    }
    QString NextMusicFile(bool running, const QString& name) override {
        return QStringLiteral("next %1 %2").arg(running).arg(name);
    }
    void PlayMusicFile(const QString& path) override {
        log_.push_back(QStringLiteral("play ") + path);
    }
    void StopMusic() override { log_.push_back(QStringLiteral("stop")); }
    void ResetTrackCounter() override { log_.push_back(QStringLiteral("reset")); }
    bool IsPlaying() override { return true; }
    std::int64_t Position() override { return 7; }
    std::int64_t Length() override { return 9; }

private:
    std::vector<QString>& log_;
};

TEST(LazyDevices, IsSilentUntilLoadedThenHandsOnTheSwitchesAndEveryCall) {
    std::vector<QString> log;
    LazyDevices devices;
    devices.SetSoundEnabled(false);
    devices.SetMusicEnabled(true);
    devices.SetMusicEnabled(false);
    devices.SetEffectsVolume(70);
    devices.SetEffectsVolume(40);
    devices.SetMusicVolume(25);
    PadKeys keys;
    keys.left = Qt::Key_A;
    keys.repeatRate = 12;
    devices.SetPadKeys(keys);
    // Before the devices: nothing plays and nothing is due, as with an
    // output not yet open.
    devices.PlayDissolveSound();
    devices.PlayMusicFile(QStringLiteral("/x.mid"));
    devices.ResetTrackCounter();
    devices.StopMusic();
    EXPECT_FALSE(devices.PlayDropSound());
    EXPECT_EQ(devices.NextMusicFile(false), QString());
    EXPECT_FALSE(devices.IsPlaying());
    EXPECT_EQ(devices.Position(), 0);
    EXPECT_EQ(devices.Length(), 0);

    int loads = 0;
    const LazyDevices::Loader load = [&](QString&) {
        ++loads;
        return std::make_unique<RecordingDevices>(log);
    };
    devices.Open(load);
    devices.Open(load);
    ASSERT_TRUE(devices.Loaded());
    EXPECT_EQ(loads, 1);
    // The switches, volumes and pad keys as last set, before the devices open.
    EXPECT_EQ(log, (std::vector<QString>{"sound 0", "music 0", "effects volume 40",
                                         "music volume 25", "pad keys 65 12", "open"}));

    log.clear();
    devices.PlayDissolveSound();
    EXPECT_TRUE(devices.PlayDropSound());
    devices.SetSoundEnabled(true);
    devices.SetMusicVolume(80);
    devices.PlayMusicFile(devices.NextMusicFile(true, QStringLiteral("SCORE")));
    devices.ResetTrackCounter();
    devices.StopMusic();
    devices.CloseGamepads();
    EXPECT_TRUE(devices.IsPlaying());
    EXPECT_EQ(devices.Position(), 7);
    EXPECT_EQ(devices.Length(), 9);
    EXPECT_EQ(log, (std::vector<QString>{"dissolve", "drop", "sound 1", "music volume 80",
                                         "play next 1 SCORE", "reset", "stop", "close gamepads"}));
}

// A module that is not there or not one: the game goes on silent and says why.
TEST(LazyDevices, StaysSilentWhenTheModuleCannotBeLoaded) {
    QTemporaryDir dir;
    const QString notAModule = dir.filePath(QStringLiteral("not-a-module.so"));
    test::WriteFileBytes(notAModule, "text, not a library");
    for (const QString& path : {dir.filePath(QStringLiteral("missing.so")), notAModule}) {
        SCOPED_TRACE(path.toStdString());
        LazyDevices devices;
        testing::internal::CaptureStderr();
        devices.Open(LazyDevices::FromModule(path, {}));
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(devices.Loaded());
        EXPECT_NE(said.find("kwadrill: no sound, music or gamepads: "), std::string::npos) << said;
        EXPECT_NE(said.find(QFile::encodeName(path).toStdString()), std::string::npos) << said;
        EXPECT_FALSE(devices.PlayDropSound());
        EXPECT_FALSE(devices.IsPlaying());
        devices.CloseGamepads();
    }
}

bool AnySound(const QString& rawPath) {
    const QByteArray bytes = test::ReadFileBytes(rawPath);
    const auto* samples = reinterpret_cast<const std::int16_t*>(bytes.constData());
    for (qsizetype i = 0; i < bytes.size() / 2; ++i)
        if (samples[i] != 0) return true;
    return false;
}

// The module of this build, loaded as the game loads it: its effects reach
// the output, its music files are the program's scratch files.
TEST(LazyDevices, LoadsTheBuildsModuleAndPlaysThroughIt) {
    QTemporaryDir dir;
    const QString rawPath = dir.filePath(QStringLiteral("out.raw"));
    test::ScopedEnvironment driver("SDL_AUDIODRIVER", "disk");
    test::ScopedEnvironment file("SDL_DISKAUDIOFILE", QFile::encodeName(rawPath));
    test::ScopedEnvironment delay("SDL_DISKAUDIODELAY", "5");
    test::ScopedEnvironment cache("XDG_CACHE_HOME", QFile::encodeName(dir.filePath("cache")));
    QWidget window;
    QPushButton start(&window);

    LazyDevices devices;
    devices.Open(LazyDevices::FromModule(QStringLiteral(KWADRILL_DEVICES_MODULE),
                                         {.scratchDirectory = dir.path() + QLatin1Char('/'),
                                          .random = [](int) { return 0; },
                                          .showError = {},
                                          .mainWindow = &window,
                                          .startButton = &start}));
    ASSERT_TRUE(devices.Loaded());
    EXPECT_EQ(devices.NextMusicFile(false), dir.filePath(QStringLiteral("qzkm1.mid")));
    ASSERT_TRUE(devices.PlayDropSound());
    // Wait for the sound, not for a time: the bound only catches a hang.
    const auto giveUp = std::chrono::steady_clock::now() + 60s;
    while (!AnySound(rawPath) && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(AnySound(rawPath));
    devices.CloseGamepads();
}

}  // namespace
}  // namespace kwadrill
