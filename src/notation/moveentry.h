// A move given by squares, possibly partly (a click pair, a parsed move text), matched
// against the legal moves and made.
#pragma once

#include <atomic>

#include "board/position.h"

namespace kestrin {

struct GameHistory;

// What a promoting pawn becomes: 3 bishop, 4 knight, 5 rook, 6 queen, or 0 to ask the user.
// The board view sets 0 around a click move, the move-text reader sets it from a suffix,
// the engine sets a queen before it thinks.
extern std::atomic<int> PromotionChoice;

// Files 0..7 (a..h), rows 0..7 from the top (row 0 is rank 8); -1 for a coordinate not
// given. `pieceCode` is compared only when the from-square is not fully given. The last
// fitting legal move in generation order is made on `position`; with `record` 1 it is
// written to `recordTarget` (nullptr: the main game record). Returns 1 when a move was
// made (`outFrom` and `outTo` receive its from- and to-fields), else 0 with `position` unchanged.
int EnterHumanMove(Position& position, int fromFile, int fromRow, int toFile, int toRow, int side, int pieceCode,
                   int record, GameHistory* recordTarget, int& outFrom, int& outTo);

} // namespace kestrin
