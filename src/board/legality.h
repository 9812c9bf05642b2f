// Whether a move keeps its own king out of check: the one legality test every caller shares.
#pragma once

#include <vector>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "board/tables.h"

namespace kestrin {

// A pawn taking en passant also empties the square beside its destination, which no line
// test made before the move can see.
inline bool IsEnPassantCapture(const Position& position, Move move) {
  // Nearly every move is told apart by its target alone, so that test comes first.
  return MoveTo(move) == position.epSquare && !IsCastling(move) && (position.board[MoveFrom(move)] & 7) == Pawn;
}

// Makes `move` of `side` on `after`, a copy of `position` (a promoting pawn becomes
// `promotionType`); true when the king of `side` is then not in check.
bool TryMove(const Position& position, Move move, int side, Position& after, int promotionType = Queen);
bool IsLegalMove(const Position& position, Move move, int side);

// The legal moves of the side to move, in generation order (captures, then quiet moves).
std::vector<Move> LegalMoves(const Position& position);

// The same verdict for a generated move, mostly without making it: a king move by the attacks
// on its destination, another man by the line through its square and the king. `inCheck` is
// the list's check flag; in check the move is judged as an evasion (below), and only castling
// and en passant are made on a copy.
bool IsLegalGenerated(const Position& position, Move move, int side, bool inCheck);

// IsLegalGenerated for a side not in check, its commonest case answered here: a man other
// than the king that stands on no line through its king uncovers nothing.
bool JudgeOutOfCheck(const Position& position, Move move, int side);
inline bool IsLegalOutOfCheck(const Position& position, Move move, int side) {
  if (MoveSlot(move) != KingSlot && MoveTo(move) != position.epSquare &&
      DirectionOf(KingSquare(position, side), MoveFrom(move)) == 0)
    return true;
  return JudgeOutOfCheck(position, move, side);
}

// A node in check judges its moves without making them: a king move by the attacks on its
// destination once it has left its square, another man by whether it takes the only checker
// or steps between it and the king, and uncovers no other line. Castling and en passant are
// made on a copy.
struct CheckState {
  int king;
  int checkers;     // men attacking the king
  int firstChecker; // the square of one of them
};
CheckState FindCheckState(const Position& position, int side);
// The evasion of a man other than the king, not castling nor taking en passant.
inline bool IsLegalManEvasion(const Position& position, Move move, int side, const CheckState& check) {
  if (check.checkers > 1) return false;
  const int to = MoveTo(move);
  if (check.checkers == 1 && to != check.firstChecker) {
    // Only a man stepping onto the line strictly between the king and a slider blocks it.
    const int d = DirectionOf(check.king, check.firstChecker);
    if (d == 0 || DirectionOf(check.king, to) != d || (d > 0 ? to > check.firstChecker : to < check.firstChecker))
      return false;
  }
  return ExposesOwnKing(side, position, move) == 0;
}
bool IsLegalEvasionOfKingOrSpecial(const Position& position, Move move, int side, const CheckState& check);
// Most evasions a generator lists are men that neither take the checker nor step between it
// and the king: they are turned away inline, with a glance at the move's squares.
inline bool IsLegalEvasion(const Position& position, Move move, int side, const CheckState& check) {
  const int from = MoveFrom(move);
  if (from == check.king || from >= FirstCastleCode || MoveTo(move) == position.epSquare)
    return IsLegalEvasionOfKingOrSpecial(position, move, side, check);
  return IsLegalManEvasion(position, move, side, check);
}

// Judges the generated moves of one node, finding its checkers or its pinned men once:
// the verdicts are those of IsLegalMove.
class NodeLegality {
public:
  NodeLegality(const Position& position, int side, bool inCheck);
  // Most moves leave the king neither in check nor pinned: they need no more than a glance.
  bool operator()(Move move) const {
    if (!inCheck_ && pins_.count == 0 && MoveSlot(move) != KingSlot && MoveTo(move) != position_.epSquare)
      return true;
    return Judge(move);
  }

private:
  bool Judge(Move move) const;

  const Position& position_;
  int side_;
  bool inCheck_;
  CheckState check_;
  Pins pins_;
};

// The number of legal moves among `moves[0 .. count - 1]`, counting stops at `enough`.
int CountLegalMoves(const Position& position, const Move* moves, int count, int side, bool inCheck, int enough);

} // namespace kestrin
