#include <gtest/gtest.h>

#include "eval/endgame.h"
#include "eval/evaltables.h"
#include "eval/kpk.h"
#include "eval_support.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

using test::FromFen;
using test::Mirrored;

constexpr int G2 = SquareAt(6, 2), D5 = SquareAt(3, 5), D4 = SquareAt(3, 4), G7 = SquareAt(6, 7);

int Pawnless(const std::string& fen, int score) { return EvaluatePawnless(FromFen(fen), score); }

TEST(Pawnless, ASingleMinorPieceNeverWins) {
  for (const char* fen : {"k7/8/8/8/8/8/8/K6B w - -", "8/8/3k4/8/8/8/8/K5N1 b - -", "7k/8/8/8/8/8/8/N6K w - -",
                          "k7/8/8/8/8/8/8/K7 w - -"}) {
    EXPECT_EQ(Pawnless(fen, 330), 0) << fen;
    EXPECT_EQ(EvaluatePawnless(Mirrored(FromFen(fen)), -330), 0) << fen;
  }
  // A minor against a minor as well, whoever has the material edge.
  EXPECT_EQ(Pawnless("k7/8/8/8/8/8/b7/K6B w - -", 0), 0);
  EXPECT_EQ(Pawnless("k7/8/8/8/8/8/n7/K6B w - -", 15), 0);
}

TEST(Pawnless, BishopAndKnightDriveToTheBishopsCorner) {
  // Light bishop f1: a8 reads 72, h8 reads 5. Kings c6-a8 and f6-h8 are 4 apart.
  EXPECT_EQ(Pawnless("k7/8/2K5/8/8/8/8/4NB2 w - -", 645), 645 + 3 * 72 + 50 - 4 * 4);
  EXPECT_EQ(Pawnless("7k/8/5K2/8/8/8/8/4NB2 w - -", 645), 645 + 3 * 5 + 50 - 4 * 4);
  // Dark bishop e1: the mirrored square is read, so h8 (mirror h1) is the good corner.
  EXPECT_EQ(Pawnless("7k/8/5K2/8/8/8/8/3NB3 w - -", 645), 645 + 3 * 72 + 50 - 4 * 4);
  // Two knights: the dark d8 stands in for the bishop, a1 reads a8's 72.
  EXPECT_EQ(Pawnless("8/8/8/8/8/2K5/8/k1NN4 w - -", 630), 630 + 3 * 72 + 50 - 4 * 4);
  // Black's two knights mirror this: the lone White king is driven to a8.
  EXPECT_EQ(Pawnless("K1nn4/8/2k5/8/8/8/8/8 w - -", -630), -630 - 3 * 72 - 50 + 4 * 4);
  // The slot-11 bishop decides when there are two.
  Position twoBishops = FromFen("k7/8/2K5/8/8/8/8/3BB3 w - -"); // d1 light in slot 10, e1 dark in 11
  ASSERT_EQ(twoBishops.whitePieceList[11], E1);
  EXPECT_EQ(EvaluatePawnless(twoBishops, 660), 660 + 3 * KbnCorner[A1] + 50 - 16);
}

TEST(Pawnless, OtherMaterialDrivesTheLoneKingToTheEdge) {
  // King and rook: a corner adds 300 + 90, the centre 300.
  EXPECT_EQ(Pawnless("k7/8/2K5/8/8/8/8/7R w - -", 504), 504 + 300 + 90 - 4 * 4);
  EXPECT_EQ(Pawnless("8/8/8/3k4/8/3K4/8/7R w - -", 504), 504 + 300 - 4 * 2);
  EXPECT_EQ(Pawnless("r7/8/3k4/8/3K4/8/8/8 w - -", -504), -504 - 300 + 4 * 2);
  EXPECT_EQ(Pawnless("r6K/8/5k2/8/8/8/8/8 b - -", -504), -504 + 2 * -45 - 300 + 4 * 4);
}

