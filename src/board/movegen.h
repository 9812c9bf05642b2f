// Pseudo-legal move generation in the fixed order the search and the move-text reader rely on.
#pragma once

#include "board/position.h"

namespace kestrin {

// Captures (and promotion pushes) sit at moves[1..captureCount]; quiet move j at
// moves[QuietBase + j]. Each half holds every move any position with at most 16 men
// a side can produce, so nothing is ever dropped.
constexpr int CaptureCapacity = 128;
constexpr int QuietBase = CaptureCapacity;
constexpr int QuietCapacity = 328;

struct MoveList {
  u32 quietCount;
  u32 captureCount;
  u32 spare;
  Move moves[QuietBase + QuietCapacity + 1];
  u32 inCheck;
  u32 extensionFraction;

  Move Capture(int i) const { return moves[i]; }     // i in 1..captureCount
  Move Quiet(int j) const { return moves[QuietBase + j]; } // j in 1..quietCount
};

// Sets list.inCheck from IsInCheck, then generates every pseudo-legal move of `side`.
void GenerateMoves(int side, const Position& position, MoveList& list);
// As GenerateMoves with list.inCheck already set (2 = double check: king moves only).
void GenerateMovesGivenCheck(int side, const Position& position, MoveList& list);
// Captures, en-passant captures and promotion pushes; keeps list.inCheck.
void GenerateCaptures(int side, const Position& position, MoveList& list);

// The number of legal moves of the side to move, a promotion once per piece it can become:
// counted as they are generated, without a list.
u64 LegalMoveCount(const Position& position);

// Calls f(move) for every generated move: captures first, then quiet moves.
template <typename F>
void ForEachMove(const MoveList& list, F&& f) {
  for (u32 i = 1; i <= list.captureCount; ++i) f(list.moves[i]);
  for (u32 j = 1; j <= list.quietCount; ++j) f(list.moves[QuietBase + j]);
}

} // namespace kestrin
