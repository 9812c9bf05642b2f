// Positions from seeded random games: the fixed corpus of the evaluation benchmark and of the
// evaluation's property tests.
#pragma once

#include <vector>

#include "board/position.h"

namespace kestrin {

// xorshift32: the same sequence on every platform, for the corpus and the tests built on it.
struct CorpusRandom {
  u32 state;
  u32 Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<u32>(n)); }
};

// Every position of `games` games of at most `maxPlies` random legal moves each. Captures are
// preferred half of the time, so the games reach endings; promotions choose a random piece,
// so promoted men stand in pawn slots. Pawn keys are recomputed, as a search does.
std::vector<Position> RandomGamePositions(u32 seed, int games, int maxPlies);

} // namespace kestrin
