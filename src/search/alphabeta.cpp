#include "search/alphabeta.h"

#include "board/attacks.h"
#include "board/keys.h"
#include "board/legality.h"
#include "eval/evaluate.h"
#include "platform/clock.h"
#include "search/limits.h"
#include "search/ordering.h"
#include "search/quiescence.h"
#include "search/report.h"
#include "search/takeback.h"
#include "search/think.h"
#include "search/transposition.h"

namespace kestrin {

namespace {

constexpr int NullReduction = 3;
constexpr int NullWindowWidening = 250;
constexpr int NullEvaluationMargin = 200;
constexpr int CheckExtension = 32, DeepCheckExtension = 24, RecaptureExtension = 24;
constexpr int SingleReplyExtension = 24, TwoRepliesExtension = 8, OnePly = 32;
// Moves beyond MaxTotalPly go to the quiescence search, so only a null move leads a node deeper;
// the deepest node that still has a record for its child is ply SearchPlies - 2.
constexpr int LastNullMovePly = SearchPlies - 3;

inline bool BareMinorsOnly(const Position& p) {
  return p.whitePawns == 0 && p.blackPawns == 0 && p.whitePieces <= 1 && p.blackPieces <= 1 &&
         p.whitePieces == p.whiteMinors && p.blackPieces == p.blackMinors;
}

// Reads the clock every ClockCheckNodes() nodes; true when the time is up.
bool ClockSaysStop() {
  long long now = ClockMilliseconds();
  search.nextClockCheck = search.nodeCount + ClockCheckNodes();
  if (ScoreDropped()) now -= static_cast<long long>(search.extraSeconds * 1000.0f);
  if (EngineMode != 1 && now - search.searchStart > static_cast<long long>(search.targetSeconds * 1000.0f))
    return true;
  CurrentSearchReport().Searching();
  return false;
}

void RecordRootBest(Move m, u16& bestMoveSlot, int score) {
  search.rootBestMove = LowMove(m);
  bestMoveSlot = LowMove(m);
  search.rootBestChanged = 1;
  PvFromChild(1, PvEntryOf(search.root, m, search.plies[2].list.inCheck != 0));
  if (search.iterationDepth > 3)
    CurrentSearchReport().Thinking(
        {.depth = search.iterationDepth, .score = score, .nodes = search.nodeCount, .firstMoveOnly = true});
}

} // namespace

u32 PvEntryOf(const Position& position, Move move, bool givesCheck) {
  u32 entry = LowMove(move);
  if (!IsCastling(move) && position.board[MoveTo(move)] != Empty) entry |= PvCaptureFlag;
  if (givesCheck) entry |= PvCheckFlag;
  return entry;
}

int AlphaBeta(int side, int ply, int depth, int alpha, int beta, u16& bestMoveSlot, int nullFlag) {
  Position& pos = search.work;
  const int p = ply + 1;
  const int sign = side == White ? 1 : -1;
  SearchPly& node = search.plies[p];
  SearchPly& child = search.plies[p + 1];

  // 0. Abort, node limit and clock.
  if (AbortFlag > 0 || EngineMode == 3) return AbortScore;
  const u32 maxNodes = searchSettings.maxNodes.load(std::memory_order_relaxed);
  if (maxNodes && search.nodeCount > maxNodes && search.iterationDepth > 1) return AbortScore;
  if (search.nodeCount > search.nextClockCheck && ClockSaysStop()) return AbortScore;

  // The hash move is searched first: its child's bucket comes to the cache while this node
  // works its way up to it (null move, move generation, ordering).
  if (bestMoveSlot != NoMove16 && depth > 1) PrefetchTransposition(RepetitionKeyAfter(pos, bestMoveSlot));

  bool improved = false;

  // 2. Null move.
  const int pieces = side == White ? pos.whitePieces : pos.blackPieces;
  const int minors = side == White ? pos.whiteMinors : pos.blackMinors;
  if (nullFlag != 1 && p <= LastNullMovePly && node.list.inCheck == 0 && depth >= 3 && !search.nullMoveDisabled &&
      (pieces >= 2 || pieces > minors)) {
    const int e = Evaluate(pos, alpha - NullWindowWidening, beta + NullWindowWidening);
    if (side == White ? e + NullEvaluationMargin >= beta : e - NullEvaluationMargin <= alpha) {
      child.list.inCheck = 0;
      u16 scratch = NoMove16;
      MakeNullMove(pos);
      const int v = side == White ? AlphaBeta(Black, p, depth - NullReduction, beta - 1, beta, scratch, 1)
                                  : AlphaBeta(White, p, depth - NullReduction, alpha, alpha + 1, scratch, 1);
      MakeNullMove(pos);
      if (v == AbortScore) return AbortScore;
      if (side == White && v >= beta) return beta;
      if (side == Black && v <= alpha) return alpha;
    }
  }

  // 3. Internal deepening: the same node two plies shallower finds a first move.
  if (bestMoveSlot == NoMove16 && p != 1 && depth >= 3) {
    if (AlphaBeta(side, p - 1, depth - 2, alpha, beta, bestMoveSlot, 0) == AbortScore) return AbortScore;
  }

  // 4. Mate-distance pruning.
  if (side == White && MateValue - p <= alpha) return alpha - 1;
  if (side == Black && p - MateValue >= beta) return beta + 1;

  // 5, 6. Moves in search order; in check only the legal ones.
  MoveList& list = node.list;
  GenerateMovesGivenCheck(side, pos, list);
  ScoreCaptures(list, pos);
  const bool inCheck = list.inCheck != 0;
  if (inCheck) OrderEvasions(bestMoveSlot, list, pos);
  else OrderMoves(bestMoveSlot, list, Killers[p], pos);
  const u32 total = list.quietCount;
  // Legal replies: at the root all of them (one ends the deepening), elsewhere up to the three
  // that rule out the one- and two-reply extensions. Only those extensions read the count. At
  // the frontier a move reaches them only when it gives check or brings a pawn to the seventh
  // rank (both extended for that, before the count is looked at), or when the node has at most
  // replyLimit moves; so there the count is made only in that last case.
  const int listed = static_cast<int>(total);
  const bool repliesRead = p == 1 || depth > 1 || total <= node.replyLimit;
  const int replies = inCheck || !repliesRead ? listed
                                              : CountLegalMoves(pos, list.moves, listed, side, false, p == 1 ? listed : 3);
  if (p == 1) search.rootMoveCount = replies;
  if (inCheck && total == 0) {
    PvSingle(p, PvMate);
    return (p - MateValue) * sign;
  }

  // 7. Fifty moves without a capture or pawn move.
  if (pos.plyCount - pos.irreversiblePly >= 100) {
    PvSingle(p, PvDraw);
    return search.drawScore;
  }

  // 8, 9. The move loop.
  int best = NoScoreWhite * sign;
  SaveTail(p);
  for (u32 i = 0; i < total; ++i) {
    if (depth > 1 && p < 11 && i == list.captureCount) SortByHistory(list, side);
    const Move m = list.moves[i];
    // While this move is searched, the entries its successor's child reads come to the cache.
    if (i + 1 < total) {
      const Move next = list.moves[i + 1];
      if (depth > 1) PrefetchTransposition(RepetitionKeyAfter(pos, next));
      PrefetchPawns(PawnKeyAfter(pos, next));
    }
    // In check the ordered list holds only legal moves.
    if (!inCheck && !IsLegalOutOfCheck(pos, m, side)) continue;
    if (p == 1 && !RootMoveAllowed(m)) continue; // "go searchmoves"
    MoveUndo undo;
    const u32 moveClass = MakeMove(pos, m, undo, Queen);
    node.lastMoveClass = moveClass;
    search.nodeCount = search.nodeCount + 1;
    if (p == 1) RootMoveStarted(static_cast<int>(i), m, best, bestMoveSlot);
    UpdateHashKeys(pos, undo);
    const u32 repetitionKey = RepetitionKeyOfHash(pos);
    // Below depth 1 the child mostly goes to the quiescence search, which has no use for the table.
    if (depth > 1) PrefetchTransposition(repetitionKey);
    PrefetchPawns(pos.pawnKey);
    child.list.inCheck = static_cast<u32>(CountChecksGiven(side, pos, m, moveClass));
    int marker = 1;
    int value;

    StoreRepetitionKey(pos.plyCount, repetitionKey);
    const int reps = CountRepetitions(repetitionKey, pos.plyCount, pos.irreversiblePly);

    if (reps > 1 || (reps > 0 && p > 2) || BareMinorsOnly(pos)) {
      value = search.drawScore;
      marker = 2;
    } else if ((depth <= 1 && child.list.inCheck == 0 && moveClass != ClassPawnTo7th && total > node.replyLimit) ||
               p > search.maxTotalPly) {
      if (side == White) value = alpha > MateThreshold ? alpha : QuiescenceSearch(Black, alpha, beta, p);
      else value = beta < -MateThreshold ? beta : QuiescenceSearch(White, alpha, beta, p);
      marker = 0;
    } else {
      // Extensions in 1/32 ply, accumulated along the path.
      int childDepth = depth - 1;
      u32 fraction = search.plies[p - 1].list.extensionFraction;
      if (child.list.inCheck != 0 || moveClass >= ClassPawnTo7th) {
        fraction += p > 2 * search.iterationDepth ? DeepCheckExtension : CheckExtension;
      } else if (!inCheck && u32(MoveTo(m)) == search.plies[p - 1].lastMoveClass) {
        fraction += RecaptureExtension;
        node.lastMoveClass = ClassOrdinary; // the re-recapture is not extended
      } else if (replies == 1) {
        fraction += SingleReplyExtension;
      } else if (replies == 2) {
        fraction += TwoRepliesExtension;
      }
      if (fraction >= OnePly) {
        fraction -= OnePly;
        childDepth = depth;
      }
      list.extensionFraction = fraction;
      child.replyLimit = childDepth < 1 ? 1 : 2;
      u16 childSlot = NoMove16;

      const TTProbe probe =
          ProbeTransposition(pos, repetitionKey, childDepth, p, alpha, beta, improved);
      if (probe.hasValue) {
        value = probe.value;
      } else {
        childSlot = probe.hashMove;
        const int other = Opponent(side);
        int v;
        if (improved) {
          if (side == White) {
            v = AlphaBeta(other, p, childDepth, alpha, alpha + 1, childSlot, 0);
            if (v > alpha) {
              if (v == AbortScore) return AbortScore;
              if (p == 1) RecordRootBest(m, bestMoveSlot, v);
              v = AlphaBeta(other, p, childDepth, alpha, beta, childSlot, 0);
            }
          } else {
            v = AlphaBeta(other, p, childDepth, beta - 1, beta, childSlot, 0);
            if (v < beta) {
              if (p == 1) RecordRootBest(m, bestMoveSlot, v);
              v = AlphaBeta(other, p, childDepth, alpha, beta, childSlot, 0);
            }
          }
        } else {
          v = AlphaBeta(other, p, childDepth, alpha, beta, childSlot, 0);
        }
        if (v == AbortScore) return AbortScore;
        StoreTransposition(pos, repetitionKey, childDepth, p, alpha, beta, v, childSlot);
        marker = 0;
        value = v;
      }
      if (reps == 1 && value != search.drawScore) {
        const i16 v16 = static_cast<i16>(value);
        value = (v16 >> 3) + (v16 >> 2) + (v16 >> 1);
      }
    }

    TakeBack(p, undo);

    const bool better = side == White ? value > best : value < best;
    if (better) {
      best = value;
      bestMoveSlot = LowMove(m);
      const u32 entry = PvEntryOf(pos, m, child.list.inCheck != 0);
      if (marker == 0) PvFromChild(p, entry);
      else {
        search.pvTable[p][0] = 2;
        search.pvTable[p][1] = entry;
        search.pvTable[p][2] = PvNoMove - u32(marker);
      }
      const bool cut = side == White ? (value >= beta || value == MateValue - 1 - p)
                                     : (value <= alpha || value == p - (MateValue - 1));
      if (cut) {
        UpdateKillerAndHistory(p, depth, side, bestMoveSlot, pos);
        if (p == 1) search.rootScore = value;
        return value;
      }
      if (side == White ? value > alpha : value < beta) {
        improved = true;
        (side == White ? alpha : beta) = value;
      }
    }
  }

  // 10. After the loop.
  if (p == 1) search.rootScore = best;
  else if (best == NoScoreWhite * sign) return search.drawScore;
  UpdateKillerAndHistory(p, depth, side, bestMoveSlot, pos);
  return best;
}

} // namespace kestrin
