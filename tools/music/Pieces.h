#pragma once

#include <vector>

#include "Piece.h"

namespace kwadrill {

Piece MenuPiece();
Piece Game1Piece();
Piece Game2Piece();
Piece ScorePiece();
Piece GameOverPiece();
Piece Game3Piece();
Piece Game4Piece();
Piece Game5Piece();
Piece Game6Piece();
Piece Game7Piece();
Piece Game8Piece();
Piece Game9Piece();
Piece Game10Piece();

// All thirteen, in the order the game numbers its music files.
std::vector<Piece> AllPieces();

}  // namespace kwadrill
