#include <gtest/gtest.h>

#include <cstring>

#include "board/keys.h"
#include "eval/evaluate.h"
#include "search/alphabeta.h"
#include "search/ordering.h"
#include "search/searchstate.h"
#include "search/think.h"
#include "search/transposition.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

using test::FromFen;

class SearchTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!transpositionTable.buckets) AllocateTranspositionTable(18);
    ResetSearchState();
    ClearTranspositionTable();
    ClearHistoryTables();
    ClearRepetitionKeys();
    search.targetSeconds = 1e6f;
  }
  // The working position as the driver sets it up before iteration `depth`.
  static void Prepare(const Position& p, int depth) {
    PrepareSearch(p);
    search.iterationDepth = depth;
    StartIteration(p);
  }
};

TEST_F(SearchTest, OutcomesAtTheRoot) {
  constexpr int Draw = 1 << 20; // the draw score of the position
  const struct {
    const char* fen;
    int plyCount, irreversiblePly; // 0: as read
    int score;            // 0: an ordinary score
    u32 pvLength, pvLast; // row 1 of the principal variation
  } cases[] = {
      {"R5k1/5ppp/8/8/8/8/8/6K1 b - -", 0, 0, 9998, 1, PvMate},
      {"7k/5Q2/8/8/8/8/8/6K1 b - -", 0, 0, 19999, 0, 0}, // stalemate: no move, no value
      {"4k3/8/8/8/8/8/4P3/4K3 w - -", 150, 50, Draw, 1, PvDraw},
      {"4k3/8/8/8/8/8/4P3/4K3 w - -", 150, 52, 0, 0, 0}, // 98 plies: not yet
      {"4k3/8/8/8/8/8/3p4/2B1K3 w - -", 0, 0, Draw, 2, PvDraw}, // Bxd2 leaves a bare bishop
  };
  for (const auto& c : cases) {
    SetUp();
    Position p = FromFen(c.fen);
    if (c.plyCount) p.plyCount = static_cast<u16>(c.plyCount);
    if (c.irreversiblePly) p.irreversiblePly = static_cast<u16>(c.irreversiblePly);
    Prepare(p, 2);
    u16 best = NoMove16;
    const int score = AlphaBeta(search.work.sideToMove, 0, 2, 2 - 9998, 9998 - 2, best, 1);
    if (!c.score) { // a move was searched and no draw found
      EXPECT_TRUE(score != search.drawScore && search.pvTable[1][1] != PvDraw) << c.fen;
      continue;
    }
    EXPECT_EQ(score, c.score == Draw ? search.drawScore : c.score) << c.fen;
    EXPECT_EQ(search.pvTable[1][0], c.pvLength) << c.fen;
    EXPECT_TRUE(!c.pvLength || search.pvTable[1][c.pvLength] == c.pvLast) << c.fen;
  }
}

TEST_F(SearchTest, DeepNodesStayWithinThePlyRecords) {
  // A node at ply 47 with 13 plies left and a window at its score: null moves and internal
  // deepening alternate below it, yet no node may go beyond the last ply record.
  Prepare(FromFen("r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -"), 14);
  ASSERT_EQ(search.maxTotalPly, 46);
  const Position before = search.work;
  const int e = Evaluate(search.work, -30000, 30000);
  for (int side : {White, Black}) {
    search.work.sideToMove = static_cast<u8>(side);
    u16 best = NoMove16;
    const int v = AlphaBeta(side, 46, 13, e - 1, e, best, 0);
    EXPECT_TRUE(v >= e - 1 && v <= e && search.pvTable[47][0] <= u32(SearchPlies - 47)) << v;
  }
  search.work.sideToMove = before.sideToMove;
  // Byte 0 of the board may take a take-back's unused zero; nothing reads it.
  EXPECT_EQ(std::memcmp(before.board + 1, search.work.board + 1, sizeof before - 1), 0);
}

// Best moves, mate distances, and where the deepening stops: with a single legal move after a
// few iterations (enough to see a mate behind it), after two with a mate in one.
TEST_F(SearchTest, BestMovesMateDistancesAndStops) {
  const struct {
    const char* fen;
    int depth;
    const char* move; // "": any of several
    int movesToMate;  // 0: not checked
    int lastDepth;    // the last iteration at most, 0: not checked
  } cases[] = {
      {"7k/8/8/8/8/8/r7/K1r5 w - -", 10, "", 0, 5}, // in check
      {"7k/8/8/8/8/8/6r1/7K w - -", 10, "", 0, 5},  // not in check, one legal move of three generated
      {"6k1/5ppp/8/8/8/8/8/R5K1 w - -", 10, "a1a8", 1, 2},
      {"r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq -", 2, "h5f7", 1, 0},
      {"r5rk/5p1p/5R2/4B3/8/8/7P/7K w - -", 5, "f6a6", 3, 0},
      // Rook endings whose mate distances an independent engine confirms.
      {"1k6/8/8/3K4/8/8/8/7R w - -", 8, "", 3, 0},
      {"k7/8/8/8/2K5/8/8/7R w - -", 10, "", 5, 0},
  };
  for (const auto& c : cases) {
    SetUp();
    Position p = FromFen(c.fen);
    const int score = Think(p, ThinkAnalyse, c.depth);
    EXPECT_TRUE(!*c.move || test::CoordinateOf(search.rootBestMove) == c.move) << c.fen;
    EXPECT_TRUE(!c.movesToMate || score == 9999 - 2 * c.movesToMate) << c.fen << ": " << score; // mated at ply 2n
    EXPECT_TRUE(!c.lastDepth || search.iterationDepth - 1 <= c.lastDepth) << c.fen;
  }
}

} // namespace
} // namespace kestrin
