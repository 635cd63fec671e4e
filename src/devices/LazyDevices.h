#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "GameDevices.h"
#include "MusicControl.h"
#include "SoundEffects.h"

namespace kwadrill {

// The game's effects and music as the session sees them from its start,
// before the devices are there: until Open() the effects are silent and no
// music plays, exactly as an audio output that is not open yet. The two
// switches, the two volumes and the pads' keys are kept and handed on. If
// the devices cannot be loaded, they stay so, after one line on stderr.
class LazyDevices final : public SoundEffects, public MusicControl {
public:
    // Makes the devices, or says in problem why it cannot.
    using Loader = std::function<std::unique_ptr<GameDevices>(QString& problem)>;

    LazyDevices() = default;
    ~LazyDevices() override;
    LazyDevices(const LazyDevices&) = delete;
    LazyDevices& operator=(const LazyDevices&) = delete;

    // The devices from the module file at path (see DevicesModulePath),
    // once the file has passed ModuleFileProblem.
    static Loader FromModule(QString path, DeviceSetup setup);
    // The module where it is installed, relative to the program's own folder.
    static QString DevicesModulePath();

    // Loads the devices, hands on the switches and opens them; only the
    // first call does anything.
    void Open(const Loader& load);
    bool Loaded() const { return devices_ != nullptr; }
    // Before the window the gamepads steer goes.
    void CloseGamepads();
    // Kept, and handed on like the switches.
    void SetPadKeys(const PadKeys& keys);

    void SetSoundEnabled(bool enabled) override;
    void SetEffectsVolume(int percent) override;
    void PlayDissolveSound() override;
    bool PlayDropSound() override;

    void SetMusicEnabled(bool enabled) override;
    void SetMusicVolume(int percent) override;
    QString NextMusicFile(bool gameRunning, const QString& name = {}) override;
    void PlayMusicFile(const QString& path) override;
    void StopMusic() override;
    void ResetTrackCounter() override;
    bool IsPlaying() override;
    std::int64_t Position() override;
    std::int64_t Length() override;

private:
    bool opened_ = false;
    std::unique_ptr<GameDevices> devices_;
    std::optional<bool> soundEnabled_;
    std::optional<bool> musicEnabled_;
    std::optional<int> effectsVolume_;
    std::optional<int> musicVolume_;
    std::optional<PadKeys> padKeys_;
};

}  // namespace kwadrill
