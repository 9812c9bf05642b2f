// What the board marks besides the men: the squares of the move that led to the position
// shown, and the squares the chosen man may go to. Squares are 0..63 (file + 8 x row, row 0
// is rank 8), as the board view counts them.
#pragma once

#include <vector>

#include "board/position.h"

namespace kestrin {

// The squares the last move changed (from and to; four after castling, three after en
// passant), found by replaying the record to the ply before the game position; none at the
// start of the record.
std::vector<int> LastMoveSquares();

// The squares the man on `square` may legally move to in `position`, when it belongs to the
// side to move (the king's castling destination included); none otherwise.
std::vector<int> TargetSquares(const Position& position, int square);

} // namespace kestrin
