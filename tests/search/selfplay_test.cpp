#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "board/gameend.h"
#include "book/book.h"
#include "notation/history.h"
#include "notation/newgame.h"
#include "search/searchstate.h"
#include "search/think.h"
#include "search/transposition.h"
#include "support/fixtures.h"
#include "support/legalmoves.h"

namespace kestrin {
namespace {

// The positions the legal moves of `p` lead to, every promotion piece included.
std::vector<Position> Successors(const Position& p) {
  std::vector<Position> result;
  for (Move m : test::LegalMoves(p))
    for (int type : {Queen, Rook, Bishop, Knight}) {
      result.push_back(p);
      MoveUndo undo;
      MakeMove(result.back(), m, undo, type);
      if (!IsPromotion(p, m)) break;
    }
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
    for (int opening = random() % 8; opening > 0; --opening) start = Successors(start)[random() % Successors(start).size()];
    start.irreversiblePly = start.plyCount;
    ResetGameRecord(&start);
    for (int ply = 0; ply < 400 && gameState == GameInProgress; ++ply, ++plies) {
      const Position before = gamePosition;
      const std::vector<Position> legal = Successors(before);
      if (legal.empty()) break;
      Think(gamePosition, ThinkPlay, 1 + game % 2);
      ASSERT_TRUE(std::any_of(legal.begin(), legal.end(), [](const Position& p) { return SameBoard(p, gamePosition); }))
          << PlyText(gameHistory, before.plyCount) << " in " << test::ToFen(before);
    }
    decided += gameState != GameInProgress;
  }
  // Nearly every game ends by mate or a draw rule within 400 plies.
  EXPECT_TRUE(plies > 50000 && decided > 900) << plies << " plies, " << decided << " games decided";
  ResetGameRecord();
}

// A book hit is played at once and reports ten times the book value; a ponder or an analysis
// never takes a book move (a ponder's would be recorded before the opponent had moved).
TEST(BookInThink, OnlyAMoveToPlayNowComesFromTheBook) {
  if (!transpositionTable.buckets) AllocateTranspositionTable(18);
  for (int mode : {ThinkPlay, ThinkPonder, ThinkAnalyse}) {
    BookCreate(), ResetSearchState(), ResetGameRecord();
    Position afterE4 = gamePosition, thought = gamePosition;
    test::Play(afterE4, "e2e4");
    BookAdd(afterE4, 2, true);
    EngineMode = mode == ThinkPonder ? 1 : 0;
    const int score = Think(mode == ThinkPlay ? gamePosition : thought, mode, 3);
    EngineMode = 0;
    EXPECT_EQ(HistoryCount(), mode == ThinkPlay ? 1 : 0) << mode;
    EXPECT_EQ(search.nodeCount == 0, mode == ThinkPlay) << mode;
    EXPECT_TRUE(mode != ThinkPlay || (score == 20 && SameBoard(gamePosition, afterE4)));
  }
  BookCreate();
  ResetGameRecord();
}

} // namespace
} // namespace kestrin
