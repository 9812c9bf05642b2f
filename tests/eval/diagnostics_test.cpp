#include <gtest/gtest.h>

#include "eval/diagnostics.h"
#include "eval/evaluate.h"
#include "eval/kpk.h"
#include "eval/pawns.h"
#include "notation/history.h"
#include "support/fixtures.h"
#include "support/gamereset.h"
#include "support/recordingfrontend.h"

namespace kestrin {
namespace {

using test::FromFen;

class Diagnostics : public ::testing::Test {
protected:
  void SetUp() override {
    ResetPawnTable();
    ResetKpk();
    test::ResetGame();
  }
  void TearDown() override { test::ResetGame(); }
};

TEST_F(Diagnostics, StartPositionTexts) {
  test::RecordingScope scope;
  ShowBoardFlags();
  EXPECT_EQ(scope->LastInfo(), "GT: 1  Rev: 1\n"
                               "Pieces W: 7  B: 7\n"
                               "Minors W: 4  B: 4\n"
                               "Pawns  W: 8  B: 8\n"
                               "Castle W: 0  B: 0\n"
                               "EnPassant: 120\n");
  // The game position keeps the pawn key of a fresh game (0); the display must not take an
  // empty table slot for the record of the eight pawns a side.
  ASSERT_EQ(gamePosition.pawnKey, 0u);
  ShowEvalTerms();
  EXPECT_EQ(scope->LastInfo(), "Eval: 0\n"
                               "Material: 0\nSqTable: 0  \n"
                               "Pawn: 0 Rook: 0\n"
                               "PLq: 0 \n");
  EXPECT_EQ(scope->infoTexts.size(), 2u);
}

TEST_F(Diagnostics, BoardFlagsOfASetUpPosition) {
  Position p = FromFen("r3k2r/pp3ppp/8/3pP3/8/8/PP3PPP/R1B1K2R w Kkq d6 0 1");
  p.plyCount = 37;
  p.irreversiblePly = 30;
  EXPECT_EQ(BoardFlagsText(p), "GT: 37  Rev: 30\n"
                               "Pieces W: 3  B: 2\n"
                               "Minors W: 1  B: 0\n"
                               "Pawns  W: 6  B: 6\n"
                               "Castle W: 1  B: 0\n"
                               "EnPassant: 45\n");
}

TEST_F(Diagnostics, PawnLineUsesItsOwnPhaseRule) {
  // A queen, a rook and a minor a side: Evaluate scores a middlegame (its limit is 2 pieces
  // with queens), the display adds the endgame placement (its limit is 3).
  Position p = FromFen("r2qk1n1/ppp5/8/8/8/8/PPPP4/R2Q2NK w - -");
  PawnEntry pawns = EvaluatePawns(p);
  ASSERT_EQ(pawns.structure, 0);
  ASSERT_EQ(pawns.endgame, 19 - 14);
  ASSERT_EQ(pawns.middlegame, 19 - 5);
  Position late = p;
  late.plyCount = 60;
  const int eval = Evaluate(p, EvalLowestBound, EvalHighestBound);
  ASSERT_NE(eval, Evaluate(late, EvalLowestBound, EvalHighestBound)); // king squares: a middlegame
  EXPECT_EQ(EvalTermsText(p), "Eval: " + std::to_string(eval) +
                                  "\nMaterial: 100\nSqTable: 0  \nPawn: 5 Rook: 0\nPLq: 0 \n");
  // Four pieces a side make it a middlegame for the display as well.
  Position more = FromFen("r2qkbn1/ppp5/8/8/8/8/PPPP4/R2QKBN1 w - -");
  EXPECT_EQ(DisplayPawnAndRooks(more).pawn, 19 - 5);
}

TEST_F(Diagnostics, RookAndBalanceLines) {
  // Both White rooks on the seventh with the king on g8 (+95); the b7 rook's file holds no
  // pawn (|b - g| = 5: 0, +25), nor does the f7 rook's (|f - g| = 1: 7, +25); both move
  // freely. Black has no rook. Material +1108: trade bonus for 2 pieces 105, and 75 for the
  // side with more.
  Position p = FromFen("6k1/1R3R2/8/8/8/8/P7/6K1 w - -");
  PawnAndRookValues values = DisplayPawnAndRooks(p);
  EXPECT_EQ(values.rook, 95 + 25 + 7 + 25);
  EXPECT_EQ(DisplayPieceBalance(p), 105 + 75);
  std::string text = EvalTermsText(p);
  EXPECT_NE(text.find("Rook: 152\nPLq: 180 \n"), std::string::npos) << text;
}

TEST_F(Diagnostics, EvalDisplaySetsThePawnSelectors) {
  Position p = FromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/2KR1BNR w kq -");
  EvalTermsText(p);
  EXPECT_TRUE(PawnSelectors.white);
  EXPECT_FALSE(PawnSelectors.black);
  // White's pawns now read the queen-side table: 58 on rank 2 against Black's 78.
  EXPECT_EQ(DisplayPawnAndRooks(p).pawn, 58 - 78);
}

} // namespace
} // namespace kestrin
