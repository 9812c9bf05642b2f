#include "board/perft.h"

#include "board/legality.h"
#include "board/movegen.h"

namespace kestrin {

namespace {

constexpr int PromotionTypes[4] = {Queen, Rook, Bishop, Knight};

} // namespace

u64 Perft(const Position& p, int depth) {
  if (depth <= 0) return 1;
  if (depth == 1) return LegalMoveCount(p);
  const int side = p.sideToMove;
  MoveList list;
  GenerateMoves(side, p, list);
  // The last ply only counts; above it legality is decided as the search does, mostly
  // without making the move, and only the legal moves are made.
  const NodeLegality legal(p, side, list.inCheck != 0);
  u64 total = 0;
  ForEachMove(list, [&](Move m) {
    if (!legal(m)) return;
    const int kinds = IsPromotion(p, m) ? 4 : 1;
    for (int k = 0; k < kinds; ++k) {
      Position child = p;
      MoveUndo undo;
      MakeMove(child, m, undo, PromotionTypes[k]);
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
      Position child;
      if (!TryMove(p, m, side, child, PromotionTypes[k])) return;
      result.push_back({m, promotes ? PromotionTypes[k] : 0, Perft(child, depth - 1)});
    }
  });
  return result;
}

} // namespace kestrin
