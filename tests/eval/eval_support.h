// Helpers of the evaluation suites.
#pragma once

#include "board/position.h"

namespace kestrin::test {

// The colour-flipped position: board mirrored top to bottom, colours, piece lists, counters,
// castling states and the side to move swapped, scores negated; the pawn key is recomputed.
Position Mirrored(const Position& position);

} // namespace kestrin::test
