#pragma once

#include "MusicControl.h"
#include "MusicFiles.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace kwadrill {

class MusicDevice;

// The game's music: which piece is due (menu, the ten game pieces in
// rotation, game over, score) and playing it on the music device.
class GameMusic : public MusicControl {
public:
    static constexpr int kGamePieces = 10;
    using ErrorCallback = std::function<void(const QString& text)>;

    // showError shows a device error; it is called on the caller's thread
    // inside PlayMusicFile. Music starts switched on.
    GameMusic(MusicDevice& device, QString scratchDirectory, ErrorCallback showError);

    // False when any file could not be written: the caller then shows
    // the start-up warning. The game goes on; missing pieces stay silent.
    bool ExtractMusicFiles() const { return files_.Extract(); }
    void DeleteMusicFiles() const { files_.Delete(); }
    QString MusicFilePath(int position) const { return files_.PathFor(position); }
    std::uint8_t MusicTrackCounter() const { return trackCounter_; }

    void SetMusicEnabled(bool enabled) override { musicEnabled_ = enabled; }
    void SetMusicVolume(int percent) override;
    QString NextMusicFile(bool gameRunning, const QString& name = {}) override;
    void PlayMusicFile(const QString& path) override;
    void StopMusic() override;
    void ResetTrackCounter() override { trackCounter_ = 0; }

    bool IsPlaying() override;
    std::int64_t Position() override;
    std::int64_t Length() override;

private:
    // The key the rotation gives now: the next game piece during a game,
    // else the menu piece.
    QString AdvanceRotation(bool gameRunning);

    MusicDevice& device_;
    MusicFiles files_;
    bool musicEnabled_ = true;
    ErrorCallback showError_;
    std::uint8_t trackCounter_ = 0;
};

}  // namespace kwadrill
