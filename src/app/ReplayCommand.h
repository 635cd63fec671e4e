#pragma once

#include <QString>

namespace kwadrill {

// kwadrill --verify-replay FILE: plays the replay with no window, as fast as
// the machine allows. Prints "score S, level L, pieces P" and returns 0 when
// the game comes to what the file claims; otherwise says why in one line on
// stderr and returns 1.
int VerifyReplayCommand(const QString& path);

}  // namespace kwadrill
