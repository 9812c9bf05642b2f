// Standard algebraic move text (Nf3, exd5, Nbd2, e8=Q+, O-O-O#), the form every other chess
// program reads; the game files are written in it and the window's move list shows it.
#pragma once

#include <string>
#include <string_view>

#include "board/position.h"

namespace kestrin {

// The text of the legal `move` about to be made on `before`; a pawn reaching the last rank
// becomes `promotionType`.
std::string StandardMoveText(const Position& before, Move move, int promotionType);
// The text of the legal move that leads from `before` to `after`; "" when none does.
std::string SanOfPlayed(const Position& before, const Position& after);

// Plays the record text `text` (any form the move reader takes) on `position` and gives its
// standard text; false, leaving `position` as it was, when no legal move fits.
bool StandardTextOfRecorded(std::string_view text, Position& position, std::string& standard);

} // namespace kestrin
