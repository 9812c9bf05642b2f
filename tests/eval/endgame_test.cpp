#include <gtest/gtest.h>

#include "eval/endgame.h"
#include "eval/evaltables.h"
#include "eval/kpk.h"
#include "eval_support.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

using test::FromFen;

TEST(Endgame, WithoutPawns) {
  const struct {
    const char* fen;
    int score, expected;
  } cases[] = {
      {"k7/8/8/8/8/8/8/K6B w - -", 330, 0}, // a single minor piece never wins
      // Bishop and knight: the corner of the bishop's colour (a8 72, h8 5), kings 4 apart.
      {"k7/8/2K5/8/8/8/8/4NB2 w - -", 645, 645 + 3 * 72 + 50 - 4 * 4},
      {"7k/8/5K2/8/8/8/8/3NB3 w - -", 645, 645 + 3 * 72 + 50 - 4 * 4},  // dark bishop: h8
      {"8/8/8/8/8/2K5/8/k1NN4 w - -", 630, 630 + 3 * 72 + 50 - 4 * 4}, // two knights: a dark corner
      // Other material drives the lone king to the edge: a corner 300 + 90, the centre 300.
      {"k7/8/2K5/8/8/8/8/7R w - -", 504, 504 + 300 + 90 - 4 * 4},
      // Pieces on both sides, less than 400 ahead: king placement, then an eighth (rounding down).
      {"r7/8/8/3k4/8/8/6K1/R3B3 w - -", 400, (400 + 13 - 43) >> 3},
  };
  for (const auto& c : cases) EXPECT_EQ(EvaluatePawnless(FromFen(c.fen), c.score), c.expected) << c.fen;
}

// At most one piece a side with pawns: the rule decides what becomes of the score; king
// placement, endgame pawn placement and pawn contact are added as in any ending.
TEST(Endgame, FewPieces) {
  const struct {
    const char* fen;
    int score;
    bool bitbase;                  // decided by the bitbase (loaded for these rows only)
    int (*expected)(int, int rest); // from the score and the placement and contact terms
  } cases[] = {
      // Rook pawns, the wrong bishop, the king in front: a draw; with the right bishop all is kept.
      {"1k6/8/8/P7/P7/8/3B4/4K3 w - -", 300, false, [](int, int) { return 0; }},
      {"1k6/8/8/P7/P7/8/4B3/4K3 w - -", 300, false, [](int s, int rest) { return s + rest; }},
      // The defending king as near the corner: halved; no pawns: both rook-pawn flags, quartered.
      {"8/8/2k5/P7/8/8/8/4K3 w - -", 301, false, [](int s, int rest) { return (s >> 1) + rest; }},
      {"4k3/p7/8/8/8/8/8/1K6 w - -", 50, false, [](int s, int rest) { return (s >> 2) + rest; }},
      // Opposite bishops: one pawn leaves an eighth of it all, more pawns three quarters.
      {"2b1k3/8/8/8/8/3P4/8/2B1K3 w - -", 200, false, [](int s, int rest) { return (s + rest) >> 3; }},
      {"2b1k3/5pp1/8/8/8/8/1PPPP3/2B1K3 w - -", 200, false,
       [](int s, int rest) { return ((s + rest) >> 2) + ((s + rest) >> 1); }},
      {"4k3/8/4K3/4P3/8/8/8/8 b - -", 180, true, [](int s, int) { return s + 500; }},
      {"k7/8/K7/P7/8/8/8/8 w - -", 180, true, [](int, int) { return 0; }},
      {"k7/8/K7/P7/8/8/8/8 w - -", 180, false, [](int, int) { return 0; }}, // without the bitbase: the general rule
  };
  ResetPawnTable();
  for (bool loaded : {true, false}) {
    ResetKpk();
    if (loaded) {
      ASSERT_EQ(LoadKpk("KPK.kbb"), 1);
    }
    for (const auto& c : cases) {
      if (c.bitbase != loaded) continue;
      const Position p = FromFen(c.fen);
      const int white = KingSquare(p, White), black = KingSquare(p, Black);
      const PawnEntry pawns = EvaluatePawns(p);
      const int rest = KingCentre[white] - KingCentre[black] + pawns.endgame + PawnContact(p, white, black);
      EXPECT_EQ(EvaluateFewPieces(p, c.score, white, black, pawns), c.expected(c.score, rest)) << c.fen << " " << loaded;
    }
  }
  ResetKpk();
}

} // namespace
} // namespace kestrin
