// The "go" command: what it asks for, and the depth, node and time limits it sets.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "board/types.h"

namespace kestrin {

struct GoCommand {
  long long clock[3] = {-1, -1, -1};    // milliseconds left, by side (index White, Black); -1 not given
  long long increment[3] = {0, 0, 0};   // milliseconds added per move, by side
  long long movesToGo = 0;              // moves to the next time control; 0 none
  long long depth = 0;                  // 0: the session's maximum ply
  long long nodes = 0;                  // 0: no limit
  long long moveTime = -1;              // milliseconds for this move; -1 not given
  bool infinite = false;
  bool ponder = false;
  std::vector<std::string> searchMoves; // the root moves to choose from; empty: all
};

// Reads the words after "go"; unknown words and numbers that are missing or not numbers are
// passed over.
GoCommand ReadGoCommand(std::string_view arguments);

// Seconds a move may take, the target and the extra time granted while the score drops.
struct MoveTime {
  bool limited = false; // false: no limit by time
  float target = 0, extra = 0;
};

// The time rules of the engine for a move of `side`: the fixed move time, or the share of
// the clock that the engine's own allocation gives (which reads the game position's ply).
MoveTime TimeForMove(const GoCommand& go, int side, int plyCount);

// Puts the command's depth and node limits in force; `defaultDepth` when it gives no depth.
void SetSearchLimits(const GoCommand& go, int defaultDepth);

// Puts a move time in force for the next search; none means no limit by time.
void SetMoveTime(const MoveTime& time);

} // namespace kestrin
