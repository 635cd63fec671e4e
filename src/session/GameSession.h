#pragma once

#include <QLocale>

#include <cstdint>
#include <functional>
#include <optional>

#include "BackupRecord.h"
#include "GameController.h"
#include "GameFlags.h"
#include "GameSeeds.h"
#include "LocalClock.h"
#include "MusicControl.h"
#include "PersistentState.h"
#include "PlayerSettingsOwner.h"
#include "Random.h"
#include "ReplayFiles.h"
#include "SoundEffects.h"
#include "TForm1.h"

namespace kwadrill {

// What a session starts from besides its audio. The game passes the loaded
// record, seeds from the system's entropy, the system's clock and locale,
// and the replays' folder; tests and benchmarks fix them.
struct SessionSetup {
    BackupRecord record{};
    std::uint64_t seed = 1;                   // what only looks and sounds
    SeedSource gameSeeds = CountingSeeds(1);  // each game's pieces
    LocalClock clock = SystemLocalTime;
    QLocale locale = QLocale::system();
    // Where the table's replays are kept (an empty folder: none can be);
    // without one the session keeps none.
    std::optional<QString> replayFolder = std::nullopt;
};

// The game's objects, composed in one place: the generator, the game flags,
// the persistent state, the main window and the controller that drives it.
// The executable, the benchmarks and the window tests all build the game
// through it; the audio is handed in, real or silent. Only the controller
// changes the state; the windows read it. The player's settings have their
// own owner, which pushes every change to the controller and the window.
class GameSession {
public:
    GameSession(SoundEffects& sound, MusicControl& music, SessionSetup setup = {});
    GameSession(const GameSession&) = delete;
    GameSession& operator=(const GameSession&) = delete;

    // Sizes the main window, sets its toggles, starts the ticks, then runs
    // loadSettings (the language dialog is the last window made).
    void Arrange(const std::function<void()>& loadSettings = {});

    TForm1& window() { return window_; }
    GameController& controller() { return controller_; }
    Engine& engine() { return controller_.engine(); }
    GameFlags& flags() { return flags_; }
    // What only looks and sounds draws from; the pieces draw from the controller's own.
    Random& random() { return random_; }
    const PersistentState& state() const { return state_; }
    PlayerSettingsOwner& playerSettings() { return playerSettings_; }

private:
    Random random_;
    GameFlags flags_;
    PersistentState state_;
    std::optional<ReplayFiles> replays_;
    // Outlives the window and the controller it pushes to.
    PlayerSettingsOwner playerSettings_;
    // Declared before the controller, so that the controller goes down first.
    TForm1 window_;
    GameController controller_;
};

}  // namespace kwadrill
