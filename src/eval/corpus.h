// Positions from seeded random games: the fixed corpus of the evaluation benchmark and of the
// evaluation's property tests.
#pragma once

#include <vector>

#include "board/position.h"

namespace kestrin {

// Every position of `games` games of at most `maxPlies` random legal moves each. Captures are
// preferred half of the time, so the games reach endings; promotions choose a random piece,
// so promoted men stand in pawn slots. Pawn keys are recomputed, as a search does.
std::vector<Position> RandomGamePositions(u32 seed, int games, int maxPlies);

} // namespace kestrin
