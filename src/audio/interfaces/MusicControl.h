#pragma once

#include <QString>

#include <cstdint>

namespace kwadrill {

// The music as game control sees it: the rotation of pieces and the device
// that plays them.
class MusicControl {
public:
    virtual ~MusicControl() = default;

    // Music on or off (the player's switch); while off no piece is due.
    virtual void SetMusicEnabled(bool enabled) = 0;
    // The music's level, 0 to 100 percent of its full level, live or from the
    // cache; it applies at once. Apart from the switch: at 0 the rotation
    // goes on unheard.
    virtual void SetMusicVolume(int percent) = 0;
    // The path of the next piece: the rotation's next game piece while a game
    // runs, else the menu piece; a resource name overrides the rotation's
    // choice. Empty while music is off or for an unknown name.
    virtual QString NextMusicFile(bool gameRunning, const QString& name = {}) = 0;
    // Replaces what plays with the file; does nothing for a missing file;
    // reports a device error through its error callback and returns.
    virtual void PlayMusicFile(const QString& path) = 0;
    virtual void StopMusic() = 0;
    // The game piece counter goes back to 0 at every Start.
    virtual void ResetTrackCounter() = 0;

    // Device queries polled by the main tick; position and length share one unit.
    virtual bool IsPlaying() = 0;
    virtual std::int64_t Position() = 0;
    virtual std::int64_t Length() = 0;
};

}  // namespace kwadrill
