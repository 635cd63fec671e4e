#include "GameSession.h"

#include <utility>

namespace kwadrill {

GameSession::GameSession(SoundEffects& sound, MusicControl& music, SessionSetup setup)
    : random_(setup.seed),
      state_{.record = setup.record},
      window_(state_, random_, setup.locale),
      controller_(flags_, window_, sound, music, state_, random_, std::move(setup.clock),
                  std::move(setup.gameSeeds)) {
    window_.Attach(controller_);
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
