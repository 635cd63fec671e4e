#pragma once

namespace kwadrill {

// The two game effects, each a random variant. Both do nothing while sounds
// are switched off.
class SoundEffects {
public:
    virtual ~SoundEffects() = default;
    // Sounds on or off (the player's switch).
    virtual void SetSoundEnabled(bool enabled) = 0;
    // The effects' level, 0 to 100 percent of their full level; it applies
    // at once, to an effect that sounds too. Apart from the switch: at 0
    // the effects play unheard.
    virtual void SetEffectsVolume(int percent) = 0;
    virtual void PlayDissolveSound() = 0;
    // True when a drop sound was started: the caller then holds the main tick
    // for the drop delay.
    virtual bool PlayDropSound() = 0;
};

}  // namespace kwadrill
