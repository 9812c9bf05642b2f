// Standard short algebraic notation, written from the legal moves alone, as other chess
// programs write their PGN files; the tests' independent check of what the reader accepts.
#pragma once

#include <string>

#include "board/position.h"

namespace kestrin::test {

// "Nf3", "exd5", "Nbd2", "R1e2", "e8=Q+", "O-O-O#" for the legal move `move` of `before`.
std::string SanOf(const Position& before, Move move, int promotionType = Queen);
// Makes the legal move whose text is `san` (check and annotation marks ignored); false,
// changing nothing, when no legal move has that text.
bool PlaySan(Position& position, const std::string& san);

} // namespace kestrin::test
