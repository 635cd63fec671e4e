#include "GameSession.h"

#include <utility>

namespace kwadrill {

GameSession::GameSession(SoundEffects& sound, MusicControl& music, SessionSetup setup)
    : random_(setup.seed),
      state_{.record = setup.record},
      playerSettings_(sound, music),
      window_(state_, random_, setup.locale),
      controller_(flags_, window_, sound, music, state_, random_, std::move(setup.clock),
                  std::move(setup.gameSeeds)) {
    window_.Attach(controller_);
    playerSettings_.Subscribe([this](const PlayerSettings& settings) {
        controller_.SetKeyBindings(settings.keys);
        controller_.SetNextPiecePreview(settings.nextPiecePreview);
        controller_.SetLandingShadow(settings.landingShadow);
        controller_.SetPauseOnFocusLoss(settings.pauseOnFocusLoss);
    });
    // What the player changes with the keys is kept as a setting, through
    // the settings' one owner.
    window_.SetViewChosen(
        [this](qreal zoom) {
            PlayerSettings chosen = playerSettings_.Current();
            chosen.zoom = zoom;
            playerSettings_.Apply(chosen);
        },
        [this](bool fullScreen) {
            PlayerSettings chosen = playerSettings_.Current();
            chosen.fullScreen = fullScreen;
            playerSettings_.Apply(chosen);
        });
    window_.AttachSettings(playerSettings_);
    if (setup.replayFolder) {
        replays_.emplace(*setup.replayFolder);
        controller_.KeepReplaysWith(&*replays_);
        window_.SetReplayLookup([this](const ScoreEntry& entry) { return replays_->Has(entry); });
    }
}

void GameSession::Arrange(const std::function<void()>& loadSettings) {
    window_.ArrangeMainWindow(loadSettings);
}

}  // namespace kwadrill
