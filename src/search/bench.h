// The bench: a fixed set of positions searched to a fixed depth. Its node total is a signature
// of the search's behaviour: any change in ordering, pruning, extensions or evaluation moves it.
#pragma once

#include <span>

#include "board/types.h"

namespace kestrin {

struct BenchPosition {
  const char* name;
  const char* fen;
};
std::span<const BenchPosition> BenchPositions();

struct BenchResult {
  u64 nodes;
  int score;
  double seconds;
};
// Analyses `fen` to `depth` (no book, nothing played) from a fresh search state, empty
// repetition keys, a cleared table of the default size and without the KPK bitbase, so that
// the count depends on nothing else. False when `fen` is no position.
bool BenchSearch(const char* fen, int depth, BenchResult& result);

} // namespace kestrin
