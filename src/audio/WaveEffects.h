#pragma once

#include "SoundEffects.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace kwadrill {

class WaveBank;

// The game's effects on one mixer channel: a new effect cuts off the last.
class WaveEffects : public SoundEffects {
public:
    // random(n) gives a uniform integer in 0..n-1 (the game's generator).
    // Sounds start switched on.
    WaveEffects(const WaveBank& bank, std::function<int(int)> random);

    void SetSoundEnabled(bool enabled) override { soundEnabled_ = enabled; }
    void SetEffectsVolume(int percent) override;

    // Stops the effect that sounds, then plays the named one; an unknown
    // name plays nothing and reports nothing.
    void PlayWaveResource(const QString& name);
    void PlayDissolveSound() override;
    bool PlayDropSound() override;

private:
    void PlayVariant(const QString& family, int variants);

    const WaveBank& bank_;
    std::function<int(int)> random_;
    bool soundEnabled_ = true;
    int volume_ = 100;
};

}  // namespace kwadrill