TEST(Pawnless, PiecesOnBothSides) {
  // Rook and bishop against rook (+330 < 400): king placement, then divided by 8.
  Position p = FromFen("r7/8/8/3k4/8/8/6K1/R3B3 w - -");
  int expected = (400 + KingCentre[G2] - KingCentre[D5]) >> 3;
  EXPECT_EQ(EvaluatePawnless(p, 400), expected);
  EXPECT_EQ(EvaluatePawnless(Mirrored(p), -400), (-400 + KingCentre[D4] - KingCentre[G7]) >> 3);
  // Queen against rook is not scaled; a near balance (|material| <= 30) ignores the kings.
  EXPECT_EQ(Pawnless("r7/8/8/3k4/8/8/6K1/Q7 w - -", 531), 531 + 13 - 43);
  EXPECT_EQ(Pawnless("rb6/8/8/3k4/8/8/6K1/RN6 w - -", 40), 40);
}

TEST(CannotWin, TooLittleWithoutPawns) {
  EXPECT_TRUE(WhiteCannotWin(FromFen("4k3/pp6/8/8/8/8/8/4K1B1 w - -")));
  EXPECT_TRUE(WhiteCannotWin(FromFen("4k3/pp6/8/8/8/8/8/4K3 w - -")));
  EXPECT_FALSE(WhiteCannotWin(FromFen("4k3/pp6/8/8/8/8/8/4K1R1 w - -")));
  // One minor more: too little while material + 100 x Black's pawns stays below 400.
  EXPECT_TRUE(WhiteCannotWin(FromFen("4k3/p7/8/8/8/8/8/R3K1Br w - -")));
  EXPECT_TRUE(WhiteCannotWin(FromFen("4k3/ppp5/8/8/8/8/8/R3K1Br w - -")));  // 30 + 300
  EXPECT_FALSE(WhiteCannotWin(FromFen("4k3/ppp5/8/8/8/8/8/Q3K1Br w - -"))); // 486 + 300
  EXPECT_FALSE(WhiteCannotWin(FromFen("4k3/8/8/8/8/8/8/R3KBBr w - -")));    // two minors more
  EXPECT_TRUE(BlackCannotWin(FromFen("4k1n1/8/8/8/8/8/PPP5/4K3 w - -")));
  EXPECT_TRUE(BlackCannotWin(FromFen("r3k1bR/8/8/8/8/8/P7/4K3 w - -")));
  EXPECT_FALSE(BlackCannotWin(FromFen("q3k1bR/8/8/8/8/8/PPP5/4K3 w - -")));
}

class FewPieces : public ::testing::Test {
protected:
  void SetUp() override {
    ResetKpk();
    ResetPawnTable();
  }
  void TearDown() override { ResetKpk(); }
  static int Score(const Position& p, int score) {
    return EvaluateFewPieces(p, score, KingSquare(p, White), KingSquare(p, Black), EvaluatePawns(p));
  }
  static int Score(const std::string& fen, int score) { return Score(FromFen(fen), score); }
  // Steps 5 and 6 of the rule: king placement, endgame pawn placement and pawn contact.
  static int KingAndPawnTerms(const Position& p) {
    return KingCentre[KingSquare(p, White)] - KingCentre[KingSquare(p, Black)] + EvaluatePawns(p).endgame +
           PawnContact(p, KingSquare(p, White), KingSquare(p, Black));
  }
};

