#pragma once

#include <QString>

#include <cstdint>
#include <variant>

#include "Board.h"
#include "ReplayFile.h"

namespace kwadrill {

// Where a replay's inputs lead: the end of its game.
struct ReplayOutcome {
    std::int32_t score = 0;
    std::int32_t level = 0;
    std::uint32_t pieces = 0;
    Board board{};
};

// Plays the replay through a game controller of its own, with no window,
// sound or clock, as fast as the machine allows: the ticks are called one
// after another, the fast tick run out after each main tick. Ends with the
// game's end, or with why the inputs do not fit the game (an input that
// could not be made where it was recorded, inputs left after the end, a
// game that deals more pieces than the replay claims).
std::variant<ReplayOutcome, QString> PlayReplay(const Replay& replay);

// PlayReplay, then the outcome held against the replay's claims: the
// outcome when score, level and pieces match, else what differs.
std::variant<ReplayOutcome, QString> VerifyReplay(const Replay& replay);

}  // namespace kwadrill
