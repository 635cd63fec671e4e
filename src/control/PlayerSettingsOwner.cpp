#include "PlayerSettingsOwner.h"

#include <utility>

namespace kwadrill {

PlayerSettingsOwner::PlayerSettingsOwner(SoundEffects& sound, MusicControl& music)
    : sound_(sound), music_(music) {
    PushVolumes();
}

void PlayerSettingsOwner::Subscribe(SettingsApplied settingsApplied) {
    settingsApplied(current_);
    subscribers_.push_back(std::move(settingsApplied));
}

bool PlayerSettingsOwner::Apply(const PlayerSettings& settings) {
    if (!settings.Valid()) {
        return false;
    }
    if (settings == current_) {
        return true;
    }
    const bool volumesChanged = settings.musicVolume != current_.musicVolume ||
                                settings.effectsVolume != current_.effectsVolume;
    current_ = settings;
    if (volumesChanged) {
        PushVolumes();
    }
    for (const SettingsApplied& settingsApplied : subscribers_) {
        settingsApplied(current_);
    }
    return true;
}

void PlayerSettingsOwner::PushVolumes() {
    music_.SetMusicVolume(current_.musicVolume);
    sound_.SetEffectsVolume(current_.effectsVolume);
}

}  // namespace kwadrill
