#include "GameMusic.h"

#include "MusicDevice.h"

#include <QFileInfo>

namespace kwadrill {

GameMusic::GameMusic(MusicDevice& device, QString scratchDirectory, ErrorCallback showError)
    : device_(device), files_(std::move(scratchDirectory)), showError_(std::move(showError)) {}

QString GameMusic::NextMusicFile(bool gameRunning, const QString& name) {
    if (!musicEnabled_) return {};
    // The rotation advances even when a name overrides its choice.
    const QString dueKey = AdvanceRotation(gameRunning);
    const QString& key = name.isEmpty() ? dueKey : name;
    const int position = MusicFiles::PositionOf(key);
    return position == 0 ? QString() : files_.PathFor(position);
}

QString GameMusic::AdvanceRotation(bool gameRunning) {
    if (!gameRunning) return QStringLiteral("MENU");
    trackCounter_ = trackCounter_ >= kGamePieces ? 1 : trackCounter_ + 1;
    return QStringLiteral("GAME") + QString::number(trackCounter_);
}

void GameMusic::PlayMusicFile(const QString& path) {
    // A missing file leaves the piece that plays alone.
    if (path.isEmpty() || !QFileInfo::exists(path)) return;
    // Nothing to report before the output has been opened: the upkeep asks
    // again at its next tick.
    if (!device_.OutputAttempted()) return;
    StopMusic();
    int error = device_.Open(path);
    if (error == MusicDevice::kNoError) error = device_.Play();
    if (error == MusicDevice::kNoError) return;
    device_.Close();
    if (showError_) showError_(MusicDevice::ErrorText(error));
}

void GameMusic::SetMusicVolume(int percent) {
    device_.SetVolume(percent);
}

void GameMusic::StopMusic() {
    device_.Close();
}

bool GameMusic::IsPlaying() {
    return device_.IsPlaying();
}

std::int64_t GameMusic::Position() {
    return device_.Position();
}

std::int64_t GameMusic::Length() {
    return device_.Length();
}

}  // namespace kwadrill
