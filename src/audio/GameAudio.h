#pragma once

#include <QString>

#include <functional>
#include <memory>

#include "AudioOutput.h"
#include "GameMusic.h"
#include "MusicCache.h"
#include "MusicDevice.h"
#include "WaveBank.h"
#include "WaveEffects.h"

namespace kwadrill {

// The game's audio on the real device: the output, the effects decoded for
// it, the music device and the music rotation, made together and going down
// in reverse order (the music before the device, everything before the output).
class GameAudio {
public:
    // Opening::Later leaves the device closed and the effects undecoded until
    // Open(), so that the window can come up first. random picks among an
    // effect's variants; showError shows a music device error. With a music
    // cache folder, pieces rendered once play from it and the missing ones
    // are rendered in the background; without one, all music plays live.
    GameAudio(AudioOutput::Opening opening, const QString& scratchDirectory,
              std::function<int(int)> random, GameMusic::ErrorCallback showError,
              const QString& musicCacheFolder = {});
    GameAudio(const GameAudio&) = delete;
    GameAudio& operator=(const GameAudio&) = delete;

    // Opens the device and decodes the effects; only the first call does anything.
    void Open();

    WaveEffects& effects() { return effects_; }
    GameMusic& music() { return music_; }
    bool Silent() const { return output_.IsSilent(); }

private:
    bool opened_;
    AudioOutput output_;
    WaveBank waves_;
    WaveEffects effects_;
    // Outlives the device that plays from it; its renderer stops when it goes.
    std::unique_ptr<MusicCache> cache_;
    MusicDevice device_;
    GameMusic music_;
};

}  // namespace kwadrill
