#pragma once

namespace kwadrill {

// The game state shared by every handler of the main window: five flags and
// three tick countdowns. All false and zero at start; game control changes them.
struct GameFlags {
    bool gameRunning = false;   // from Start to game over
    bool paused = false;        // the running game is paused
    bool collapsing = false;    // the fast tick owns the board (animation, removal, fall, drop)
    bool matchPending = false;  // a line search marked cells that are still on the board
    bool musicBusy = false;     // the main tick is switching the music piece

    int levelBlinkTicks = 0;        // fast ticks left of the level label's blink
    int destructionFramesLeft = 0;  // destruction frames still to draw, one per fast tick
    int dropDelayTicks = 0;         // sound-delay ticks left that hold the main tick
};

}  // namespace kwadrill
