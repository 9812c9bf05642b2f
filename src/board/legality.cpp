#include "board/legality.h"

#include "board/attacks.h"

namespace kestrin {

bool TryMove(const Position& position, Move move, int side, Position& after, int promotionType) {
  after = position;
  MoveUndo undo;
  MakeMove(after, move, undo, promotionType);
  return IsInCheck(side, after) == 0;
}

bool IsLegalMove(const Position& position, Move move, int side) {
  Position after;
  return TryMove(position, move, side, after);
}

bool IsLegalGenerated(const Position& position, Move move, int side, bool inCheck) {
  if (inCheck || IsEnPassantCapture(position, move)) return IsLegalMove(position, move, side);
  // Not in check, no slider aims through the king's square: the king's destination decides.
  if (MoveSlot(move) == KingSlot) return IsSquareAttacked(position, MoveTo(move), side) == 0;
  return ExposesOwnKing(side, position, move) == 0;
}

int CountLegalMoves(const Position& position, const Move* moves, int count, int side, bool inCheck, int enough) {
  int legal = 0;
  for (int i = 0; i < count && legal < enough; ++i) legal += IsLegalGenerated(position, moves[i], side, inCheck);
  return legal;
}

} // namespace kestrin
