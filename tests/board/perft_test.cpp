#include <gtest/gtest.h>

#include "board/movegen.h"
#include "board/perft.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

// Published leaf counts: the six positions of the common suite (and the fourth mirrored), then
// the positions published for en passant, castling, promotion and check traps.
TEST(Perft, PublishedCounts) {
  const struct {
    const char* fen;
    int depth;
    u64 leaves;
  } cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 5, 4865609},
      {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 4, 4085603},
      {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 5, 674624},
      {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 4, 422333},
      {"r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1", 4, 422333},
      {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 4, 2103487},
      {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", 4, 3894594},
      {"3k4/3p4/8/K1P4r/8/8/8/8 b - -", 6, 1134888},
      {"8/8/4k3/8/2p5/8/B2P2K1/8 w - -", 6, 1015133},
      {"8/8/1k6/2b5/2pP4/8/5K2/8 b - d3", 6, 1440467},
      {"5k2/8/8/8/8/8/8/4K2R w K -", 6, 661072},
      {"3k4/8/8/8/8/8/8/R3K3 w Q -", 6, 803711},
      {"r3k2r/1b4bq/8/8/8/8/7B/R3K2R w KQkq -", 4, 1274206},
      {"r3k2r/8/3Q4/8/8/5q2/8/R3K2R b KQkq -", 4, 1720476},
      {"2K2r2/4P3/8/8/8/8/8/3k4 w - -", 6, 3821001},
      {"8/8/1P2K3/8/2n5/1q6/8/5k2 b - -", 5, 1004658},
      {"4k3/1P6/8/8/8/8/K7/8 w - -", 6, 217342},
      {"8/P1k5/K7/8/8/8/8/8 w - -", 6, 92683},
      {"K1k5/8/P7/8/8/8/8/8 w - -", 6, 2217},
      {"8/k1P5/8/1K6/8/8/8/8 w - -", 7, 567584},
      {"8/8/2k5/5q2/5n2/8/5K2/8 b - -", 4, 23527},
  };
  for (const auto& c : cases) EXPECT_EQ(Perft(test::FromFen(c.fen), c.depth), c.leaves) << c.fen;
}

TEST(Perft, DivisionByRootMoveSumsToTheTotal) {
  const Position p = test::FromFen("rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8");
  u64 total = 0;
  int promotions = 0;
  for (const PerftDivision& d : PerftDivide(p, 2)) {
    total += d.leaves;
    promotions += d.promotionType != 0;
  }
  EXPECT_EQ(total, 1486u);
  EXPECT_EQ(promotions, 4); // d7xc8, once per piece
}

// The largest known move counts fit the move list.
TEST(Perft, TheLargestMoveCountsFit) {
  EXPECT_EQ(Perft(test::FromFen("R6R/3Q4/1Q4Q1/4Q3/2Q4Q/Q4Q2/pp1Q4/kBNN1KB1 w - -"), 1), 218u);
  MoveList list;
  GenerateMoves(White, test::FromFen("QQQQQQQQ/8/8/8/3Q4/8/8/K6k w - -"), list);
  EXPECT_GT(list.quietCount, 99u);
}

} // namespace
} // namespace kestrin