TEST_F(FewPieces, RookPawnsWithTheWrongBishop) {
  // Dark bishop, a-pawns, the lone king reaches b8: a draw.
  EXPECT_EQ(Score("1k6/8/8/P7/P7/8/3B4/4K3 w - -", 300), 0);
  // With a light bishop the rule does not apply.
  Position light = FromFen("1k6/8/8/P7/P7/8/4B3/4K3 w - -");
  EXPECT_EQ(Score(light, 300), 300 + KingAndPawnTerms(light));
  // A king at least as near a8 as the attacker's halves the score; one farther leaves it.
  // A side without pawns has both rook-pawn flags: a bare king ahead is halved twice.
  Position bare = FromFen("4k3/p7/8/8/8/8/8/1K6 w - -");
  EXPECT_EQ(Score(bare, 50), (50 >> 2) + KingAndPawnTerms(bare));
  Position near = FromFen("8/8/2k5/P7/8/8/8/4K3 w - -");
  EXPECT_EQ(Score(near, 301), (301 >> 1) + KingAndPawnTerms(near));
  Position far = FromFen("8/8/1K6/P7/8/8/5k2/8 w - -");
  EXPECT_EQ(Score(far, 301), 301 + KingAndPawnTerms(far));
  // The h-file wants a light bishop; the same holds for Black toward h1 and a1.
  EXPECT_EQ(Score("6k1/8/8/7P/8/8/4B3/4K3 w - -", 300), 0);
  EXPECT_EQ(Score("4k3/8/8/8/7p/8/8/6K1 w - -", -300), 0);
  EXPECT_EQ(Score("4k3/3b4/8/8/p7/8/8/1K6 w - -", -300), 0);  // d7 light: Black's wrong bishop on a
  Position right = FromFen("4k3/4b3/8/8/p7/8/8/1K6 w - -"); // e7 dark: not drawn
  EXPECT_EQ(Score(right, -300), -300 + KingAndPawnTerms(right));
  // The rule looks only at the side ahead: a positive score ignores Black's rook pawns.
  Position ahead = FromFen("4k3/p7/8/8/8/8/4P3/1K6 w - -");
  EXPECT_EQ(Score(ahead, 50), 50 + KingAndPawnTerms(ahead));
}

TEST_F(FewPieces, OppositeColouredBishops) {
  auto check = [](const char* opposite, const char* same, int kept) {
    Position o = FromFen(opposite), s = FromFen(same);
    int full = 200 + KingAndPawnTerms(s);
    ASSERT_EQ(KingAndPawnTerms(o), KingAndPawnTerms(s)) << opposite;
    ASSERT_EQ(Score(s, 200), full) << same;
    int expected = kept == 8 ? full >> 3 : kept == 2 ? full >> 1 : (full >> 2) + (full >> 1);
    EXPECT_EQ(Score(o, 200), expected) << opposite;
  };
  // c1 dark, c8 light: opposite; d8 dark: same colour.
  check("2b1k3/8/8/8/8/3P4/8/2B1K3 w - -", "3bk3/8/8/8/8/3P4/8/2B1K3 w - -", 8);                // one pawn
  check("2b1k3/5pp1/8/8/8/8/2PPP3/2B1K3 w - -", "3bk3/5pp1/8/8/8/8/2PPP3/2B1K3 w - -", 2);      // 3-2
  check("2b1k3/5pp1/8/8/8/8/1PPPP3/2B1K3 w - -", "3bk3/5pp1/8/8/8/8/1PPPP3/2B1K3 w - -", 34);   // 4-2
  // Negative scores shift toward minus infinity.
  Position o = FromFen("2b1k3/5pp1/8/8/8/8/2PPP3/2B1K3 w - -");
  int full = -201 + KingAndPawnTerms(o);
  EXPECT_EQ(Score(o, -201), full >> 1);
}

TEST_F(FewPieces, TheBitbaseDecidesKingAndPawn) {
  ASSERT_EQ(LoadKpk("KPK.kbb"), 1);
  EXPECT_EQ(Score("4k3/8/4K3/4P3/8/8/8/8 b - -", 180), 680);
  EXPECT_EQ(Score("8/8/8/8/4p3/4k3/8/4K3 w - -", -180), -680);
  EXPECT_EQ(Score("k7/8/K7/P7/8/8/8/8 w - -", 180), 0);
  EXPECT_EQ(Score("8/8/8/8/8/8/k5pK/8 w - -", -180), 0);
  // Without it the general rules apply: a rook pawn with the king in its corner is still a draw.
  ResetKpk();
  EXPECT_EQ(Score("k7/8/K7/P7/8/8/8/8 w - -", 180), 0);
  Position p = FromFen("4k3/8/4K3/4P3/8/8/8/8 b - -");
  EXPECT_EQ(Score(p, 180), 180 + KingAndPawnTerms(p));
}

} // namespace
} // namespace kestrin
