#include "search/quiescence.h"

#include "board/attacks.h"
#include "board/keys.h"
#include "board/legality.h"
#include "board/tables.h"
#include "eval/evaluate.h"
#include "search/ordering.h"
#include "search/takeback.h"

namespace kestrin {

namespace {

constexpr int DeltaMargin = 120;

} // namespace

int QuiescenceSearch(int side, int alpha, int beta, int ply) {
  Position& pos = search.work;
  const int q = ply + 1;
  const int standPat = Evaluate(pos, alpha, beta);
  if (q >= QuiescenceLimit) return standPat;
  PvSingle(q, PvNoMove);
  MoveList& list = search.plies[q].list;
  if (side == White) {
    if (standPat >= beta) return beta;
    if (standPat > alpha) alpha = standPat;
  } else {
    if (standPat <= alpha) return alpha;
    if (standPat < beta) beta = standPat;
  }
  GenerateCaptures(side, pos, list);
  if (list.captureCount == 0) return side == White ? alpha : beta;
  const int whiteQueen = QueenBonus(pos.whitePieceList), blackQueen = QueenBonus(pos.blackPieceList);
  const int base =
      standPat - TradeTerm(pos.materialScore, pos.whitePieces + whiteQueen, pos.blackPieces + blackQueen);
  ScoreCaptures(list, pos);
  SaveTail(q);
  const bool inCheck = list.inCheck != 0;
  const CheckState check = inCheck ? FindCheckState(pos, side) : CheckState{};
  const int count = static_cast<int>(list.captureCount);
  for (int i = 1; i <= count; ++i) {
    const Move m = list.moves[i];
    // While this capture is searched, the pawn record of the next one comes to the cache.
    if (i < count) PrefetchPawns(PawnKeyAfter(pos, list.moves[i + 1]));
    search.nodeCount = search.nodeCount + 1;
    const int from = MoveFrom(m), to = MoveTo(m);
    int gain = -PieceValue[pos.board[to]];
    if (pos.board[from] == WhitePawn && RankOf[from] == 7) gain += 960;
    else if (pos.board[from] == BlackPawn && RankOf[from] == 2) gain -= 960;
    int w = pos.whitePieces, b = pos.blackPieces;
    if (gain < -200) --w;
    if (gain > 200) --b;
    const i16 estimate =
        static_cast<i16>(base + gain + TradeTerm(pos.materialScore + gain, w + whiteQueen, b + blackQueen));
    if (side == White ? (b >= 2 && estimate <= alpha - DeltaMargin) : (w >= 2 && estimate >= beta + DeltaMargin))
      continue;
    if (inCheck ? !IsLegalEvasion(pos, m, side, check) : !IsLegalOutOfCheck(pos, m, side)) continue;
    MoveUndo undo;
    const u32 moveClass = MakeMove(pos, m, undo, Queen);
    PrefetchPawns(pos.pawnKey);
    search.plies[q + 1].list.inCheck = static_cast<u32>(CountChecksGiven(side, pos, m, moveClass));
    const int score = QuiescenceSearch(Opponent(side), alpha, beta, q);
    TakeBack(q, undo);
    if (side == White) {
      if (score >= beta) return beta;
      if (score > alpha) {
        alpha = score;
        PvFromChild(q, LowMove(m) | PvCaptureFlag);
      }
    } else {
      if (score <= alpha) return alpha;
      if (score < beta) {
        beta = score;
        PvFromChild(q, LowMove(m) | PvCaptureFlag);
      }
    }
  }
  return side == White ? alpha : beta;
}

} // namespace kestrin
