// The move list as the side panel shows it: the record's lines in the long form, or the same
// lines in short algebraic notation; after the last move of a finished game, its result.
#pragma once

#include <string>
#include <vector>

namespace kestrin {

struct MoveListView {
  std::vector<std::string> lines;
  int selected = -1; // the line of the game position's move, -1 for none
};

MoveListView CurrentMoveList(bool shortNotation);

// The short text of each recorded ply of the main record from startPosition on, "" for a
// ply whose text no longer fits the position (it is skipped in replay too).
std::vector<std::string> RecordSan();

} // namespace kestrin
