#pragma once

namespace kwadrill {

// The game state shared by every handler of the main window. All false at start.
struct GameFlags {
    bool gameRunning = false;   // from Start to game over
    bool paused = false;        // the running game is paused
    bool collapsing = false;    // the fast tick owns the board (animation, removal, fall, drop)
    bool matchPending = false;  // a line search marked cells that are still on the board
    bool musicBusy = false;     // the main tick is switching the music piece
};

}  // namespace kwadrill
