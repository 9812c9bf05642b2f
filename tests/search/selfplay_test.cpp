#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "board/gameend.h"
#include "board/legality.h"
#include "board/movegen.h"
#include "book/book.h"
#include "notation/history.h"
#include "notation/newgame.h"
#include "search/searchstate.h"
#include "search/think.h"
#include "search/transposition.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

// The positions the legal moves of `p` lead to, every promotion piece included.
std::vector<Position> Successors(const Position& p) {
  std::vector<Position> result;
  MoveList list;
  GenerateMoves(p.sideToMove, p, list);
  ForEachMove(list, [&](Move m) {
    for (int type : {Queen, Rook, Bishop, Knight}) {
      Position next;
      if (TryMove(p, m, p.sideToMove, next, type)) result.push_back(next);
      if (!IsPromotion(p, m)) break;
    }
  });
  return result;
}

bool SameBoard(const Position& a, const Position& b) {
  return std::memcmp(a.board, b.board, BoardSize) == 0 && a.sideToMove == b.sideToMove;
}

// Games of the engine against itself at depth 1 or 2, each from its own random opening: every
// move it plays must be one of the legal moves of its position.
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
      const std::vector<Position> next = Successors(start);
      if (next.empty()) break;
      start = next[random() % next.size()];
    }
    start.irreversiblePly = start.plyCount;
    ResetGameRecord(&start);
    for (int ply = 0; ply < 400 && gameState == GameInProgress; ++ply, ++plies) {
      const Position before = gamePosition;
      const std::vector<Position> legal = Successors(before);
      if (legal.empty()) break;
      Think(gamePosition, ThinkPlay, 1 + game % 2);
      bool found = false;
      for (const Position& p : legal) found = found || SameBoard(p, gamePosition);
      ASSERT_TRUE(found) << PlyText(gameHistory, before.plyCount) << " in " << test::ToFen(before);
    }
    decided += gameState != GameInProgress;
  }
  EXPECT_GT(plies, 50000);
  EXPECT_GT(decided, 900); // nearly every game ends by mate or a draw rule within 400 plies
  ResetGameRecord();
}

// A book hit is played at once and reports ten times the book value; a ponder or an analysis
// never takes a book move (a ponder's would be recorded before the opponent had moved).
TEST(BookInThink, OnlyAMoveToPlayNowComesFromTheBook) {
  if (!transpositionTable.buckets) AllocateTranspositionTable(18);
  for (int mode : {ThinkPlay, ThinkPonder, ThinkAnalyse}) {
    BookCreate();
    ResetSearchState();
    ResetGameRecord();
    Position afterE4 = gamePosition, thought = gamePosition;
    test::Play(afterE4, "e2e4");
    BookAdd(afterE4, 2, true);
    EngineMode = mode == ThinkPonder ? 1 : 0;
    const int score = Think(mode == ThinkPlay ? gamePosition : thought, mode, 3);
    EngineMode = 0;
    EXPECT_EQ(HistoryCount(), mode == ThinkPlay ? 1 : 0) << mode;
    EXPECT_EQ(search.nodeCount == 0, mode == ThinkPlay) << mode;
    if (mode == ThinkPlay) {
      EXPECT_TRUE(score == 20 && SameBoard(gamePosition, afterE4));
    }
  }
  BookCreate();
  ResetGameRecord();
}

} // namespace
} // namespace kestrin
