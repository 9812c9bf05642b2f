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

TEST(Diagnostics, TextsOfTheGamePosition) {
  ResetPawnTable();
  ResetKpk();
  test::ResetGame();
  test::RecordingScope scope;
  ShowBoardFlags();
  // A fresh game keeps the pawn key 0, which an empty table slot also holds: no false hit.
  ASSERT_EQ(gamePosition.pawnKey, 0u);
  ShowEvalTerms();
  EXPECT_EQ(scope->infoTexts,
            (std::vector<std::string>{"GT: 1  Rev: 1\nPieces W: 7  B: 7\nMinors W: 4  B: 4\nPawns  W: 8  B: 8\n"
                                      "Castle W: 0  B: 0\nEnPassant: 120\n",
                                      "Eval: 0\nMaterial: 0\nSqTable: 0  \nPawn: 0 Rook: 0\nPLq: 0 \n"}));
  test::ResetGame();
}

TEST(Diagnostics, TextsOfSetUpPositions) {
  ResetPawnTable();
  Position flags = FromFen("r3k2r/pp3ppp/8/3pP3/8/8/PP3PPP/R1B1K2R w Kkq d6 0 1");
  flags.plyCount = 37;
  flags.irreversiblePly = 30;
  EXPECT_EQ(BoardFlagsText(flags), "GT: 37  Rev: 30\nPieces W: 3  B: 2\nMinors W: 1  B: 0\nPawns  W: 6  B: 6\n"
                                   "Castle W: 1  B: 0\nEnPassant: 45\n");
  // Rooks on the seventh with the king on g8 +95, on files without pawns 25 + 0 and 25 + 7;
  // material +1108: trade bonus 105 and 75 for more pieces.
  const std::string rooks = EvalTermsText(FromFen("6k1/1R3R2/8/8/8/8/P7/6K1 w - -"));
  EXPECT_NE(rooks.find("Rook: 152\nPLq: 180 \n"), std::string::npos) << rooks;
  // A queen, a rook and a minor a side: Evaluate's phase rule says middlegame, the display's
  // (three pieces) endgame, so the pawn line shows the endgame placement 19 - 14.
  const Position phase = FromFen("r2qk1n1/ppp5/8/8/8/8/PPPP4/R2Q2NK w - -");
  EXPECT_EQ(EvalTermsText(phase), "Eval: " + std::to_string(Evaluate(phase, EvalLowestBound, EvalHighestBound)) +
                                      "\nMaterial: 100\nSqTable: 0  \nPawn: 5 Rook: 0\nPLq: 0 \n");
  // The display sets the selectors: White castled on the queen's side reads 58 against 78.
  const Position queenSide = FromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/2KR1BNR w kq -");
  EvalTermsText(queenSide);
  EXPECT_EQ(DisplayPawnAndRooks(queenSide).pawn, 58 - 78);
  ResetPawnTable();
}

} // namespace
} // namespace kestrin
