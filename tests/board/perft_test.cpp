#include <gtest/gtest.h>

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
      {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 4, 2103487},
      {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", 4, 3894594},
      {"8/8/1k6/2b5/2pP4/8/5K2/8 b - d3", 6, 1440467},
      {"3k4/8/8/8/8/8/8/R3K3 w Q -", 6, 803711},
      {"r3k2r/1b4bq/8/8/8/8/7B/R3K2R w KQkq -", 4, 1274206},
      {"2K2r2/4P3/8/8/8/8/8/3k4 w - -", 6, 3821001},
      {"8/k1P5/8/1K6/8/8/8/8 w - -", 7, 567584},
      {"R6R/3Q4/1Q4Q1/4Q3/2Q4Q/Q4Q2/pp1Q4/kBNN1KB1 w - -", 1, 218}, // the largest known move count
  };
  for (const auto& c : cases) EXPECT_EQ(Perft(test::FromFen(c.fen), c.depth), c.leaves) << c.fen;
}

} // namespace
} // namespace kestrin
