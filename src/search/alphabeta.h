// The full-width search: fail-hard minimax over White's-point-of-view scores with null
// move, internal deepening, fractional extensions, draw detection and the transposition table.
#pragma once

#include "board/position.h"

namespace kestrin {

// Searches the working position at ply + 1 to `depth` plies. `bestMoveSlot` brings the hash
// move in and takes the best move out. Returns AbortScore when the search was stopped.
int AlphaBeta(int side, int ply, int depth, int alpha, int beta, u16& bestMoveSlot, int nullFlag);

// The principal-variation entry of a move on `position` (before the move is made).
u32 PvEntryOf(const Position& position, Move move, bool givesCheck);

} // namespace kestrin
