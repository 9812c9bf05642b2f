// Attack and check tests: every legality decision is made with these.
#pragma once

#include "board/position.h"

namespace kestrin {

// 1 when a man of the opponent of `side` attacks `square`.
int IsSquareAttacked(const Position& position, int square, int side);
// The same answer, the lines walked square by square instead of looked up in the occupied
// squares: quicker for perft's leaf count, which asks it for every king step of every leaf.
int IsSquareAttackedByWalk(const Position& position, int square, int side);
// The same with the square `vacated` taken as empty: whether a king leaving `vacated` for
// `square` stands attacked there.
int IsSquareAttackedPast(const Position& position, int square, int side, int vacated);
int IsInCheck(int side, const Position& position);
// The number of opponent's men attacking the king of `side`; `firstChecker` is the square of
// the first found (0 when none).
int FindCheckers(const Position& position, int side, int& firstChecker);
// Before the move: 1 when moving the man off its square uncovers a slider on the mover's king.
// Not for king moves; ignores the pawn removed by an en-passant capture.
int ExposesOwnKing(int side, const Position& position, Move move);
// The men of `side` pinned to their king: each may move only along the line `line[i]`
// (a step from the king toward it).
struct Pins {
  int count;
  u8 square[8];
  signed char line[8];
};
Pins FindPins(const Position& position, int side);
// The same in one look from the king, which also sees its checkers: true when the king of
// `side` is in check (`pins` is then incomplete), false with `pins` found.
bool FindPinsUnlessChecked(const Position& position, int side, Pins& pins);
// After the move: the number of checks (0, 1 or 2) it gives to the opponent of `side`.
int CountChecksGiven(int side, const Position& position, Move move, u32 moveClass);

} // namespace kestrin
