#include "eval/corpus.h"

#include "board/legality.h"
#include "board/movegen.h"

namespace kestrin {

std::vector<Position> RandomGamePositions(u32 seed, int games, int maxPlies) {
  CorpusRandom random{seed ? seed : 1};
  std::vector<Position> positions;
  std::vector<Move> legal, captures;
  for (int game = 0; game < games; ++game) {
    Position p;
    SetStartPosition(p);
    p.pawnKey = PawnKeyOf(p);
    positions.push_back(p);
    for (int ply = 0; ply < maxPlies; ++ply) {
      const int side = p.sideToMove;
      MoveList list;
      GenerateMoves(side, p, list);
      legal.clear();
      captures.clear();
      for (u32 i = 1; i <= list.captureCount + list.quietCount; ++i) {
        Move m = i <= list.captureCount ? list.moves[i] : list.moves[QuietBase + i - list.captureCount];
        if (!IsLegalMove(p, m, side)) continue;
        legal.push_back(m);
        if (i <= list.captureCount) captures.push_back(m);
      }
      if (legal.empty()) break;
      const std::vector<Move>& pool = !captures.empty() && random.Below(2) == 0 ? captures : legal;
      Move m = pool[random.Below(static_cast<int>(pool.size()))];
      int promotion = IsPromotion(p, m) ? Bishop + random.Below(4) : Queen;
      MoveUndo undo;
      MakeMove(p, m, undo, promotion);
      p.pawnKey = PawnKeyOf(p);
      positions.push_back(p);
    }
  }
  return positions;
}

} // namespace kestrin
