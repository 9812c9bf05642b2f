// Counting the leaves of the legal move tree: the measure of move generation's correctness and speed.
#pragma once

#include <vector>

#include "board/position.h"

namespace kestrin {

// Leaves at `depth` plies; a promotion counts once per piece it can become.
u64 Perft(const Position& position, int depth);

struct PerftDivision {
  Move move;
  int promotionType; // 0 for moves that do not promote
  u64 leaves;
};
// The leaf count below every legal root move, in generation order.
std::vector<PerftDivision> PerftDivide(const Position& position, int depth);

} // namespace kestrin
