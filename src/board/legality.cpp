#include "board/legality.h"

#include "board/attacks.h"
#include "board/movegen.h"
#include "board/tables.h"

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

CheckState FindCheckState(const Position& position, int side) {
  CheckState check;
  check.king = KingSquare(position, side);
  check.checkers = FindCheckers(position, side, check.firstChecker);
  return check;
}

bool IsLegalEvasionOfKingOrSpecial(const Position& position, Move move, int side, const CheckState& check) {
  if (IsCastling(move) || IsEnPassantCapture(position, move)) return IsLegalMove(position, move, side);
  const int from = MoveFrom(move), to = MoveTo(move);
  if (from == check.king) return IsSquareAttackedPast(position, to, side, from) == 0;
  return IsLegalManEvasion(position, move, side, check);
}

bool IsLegalGenerated(const Position& position, Move move, int side, bool inCheck) {
  if (inCheck) return IsLegalEvasion(position, move, side, FindCheckState(position, side));
  return JudgeOutOfCheck(position, move, side);
}

bool JudgeOutOfCheck(const Position& position, Move move, int side) {
  if (IsEnPassantCapture(position, move)) return IsLegalMove(position, move, side);
  // Not in check, no slider aims through the king's square: the king's destination decides.
  if (MoveSlot(move) == KingSlot) return IsSquareAttacked(position, MoveTo(move), side) == 0;
  return ExposesOwnKing(side, position, move) == 0;
}

NodeLegality::NodeLegality(const Position& position, int side, bool inCheck)
    : position_(position), side_(side), inCheck_(inCheck), check_{}, pins_{} {
  if (inCheck) check_ = FindCheckState(position, side);
  else pins_ = FindPins(position, side);
}

bool NodeLegality::Judge(Move move) const {
  if (inCheck_) return IsLegalEvasion(position_, move, side_, check_);
  if (IsEnPassantCapture(position_, move)) return IsLegalMove(position_, move, side_);
  if (MoveSlot(move) == KingSlot) return IsSquareAttacked(position_, MoveTo(move), side_) == 0;
  const int from = MoveFrom(move);
  for (int i = 0; i < pins_.count; ++i)
    if (pins_.square[i] == from) return DirectionOf(KingSquare(position_, side_), MoveTo(move)) == pins_.line[i];
  return true;
}

int CountLegalMoves(const Position& position, const Move* moves, int count, int side, bool inCheck, int enough) {
  int legal = 0;
  for (int i = 0; i < count && legal < enough; ++i) legal += IsLegalGenerated(position, moves[i], side, inCheck);
  return legal;
}

std::vector<Move> LegalMoves(const Position& position) {
  MoveList list;
  GenerateMoves(position.sideToMove, position, list);
  std::vector<Move> legal;
  ForEachMove(list, [&](Move m) {
    if (IsLegalMove(position, m, position.sideToMove)) legal.push_back(m);
  });
  return legal;
}

} // namespace kestrin
