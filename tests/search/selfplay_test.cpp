#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "board/attacks.h"
#include "board/gameend.h"
#include "board/makemove.h"
#include "book/book.h"
#include "notation/history.h"
#include "notation/newgame.h"
#include "search/searchstate.h"
#include "search/think.h"
#include "search/transposition.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

// The legal moves of `p` as the positions they lead to.
std::vector<Position> Successors(const Position& p) {
  std::vector<Position> result;
  MoveList list;
  GenerateMoves(p.sideToMove, p, list);
  ForEachMove(list, [&](Move m) {
    const bool promotes = !IsCastling(m) && (p.board[MoveFrom(m)] & 7) == Pawn &&
                          (MoveTo(m) < 30 || MoveTo(m) > 90);
    for (int type : {Queen, Rook, Bishop, Knight}) {
      Position next = p;
      MoveUndo undo;
      MakeMove(next, m, undo, type);
      if (!IsInCheck(p.sideToMove, next)) result.push_back(next);
      if (!promotes) break;
    }
  });
  return result;
}

bool SameBoard(const Position& a, const Position& b) {
  return std::memcmp(a.board, b.board, BoardSize) == 0 && a.sideToMove == b.sideToMove;
}

// Games of the engine against itself at a small fixed depth, each from its own random opening;
// every move it plays must be one of the legal moves of the position it was played in.
TEST(SlowSelfPlay, ThousandGamesOfLegalMoves) {
  if (!transpositionTable.buckets) AllocateTranspositionTable(18);
  BookCreate();
  std::mt19937 random(2024);
  int plies = 0, decided = 0;
  for (int game = 0; game < 1000; ++game) {
    ResetSearchState();
    search.targetSeconds = 1e6f;
    Position start;
    SetStartPosition(start);
    for (int opening = random() % 8; opening > 0; --opening) {
      std::vector<Position> next = Successors(start);
      if (next.empty()) break;
      start = next[random() % next.size()];
    }
    start.irreversiblePly = start.plyCount;
    ResetGameRecord(&start);
    for (int ply = 0; ply < 400 && gameState == GameInProgress; ++ply) {
      const Position before = gamePosition;
      const std::vector<Position> legal = Successors(before);
      if (legal.empty()) break;
      Think(gamePosition, ThinkPlay, 1 + game % 2);
      ASSERT_EQ(gamePosition.plyCount, before.plyCount + 1) << "no move in " << test::ToFen(before);
      bool found = false;
      for (const Position& p : legal) found = found || SameBoard(p, gamePosition);
      ASSERT_TRUE(found) << "illegal move " << PlyText(gameHistory, before.plyCount) << " in "
                         << test::ToFen(before);
      ++plies;
    }
    decided += gameState != GameInProgress;
  }
  EXPECT_GT(plies, 50000);
  EXPECT_GT(decided, 900); // nearly every game reaches mate or a draw rule within 400 plies
}

// The same search from the same cleared state visits the same nodes: the bench total is a signature.
TEST(SearchDeterminism, SameNodesEveryRun) {
  if (!transpositionTable.buckets) AllocateTranspositionTable(18);
  u32 nodes[2];
  int scores[2];
  for (int run = 0; run < 2; ++run) {
    ResetSearchState();
    ClearTranspositionTable();
    search.targetSeconds = 1e6f;
    Position p = test::FromFen("r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -");
    scores[run] = Think(p, ThinkAnalyse, 6);
    nodes[run] = search.nodeCount;
  }
  EXPECT_EQ(nodes[0], nodes[1]);
  EXPECT_EQ(scores[0], scores[1]);
  EXPECT_GT(nodes[0], 10000u);
}

// A book hit is played without a search and reports ten times the book value.
TEST(BookInThink, BookMoveIsPlayedAndReportsTenTimesItsValue) {
  if (!transpositionTable.buckets) AllocateTranspositionTable(18);
  BookCreate();
  ResetSearchState();
  ResetGameRecord();
  Position afterE4 = gamePosition;
  test::Play(afterE4, "e2e4");
  BookAdd(afterE4, 2, true);
  const int score = Think(gamePosition, ThinkPlay, 6);
  EXPECT_EQ(score, 20);
  EXPECT_EQ(search.nodeCount, 0u);
  EXPECT_EQ(HistoryCount(), 1);
  EXPECT_TRUE(SameBoard(gamePosition, afterE4));
  // Pondering does not take book moves: nothing may be recorded before the opponent moves.
  BookCreate();
  ResetGameRecord();
  BookAdd(afterE4, 2, true);
  EngineMode = 1;
  Position predicted = gamePosition;
  Think(predicted, ThinkPonder, 3);
  EngineMode = 0;
  EXPECT_GT(search.nodeCount, 0u);
  EXPECT_EQ(HistoryCount(), 0);
  // Analysis never consults the book.
  BookCreate();
  ResetGameRecord();
  BookAdd(afterE4, 2, true);
  Think(gamePosition, ThinkAnalyse, 3);
  EXPECT_GT(search.nodeCount, 0u);
  EXPECT_EQ(HistoryCount(), 0);
  BookCreate();
}

} // namespace
} // namespace kestrin
