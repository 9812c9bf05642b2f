#include "board/perft.h"

#include "board/legality.h"
#include "board/movegen.h"

namespace kestrin {

namespace {

constexpr int PromotionTypes[4] = {Queen, Rook, Bishop, Knight};

} // namespace

u64 Perft(const Position& p, int depth) {
  if (depth <= 0) return 1;
  const int side = p.sideToMove;
  MoveList list;
  GenerateMoves(side, p, list);
  // Legality is decided as the search does, mostly without making the move: the last ply
  // only counts, the others make just the legal moves.
  const NodeLegality legal(p, side, list.inCheck != 0);
  u64 total = 0;
  if (depth == 1) {
    ForEachMove(list, [&](Move m) {
      if (legal(m)) total += IsPromotion(p, m) ? 4 : 1;
    });
    return total;
  }
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
