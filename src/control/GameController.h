#pragma once

#include <QChar>
#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

#include "Engine.h"
#include "GameFlags.h"
#include "GameTimer.h"
#include "GameView.h"
#include "LocalClock.h"
#include "MusicControl.h"
#include "PersistentState.h"
#include "PlayerSettings.h"
#include "Random.h"
#include "SettingsStore.h"
#include "SoundEffects.h"
#include "StateKeeper.h"

namespace kwadrill {

// Drives the game: the three ticks, the keys and buttons of the main window,
// Start, Pause and the end of a game. Owns the engine and the three timers;
// talks to the windows only through GameView.
class GameController {
public:
    // The controller is the one writer of state: the switches, the language,
    // the score table, the last name and the highlighted rank change here only.
    GameController(GameFlags& flags, GameView& view, SoundEffects& sound, MusicControl& music,
                   PersistentState& state, Random& random, LocalClock clock);
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
    void RunGameOverWindows(std::int32_t finalScore);
    void EnterHighScore(int rank, std::int32_t finalScore);
    void KeepNewResult();

    GameFlags& flags_;
    GameView& view_;
    SoundEffects& sound_;
    MusicControl& music_;
    PersistentState& state_;
    Random& random_;
    LocalClock clock_;
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
    bool lineWave_ = false;                     // from lines found until a search finds none
    std::optional<PieceTypes> shownNextPiece_;  // what the view was last given
    LandingShadow shownShadow_;
    bool pauseOnFocusLoss_ = true;
    int openingMusic_ = 0;  // PlayMusicFile calls under way (one may show an error box)

    // Receives the queued windows of the game-over sequence; declared last so
    // that a call still queued dies with the controller.
    QObject queueContext_;
};

}  // namespace kwadrill
