#pragma once

#include "Board.h"

namespace kwadrill {

// Marks every cell that lies in a straight run of three or more equal blocks:
// horizontal, vertical or on either diagonal.
class LineFinder {
public:
    // Clears the mask, marks the runs found on the board and answers whether
    // any cell was marked. Reads the board only.
    static bool MarkLines(const Board& board, MatchMask& mask);

private:
    static void MarkRunsThrough(const Board& board, int column, int row, MatchMask& mask);
};

}  // namespace kwadrill
