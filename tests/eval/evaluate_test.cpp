#include <gtest/gtest.h>

#include <cstdlib>

#include "eval/corpus.h"
#include "eval/diagnostics.h"
#include "eval/evaluate.h"
#include "eval/evaltables.h"
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

// The terms display: the rooks on the seventh (king on g8 +95, open files 25 + 0 and 25 + 7)
// and the extra material (trade bonus 105, more pieces 75); with a queen, a rook and a minor a
// side the display's phase rule (three pieces) says endgame where Evaluate's says middlegame, so
// the pawn line shows the endgame placement 19 - 14.
TEST_F(Evaluation, TheTermsDisplay) {
  const std::string rooks = EvalTermsText(FromFen("6k1/1R3R2/8/8/8/8/P7/6K1 w - -"));
  EXPECT_NE(rooks.find("Rook: 152\nPLq: 180 \n"), std::string::npos) << rooks;
  const Position phase = FromFen("r2qk1n1/ppp5/8/8/8/8/PPPP4/R2Q2NK w - -");
  EXPECT_EQ(EvalTermsText(phase),
            "Eval: " + std::to_string(Full(phase)) + "\nMaterial: 100\nSqTable: 0  \nPawn: 5 Rook: 0\nPLq: 0 \n");
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
    const int gap = std::abs(e + f), h7 = SquareAt(7, 7), h2 = SquareAt(7, 2), w = KingSquare(p, White);
    const bool edgeKing = w == h7 || w == h2 || KingSquare(p, Black) == h7 || KingSquare(p, Black) == h2;
    EXPECT_TRUE((scaled && gap <= 2) || (edgeKing && gap <= 4)) << test::ToFen(p) << ": " << e << " vs " << f;
  }
  EXPECT_GT(exact, static_cast<int>(corpus.size()) * 9 / 10);
}

} // namespace
} // namespace kestrin
