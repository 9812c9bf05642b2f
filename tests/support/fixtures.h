// Helpers shared by every test suite.
#pragma once

#include <string>

#include "board/position.h"

namespace kestrin::test {

void InitTablesOnce();
// The position of a FEN text; fails the current test when the text is refused.
Position FromFen(const std::string& fen);
std::string ToFen(const Position& position);
// Board, slots, counters, scores and pawn key recomputed from the board alone; empty when consistent.
std::string ConsistencyProblems(const Position& position);

} // namespace kestrin::test
