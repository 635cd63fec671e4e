#pragma once

#include <QString>

#include <cstdint>

#include "MusicControl.h"
#include "SoundEffects.h"

namespace kwadrill::test {

// Audio that plays nothing, for the main window driven without a device.
class SilentEffects : public SoundEffects {
public:
    void SetSoundEnabled(bool) override {}
    void SetEffectsVolume(int) override {}
    void PlayDissolveSound() override {}
    bool PlayDropSound() override { return false; }
};

class SilentMusic : public MusicControl {
public:
    void SetMusicEnabled(bool) override {}
    void SetMusicVolume(int) override {}
    QString NextMusicFile(bool, const QString&) override { return {}; }
    void PlayMusicFile(const QString&) override {}
    void StopMusic() override {}
    void ResetTrackCounter() override {}
    bool IsPlaying() override { return false; }
    std::int64_t Position() override { return 0; }
    std::int64_t Length() override { return 0; }
};

}  // namespace kwadrill::test
