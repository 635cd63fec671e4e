#pragma once

#include <cstdint>
#include <memory>
#include <random>

#include "GameController.h"
#include "GameFlags.h"
#include "GameView.h"
#include "HeadlessParts.h"
#include "MusicControl.h"
#include "PersistentState.h"
#include "Random.h"
#include "SoundEffects.h"

namespace kwadrill::test {

// How a scripted player plays.
struct PlayStyle {
    bool aimsForLines = true;   // turns and shifts each piece to where it completes most blocks
    int pausePercent = 0;       // the chance, each step, of pausing (or, paused, of resuming)
    bool togglesSound = false;  // now and then switches the drop sound (and its delay) on or off
    // The share of main ticks among the steps; the fast and sound-delay
    // ticks share the next 50 %. A game at level 1 has 16 fast ticks to a main one.
    int mainTickPercent = 25;
    // Drops every piece at once: a short game with few inputs.
    bool onlyDrops = false;
};

// A whole game through game control, with windows and audio that show and
// play nothing: from Start to game over, the player presses keys at random
// moments between the three ticks, which come in random order and numbers,
// as wall time would interleave them. Keys arrive while the fast tick owns
// the board, while paused, against the walls: refused, as a player's are.
// What the controller recorded is the game's replay.
class ScriptedGame {
public:
    ScriptedGame(std::uint64_t gameSeed, std::uint32_t scriptSeed, PlayStyle style);
    ~ScriptedGame();
    ScriptedGame(const ScriptedGame&) = delete;
    ScriptedGame& operator=(const ScriptedGame&) = delete;

    // Plays the game to its end; false if it had not ended after maxSteps.
    bool Play(long maxSteps = 5'000'000);

    GameController& Controller() { return controller_; }
    const Engine& GameEngine() const { return controller_.engine(); }
    // The seed, the inputs and (after the end) the claims.
    const Replay& Record() const { return controller_.GameRecord(); }
    int LineWaves() const { return lineWaves_; }
    int Pauses() const { return pauses_; }

private:
    class SwitchableSound : public SoundEffects {
    public:
        void SetSoundEnabled(bool) override {}
        void SetEffectsVolume(int) override {}
        void PlayDissolveSound() override {}
        bool PlayDropSound() override { return on; }
        bool on = true;
    };

    void Step();
    void PressKey();
    int Percent() { return std::uniform_int_distribution<int>(0, 99)(script_); }

    PlayStyle style_;
    std::mt19937 script_;
    std::unique_ptr<GameView> view_;
    SwitchableSound sound_;
    NoMusic music_;
    GameFlags flags_;
    PersistentState state_;
    Random looks_;
    GameController controller_;
    std::uint32_t plannedPiece_ = 0;
    int turnsLeft_ = 0;
    int targetColumn_ = 1;
    int lineWaves_ = 0;
    int pauses_ = 0;
};

}  // namespace kwadrill::test
