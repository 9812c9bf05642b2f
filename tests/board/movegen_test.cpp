#include <gtest/gtest.h>

#include "board/movegen.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

using Texts = std::vector<std::string>;

// Move entry, move text and the search all rely on this order: captures, then quiet moves by
// piece-list slot (pawns, knights, bishops, rooks, queen, king), each man's steps in a fixed order.
TEST(MoveGeneration, OrderOfTheLists) {
  const struct {
    const char* fen;
    Texts moves;
  } cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
       {"a2a3", "a2a4", "b2b3", "b2b4", "c2c3", "c2c4", "d2d3", "d2d4", "e2e3", "e2e4", "f2f3", "f2f4", "g2g3",
        "g2g4", "h2h3", "h2h4", "b1c3", "b1a3", "g1h3", "g1f3"}},
      // A promotion push is listed with the captures; castling comes before the king's steps.
      {"n1b4k/1P6/8/8/8/8/8/R3K3 w Q -",
       {"b7b8", "b7c8", "b7a8", "a1a8", "e1c1", "a1b1", "a1c1", "a1d1", "a1a2", "a1a3", "a1a4", "a1a5", "a1a6",
        "a1a7", "e1f1", "e1d1", "e1f2", "e1e2", "e1d2"}},
      // In check: the king's steps first, and no castling.
      {"4k3/8/8/8/8/8/8/r3K2R w K -",
       {"e1f1", "e1d1", "e1f2", "e1e2", "e1d2", "h1g1", "h1f1", "h1h2", "h1h3", "h1h4", "h1h5", "h1h6", "h1h7",
        "h1h8"}},
  };
  for (const auto& c : cases) {
    MoveList list;
    const Position p = test::FromFen(c.fen);
    GenerateMoves(p.sideToMove, p, list);
    EXPECT_EQ(test::MoveTexts(list), c.moves) << c.fen;
  }
}

TEST(MoveGeneration, TheLargestMoveCountsFit) {
  MoveList list;
  const Position most = test::FromFen("R6R/3Q4/1Q4Q1/4Q3/2Q4Q/Q4Q2/pp1Q4/kBNN1KB1 w - -"); // 218 legal moves
  GenerateMoves(White, most, list);
  EXPECT_GE(list.quietCount + list.captureCount, 218u);
  const Position queens = test::FromFen("QQQQQQQQ/8/8/8/3Q4/8/8/K6k w - -");
  GenerateMoves(White, queens, list);
  EXPECT_GT(list.quietCount, 99u);
}

} // namespace
} // namespace kestrin
