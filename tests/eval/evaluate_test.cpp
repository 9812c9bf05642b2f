#include <gtest/gtest.h>

#include <cstdlib>

#include "eval/corpus.h"
#include "eval/evaluate.h"
#include "eval/kpk.h"
#include "eval_support.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

using test::FromFen;
using test::Mirrored;

class Evaluation : public ::testing::Test {
protected:
  void SetUp() override {
    ResetPawnTable();
    ResetKpk();
    ASSERT_EQ(LoadKpk("KPK.kbb"), 1);
  }
  void TearDown() override { ResetKpk(); }
  static int Full(const Position& p) { return Evaluate(p, EvalLowestBound, EvalHighestBound); }
};

// Scores counted by hand, term by term; each colour-flipped position must give the negation.
TEST_F(Evaluation, HandCountedScores) {
  const struct {
    const char* fen;
    int whiteCastle, plyCount; // -1: as read
    int score;
  } cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", -1, -1, 0},
      {"r1bqkb1r/pppp1ppp/2n2n2/4p3/4P3/2N2N2/PPPP1PPP/R1BQKB1R w KQkq -", -1, -1, 0},
      // White castled: shield f2 g2 h2 +22; Black's king moved: +29, its shield g7 f7 h6 -22.
      // Material +15, squares -15, pawn placement +10, the c6 knight 9 from g1 -2; the rest
      // (rooks on own pawn files -18 each, queens 10 from the kings) cancels.
      {"3q1rk1/5pp1/2n4p/8/8/8/5PPP/2BQ1RK1 w - -", CastleDone, 10, 15 - 15 + 10 + 22 + 29 - 22 - 2},
      // Endgame: material -15, squares +17, structure +10 (islands -10 and +20, g7 passed -20 and
      // isolated +20), the f3 knight 6 from e8 +7; kings, placement and rooks even.
      {"2b1k2r/p5p1/8/8/8/5N2/PP6/3R2K1 w - -", -1, -1, -15 + 17 + 10 + 7},
      // Two rooks on the seventh against a bare king: the pawnless rules only (material 1008,
      // trade bonus 105, more pieces 75, the king in the corner 300 + 90, 4 per step of the
      // kings' distance 14).
      {"k7/1RR5/8/8/8/8/8/7K w - -", -1, -1, 1008 + 105 + 75 + 300 + 90 - 4 * 14},
      {"4k3/pp6/8/8/8/8/8/4KB2 w - -", -1, -1, -1}, // a bishop against two pawns cannot win
      {"k7/8/K7/P7/8/8/8/8 w - -", -1, -1, 0},     // the rook pawn with the king in its corner
  };
  for (const auto& c : cases) {
    Position p = FromFen(c.fen);
    if (c.whiteCastle >= 0) p.castleState[0] = static_cast<u8>(c.whiteCastle);
    if (c.plyCount >= 0) p.plyCount = static_cast<u16>(c.plyCount);
    EXPECT_EQ(Full(p), c.score) << c.fen;
    EXPECT_EQ(Full(Mirrored(p)), -c.score) << c.fen;
  }
}

// The colour-flipped position scores the negation. Two rules are asymmetric by design: the
// king-centre table has 0 on h7 but 2 on h2, and the endgame scalings shift right, which rounds
// toward minus infinity.
TEST_F(Evaluation, ColourFlipNegatesTheScoreOverRandomGames) {
  const std::vector<Position> corpus = RandomGamePositions(20240611, 30, 240);
  int exact = 0;
  for (const Position& p : corpus) {
    const int e = Full(p), f = Full(Mirrored(p));
    if (e == -f) {
      ++exact;
      continue;
    }
    const bool scaled = p.whitePawns + p.blackPawns == 0 || (p.whitePieces <= 1 && p.blackPieces <= 1);
    auto onH = [](int k) { return k == SquareAt(7, 7) || k == SquareAt(7, 2); };
    const bool edgeKing = onH(KingSquare(p, White)) || onH(KingSquare(p, Black));
    const int gap = std::abs(e + f);
    EXPECT_TRUE((scaled && gap <= 2) || (edgeKing && gap <= 4)) << test::ToFen(p) << ": " << e << " vs " << f;
  }
  EXPECT_GT(exact, static_cast<int>(corpus.size()) * 9 / 10);
}

} // namespace
} // namespace kestrin
