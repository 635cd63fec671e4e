#pragma once

#include <functional>
#include <vector>

#include "MusicControl.h"
#include "PlayerSettings.h"
#include "SoundEffects.h"

namespace kwadrill {

// The one owner of the player's settings while the game runs. They change
// only here: once at start-up with what the store held, then with what the
// settings dialog gives (Apply). Each change is pushed at once, one way: the
// volumes to the audio, the whole settings to every SettingsApplied
// subscriber in the order they subscribed (game control takes the keys, the
// main window the key repeat and what it shows, the program the pads').
// Subscribers keep what they are given and never ask back; at shut-down the
// program saves Current().
class PlayerSettingsOwner {
public:
    using SettingsApplied = std::function<void(const PlayerSettings&)>;

    // The audio is set to the defaults at once.
    PlayerSettingsOwner(SoundEffects& sound, MusicControl& music);
    PlayerSettingsOwner(const PlayerSettingsOwner&) = delete;
    PlayerSettingsOwner& operator=(const PlayerSettingsOwner&) = delete;

    const PlayerSettings& Current() const { return current_; }

    // The subscriber gets the current settings at once, then every change.
    // It takes them and returns; it never applies settings itself.
    void Subscribe(SettingsApplied settingsApplied);

    // Takes the settings when they are valid (PlayerSettings::Valid) and
    // pushes them if they differ from the current ones; false refuses them
    // and nothing changes.
    bool Apply(const PlayerSettings& settings);

private:
    void PushVolumes();

    SoundEffects& sound_;
    MusicControl& music_;
    PlayerSettings current_;
    std::vector<SettingsApplied> subscribers_;
};

}  // namespace kwadrill
