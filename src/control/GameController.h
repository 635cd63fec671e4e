#pragma once

#include <QChar>
#include <QObject>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <variant>

#include "Engine.h"
#include "GameFlags.h"
#include "GameSeeds.h"
#include "GameTimer.h"
#include "GameView.h"
#include "LocalClock.h"
#include "MusicControl.h"
#include "PersistentState.h"
#include "PlayerSettings.h"
#include "Random.h"
#include "ReplayFile.h"
#include "ReplayKeeper.h"
#include "SettingsStore.h"
#include "SoundEffects.h"
#include "StateKeeper.h"

namespace kwadrill {

// A replay being played: its inputs, the next one to make, how fast, and
// whether (and why) it has ended.
struct ReplayFeed {
    Replay replay;
    std::size_t next = 0;
    int speed = 1;
    bool ended = false;
    QString problem;
};

// Drives the game: the three ticks, the keys and buttons of the main window,
// Start, Pause and the end of a game. Owns the engine, the pieces' generator
// and the three timers; talks to the windows only through GameView.
//
// A game is its seed and the inputs that changed it, each with the number of
// main ticks that had moved the game on before it: ticks held by a pause, a
// sound delay or the fast tick's work are not counted, since how many of
// them pass depends on wall time. The pieces draw from a generator of their
// own, seeded at every Start; what only looks or sounds (the destruction
// animation, the pause screen, the sound variants, the game-over remark)
// draws from `looks`. So a replay deals the same pieces and comes to the
// same end whatever the timing of the ticks.
class GameController {
public:
    // The controller is the one writer of state: the switches, the language,
    // the score table, the last name and the highlighted rank change here only.
    // seeds gives each game's seed.
    GameController(GameFlags& flags, GameView& view, SoundEffects& sound, MusicControl& music,
                   PersistentState& state, Random& looks, LocalClock clock, SeedSource seeds);
    GameController(const GameController&) = delete;
    GameController& operator=(const GameController&) = delete;

    Engine& engine() { return engine_; }
    const Engine& engine() const { return engine_; }
    std::int32_t DisplayedScore() const { return displayedScore_; }
    std::int32_t DestroyAnimSet() const { return destroyAnimSet_; }
    GameTimer& timer1() { return timer1_; }  // main tick: music, fall, search, spawn
    GameTimer& timer2() { return timer2_; }  // fast tick: blink, counter, animation, collapse
    GameTimer& timer3() { return timer3_; }  // sound delay: holds the main tick after a drop

    // The ticks.
    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();

    // Keys of the main window: a Qt key code, and the character it typed.
    void FormKeyDown(int qtKey);
    void FormKeyPress(QChar character);
    // The keys of the five actions, as the player has bound them. A key is
    // matched on either layout; the pause key P keeps its characters.
    void SetKeyBindings(const KeyBindings& keys) { keys_ = keys; }

    void SpeedButton1Click();           // Start
    void SpeedButton2Click();           // Pause / resume
    void SpeedButton3Click();           // high scores
    void SpeedButton4Click();           // about
    void SpeedButton5Click(bool down);  // music toggle, with its new state
    void SpeedButton6Click(bool down);  // sound toggle, with its new state
    void SpeedButton7Click();           // rules
    void SpeedButton8Click();           // language

    // Where the keyboard focus went when the main window lost it.
    enum class FocusLoss {
        ToGameWindow,    // a window of the game's own: a dialog, a box
        ToOtherProgram,  // away from the game altogether
    };
    // The main window lost the keyboard focus: a running game pauses as the
    // pause key would pause it. Only the player resumes it. The one window
    // that does not pause is the music device's error report, opened while a
    // piece is being started: resuming would only open it again.
    void WindowFocusLost(FocusLoss loss);
    // On unless switched off. Off, neither the focus nor the game's windows
    // pause a game, and a paused well shows the pause screen alone.
    void SetPauseOnFocusLoss(bool on);
    bool PauseOnFocusLoss() const { return pauseOnFocusLoss_; }

    // What the per-user store held at start-up: first the language, which the
    // windows take on at once, then its table, joined with the one in memory.
    // A value of the wrong type throws StoreError; the language read before
    // a bad table is kept.
    void LoadStoredSettings(const StoredSettings& stored);

    // Where the state is saved: at once whenever a result enters the table,
    // and by SaveState. Without a keeper nothing is saved.
    void KeepStateWith(StateKeeper* keeper) { keeper_ = keeper; }
    // Saves the whole state to both places (the close does).
    SaveResult SaveState();
    // True while a result of this run has reached neither place.
    bool ResultUnsaved() const { return resultUnsaved_; }
    // True once the player has been told, with a result that could be saved
    // nowhere, that the store refused it.
    bool StoreRefusalTold() const { return storeRefusalTold_; }
    // Additions to the game, both off until switched on: the next piece shown
    // under the control panel, and the landing shadow of the falling piece.
    void SetNextPiecePreview(bool on);
    void SetLandingShadow(bool on);

