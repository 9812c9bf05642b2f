// Short algebraic move text for people to read (Nf3, exd5, Nbd2, R1e2, O-O, e8=Q+, Qh4#).
// The record keeps its own long form; this is only for showing moves.
#pragma once

#include <string>

#include "board/position.h"

namespace kestrin {

// The text of the legal move `move` of `before`, a promoting pawn becoming `promotionType`.
std::string SanText(const Position& before, Move move, int promotionType = Queen);
// The text of the legal move that leads from `before` to `after`; "" when none does.
std::string SanOfPlayed(const Position& before, const Position& after);

} // namespace kestrin
