// Endgame rules: positions without pawns, sides too weak to win, and endings with at most one
// piece a side (rook pawns, opposite-coloured bishops, the KPK bitbase).
#pragma once

#include "board/position.h"
#include "eval/pawns.h"

namespace kestrin {

// `score` is the material balance plus the piece-balance bonus.
int EvaluatePawnless(const Position& position, int score);
// True when White (Black) cannot win without pawns: at most one minor piece, or a single minor
// more than the other side with too little besides.
bool WhiteCannotWin(const Position& position);
bool BlackCannotWin(const Position& position);
// Both sides have at most one piece and some pawn is on the board; `score` is the running
// evaluation after the pawn structure.
int EvaluateFewPieces(const Position& position, int score, int whiteKing, int blackKing, const PawnEntry& pawns);

} // namespace kestrin