    // ---- Replays ----

    // Where the replays of the table's results go; without a keeper none is kept.
    void KeepReplaysWith(ReplayKeeper* keeper) { replays_ = keeper; }
    // The seed and the inputs of the game running or last ended; score,
    // level, pieces and date are filled in at its end.
    const Replay& GameRecord() const { return record_; }
    // Main ticks that moved the game on, and pieces dealt, since Start.
    std::uint32_t GameTicks() const { return gameTicks_; }
    std::uint32_t PiecesDealt() const { return piecesDealt_; }

    // Watches a replay in the well, once it has been checked to come to what
    // it claims; a replay that cannot be watched is refused in a box with the
    // reason. Never abandons a game being played; replaces a replay being
    // watched.
    void WatchReplay(const std::variant<Replay, QString>& loaded);
    // Plays a replay as it is, unchecked (what the check itself uses).
    void StartReplay(const Replay& replay);
    // From a replay's Start until it is left (Escape or Start), its end included.
    bool WatchingReplay() const { return feed_.has_value(); }
    // Why the replay being played went astray: an input it could not make
    // where it was recorded. Empty while it follows its inputs.
    QString ReplayProblem() const { return feed_ ? feed_->problem : QString(); }
    // Recorded inputs the replay has not made yet.
    std::size_t ReplayInputsLeft() const;
    // 1, 2 or 4 times as fast as the game was played.
    void SetReplaySpeed(int factor);
    // Leaves the replay: the well keeps what it showed, no game runs.
    void LeaveReplay();

    // Switches on the main and the fast tick; called once when the main
    // window has been arranged.
    void EnableTimers();

    // The program is ending: the timers stop for good, and a game-over
    // sequence waiting in one of its windows records what it must and opens
    // nothing more.
    void BeginShutdown();
    bool ShuttingDown() const { return shuttingDown_; }
    // True from a game over until its last window has closed.
    bool GameOverSequenceRunning() const { return gameOverPending_; }

private:
    bool MusicOn() const { return state_.record.musicOn != 0; }
    void PlayMusic(const QString& path);
    void PlayNamedMusic(const QString& name);
    void KeepMusicPlaying();
    void SwitchMusic();
    void SetTimersEnabled(bool enabled);

    void StartGame(std::uint64_t seed);
    std::optional<ReplayInput> SteeringInput(int key) const;
    bool MakeInput(ReplayInput input);
    void Record(ReplayInput input);
    bool FeedReplay();
    void ReplayGoesAstray(const QString& problem);
    void EndReplay();
    void ReplayKey(int qtKey);
    void ShowReplaySign();
    void SetTimerSpeed(int factor);
    void WatchEntryReplay(int rank);
    void SetPaused(bool paused);
    void PauseAsFocusLeaves();

    void StartDestruction();
    void DrawPauseSprinkle();
    void BlinkLevelLabel();
    void RollScoreCounter();
    void DrawDestructionFrame();
    void RemoveAndCollapse();

    void DrawField(const Board& board);
    std::optional<PieceTypes> NextPieceToShow() const;
    void RefreshNextPiece();
    LandingShadow ShadowToShow() const;
    bool RefreshLandingShadow();

    void BeginGameOver();
    void KeepFinishedGame();
    std::optional<int> RunGameOverWindows(std::int32_t finalScore);
    void EnterHighScore(int rank, std::int32_t finalScore);
    void KeepNewResult();

    GameFlags& flags_;
    GameView& view_;
    SoundEffects& sound_;
    MusicControl& music_;
    PersistentState& state_;
    Random& looks_;
    LocalClock clock_;
    SeedSource seeds_;
    Random pieces_;  // the engine's: the pieces and nothing else
    KeyBindings keys_;

    GameTimer timer1_;
    GameTimer timer2_;
    GameTimer timer3_;
    Engine engine_;

    std::int32_t displayedScore_ = 0;
    std::int32_t destroyAnimSet_ = 0;
    bool gameOverPending_ = false;
    bool shuttingDown_ = false;
    StateKeeper* keeper_ = nullptr;
    bool resultUnsaved_ = false;
    bool storeRefusalTold_ = false;

    bool nextPiecePreview_ = false;
    bool landingShadow_ = false;
    std::optional<PieceTypes> shownNextPiece_;  // what the view was last given
    LandingShadow shownShadow_;
    bool pauseOnFocusLoss_ = true;
    int openingMusic_ = 0;  // PlayMusicFile calls under way (one may show an error box)

    ReplayKeeper* replays_ = nullptr;
    Replay record_;
    std::uint32_t gameTicks_ = 0;
    std::uint32_t piecesDealt_ = 0;
    std::optional<ReplayFeed> feed_;

    // Receives the queued windows of the game-over sequence; declared last so
    // that a call still queued dies with the controller.
    QObject queueContext_;
};

}  // namespace kwadrill
