// The think driver: book move or iterative deepening, time control, and playing the result.
#pragma once

#include "board/position.h"

namespace kestrin {

constexpr int ThinkPlay = 0;    // choose and play a move
constexpr int ThinkAnalyse = 1; // search only: no book, nothing played
constexpr int ThinkPonder = 2;  // play only if the opponent's move turns out as predicted

// Thinks about `position` (the game position, or the predicted one when pondering) and, when
// the mode says so, plays the best move on it. Returns the score of the last completed iteration.
int Think(Position& position, int mode, int maxDepth);

// Time for a move of `side` in the window game, from the time control or the fixed seconds per move.
void SetTimeTarget(int side);
// Target and extra seconds for a move: remaining seconds, moves to the next time control
// (0: none), seconds added per move.
void AllocateTime(double remainingSeconds, int movesToGo, double incrementSeconds);
// True while the root score has fallen clearly below the previous iteration's: extra time is granted.
bool ScoreDropped();

void PrepareSearch(const Position& position);
void StartIteration(const Position& position);
// Called by the search before each root move.
void RootMoveStarted(int index, Move move, int bestSoFar, u16 bestMove);

// Nodes between two readings of the clock in the search: fewer for a short target, so that
// the reading that ends the think comes soon after the target.
u32 ClockCheckNodes();

// The root moves a think may choose from ("go searchmoves"); with none given, every move.
constexpr int MaxRootFilterMoves = 150;
struct RootMoveFilter {
  int count = 0;
  Move moves[MaxRootFilterMoves];
};
// Set by a front end while the engine is idle, read by the think it then starts.
extern RootMoveFilter rootMoveFilter;
inline bool RootMoveAllowed(Move move) {
  if (rootMoveFilter.count == 0) return true;
  for (int i = 0; i < rootMoveFilter.count; ++i)
    if (rootMoveFilter.moves[i] == move) return true;
  return false;
}

// Hundredths and milliseconds since the think started.
long long ElapsedHundredths();
long long ElapsedMilliseconds();

} // namespace kestrin
