#include "board/perft.h"

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/tables.h"

namespace kestrin {

namespace {

constexpr int PromotionTypes[4] = {Queen, Rook, Bishop, Knight};


bool LegalAfterMaking(const Position& p, Move m, int side) {
  Position copy = p;
  MoveUndo undo;
  MakeMove(copy, m, undo, Queen);
  return !IsInCheck(side, copy);
}

// The legality pre-tests the search uses, so that the last ply needs no MakeMove.
bool IsLegal(const Position& p, const MoveList& list, Move m, int side) {
  int from = MoveFrom(m), to = MoveTo(m);
  if (from >= FirstCastleCode) return !IsSquareAttacked(p, to, side);
  if (list.inCheck || (to == p.epSquare && (p.board[from] & 7) == Pawn)) return LegalAfterMaking(p, m, side);
  if (MoveSlot(m) == KingSlot) return !IsSquareAttacked(p, to, side);
  return !ExposesOwnKing(side, p, m);
}

} // namespace

u64 Perft(const Position& p, int depth) {
  if (depth <= 0) return 1;
  const int side = p.sideToMove;
  MoveList list;
  GenerateMoves(side, p, list);
  u64 total = 0;
  if (depth == 1) {
    ForEachMove(list, [&](Move m) {
      if (IsLegal(p, list, m, side)) total += IsPromotion(p, m) ? 4 : 1;
    });
    return total;
  }
  ForEachMove(list, [&](Move m) {
    int kinds = IsPromotion(p, m) ? 4 : 1;
    for (int k = 0; k < kinds; ++k) {
      Position child = p;
      MoveUndo undo;
      MakeMove(child, m, undo, PromotionTypes[k]);
      if (IsInCheck(side, child)) return;
      total += Perft(child, depth - 1);
    }
  });
  return total;
}

std::vector<PerftDivision> PerftDivide(const Position& p, int depth) {
  std::vector<PerftDivision> result;
  const int side = p.sideToMove;
  MoveList list;
  GenerateMoves(side, p, list);
  ForEachMove(list, [&](Move m) {
    bool promotes = IsPromotion(p, m);
    for (int k = 0; k < (promotes ? 4 : 1); ++k) {
      Position child = p;
      MoveUndo undo;
      MakeMove(child, m, undo, PromotionTypes[k]);
      if (IsInCheck(side, child)) return;
      result.push_back({m, promotes ? PromotionTypes[k] : 0, Perft(child, depth - 1)});
    }
  });
  return result;
}

} // namespace kestrin
