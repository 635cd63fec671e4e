#include "Pieces.h"

namespace kwadrill {

std::vector<Piece> AllPieces() {
    return {MenuPiece(),  Game1Piece(), Game2Piece(), ScorePiece(), GameOverPiece(),
            Game3Piece(), Game4Piece(), Game5Piece(), Game6Piece(), Game7Piece(),
            Game8Piece(), Game9Piece(), Game10Piece()};
}

}  // namespace kwadrill
