#include <gtest/gtest.h>

#include <cstring>

#include "board/moveentry.h"
#include "notation/history.h"
#include "support/fixtures.h"
#include "support/gamereset.h"
#include "support/recordingfrontend.h"

namespace kestrin {
namespace {

using test::FromFen;

// Squares by name for the click coordinates: file 0..7, row 0..7 from the top.
struct Click {
  int file, row;
};
Click At(const char* name) { return {name[0] - 'a', '8' - name[1]}; }

class MoveEntry : public ::testing::Test {
protected:
  void SetUp() override { test::ResetGame(); }
  void TearDown() override { test::ResetGame(); }

  int Enter(Position& p, const char* from, const char* to, int record = 0, GameHistory* target = nullptr) {
    Click a = At(from), b = At(to);
    return EnterHumanMove(p, a.file, a.row, b.file, b.row, p.sideToMove, 0, record, target, outFrom, outTo);
  }
  bool Unchanged(const Position& p, const Position& before) { return std::memcmp(&p, &before, sizeof p) == 0; }

  int outFrom = 0, outTo = 0;
};

TEST_F(MoveEntry, KingTwoFilesSidewaysCastlesOnlyWhenCastlingIsLegal) {
  Position p = FromFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -");
  EXPECT_EQ(Enter(p, "e1", "g1"), 1);
  EXPECT_EQ(outFrom, CastleWhiteShort);
  EXPECT_EQ(outTo, G1);
  EXPECT_EQ(p.board[G1], WhiteKing);
  EXPECT_EQ(p.board[F1], WhiteRook);
  EXPECT_EQ(Enter(p, "e8", "c8"), 1);
  EXPECT_EQ(outFrom, CastleBlackLong);
  EXPECT_EQ(p.board[D8], BlackRook);

  // f1 or g1 attacked: no castling, and the king does not simply walk two squares.
  for (const char* fen : {"r3k2r/8/8/8/2b5/8/8/R3K2R w KQkq -", "r3k2r/8/8/2b5/8/8/8/R3K2R w KQkq -"}) {
    Position attacked = FromFen(fen);
    Position before = attacked;
    EXPECT_EQ(Enter(attacked, "e1", "g1"), 0) << fen;
    EXPECT_TRUE(Unchanged(attacked, before));
  }
}

TEST_F(MoveEntry, AMoveLeavingTheKingInCheckIsRefused) {
  Position p = FromFen("4k3/4r3/8/8/8/8/4N3/4K3 w - -"); // the knight is pinned
  Position before = p;
  EXPECT_EQ(Enter(p, "e2", "f4"), 0);
  EXPECT_TRUE(Unchanged(p, before));
  EXPECT_EQ(Enter(p, "e1", "d1"), 1);
}

TEST_F(MoveEntry, PartlyGivenSquaresTakeTheLastFittingMoveInGenerationOrder) {
  // The f3 knight is placed first (slot 8), the b1 knight second (slot 9).
  Position p = FromFen("4k3/8/8/8/8/5N2/8/1N2K3 w - -");
  int from = 0, to = 0;
  Click d2 = At("d2");
  Position q = p;
  ASSERT_EQ(EnterHumanMove(q, -1, -1, d2.file, d2.row, White, WhiteKnight, 0, nullptr, from, to), 1);
  EXPECT_EQ(from, B1);
  q = p;
  ASSERT_EQ(EnterHumanMove(q, At("f3").file, -1, d2.file, d2.row, White, WhiteKnight, 0, nullptr, from, to), 1);
  EXPECT_EQ(from, SquareAt(5, 3));
  q = p;
  ASSERT_EQ(EnterHumanMove(q, -1, At("f3").row, d2.file, d2.row, White, WhiteKnight, 0, nullptr, from, to), 1);
  EXPECT_EQ(from, SquareAt(5, 3));
  // Mirrored placement order: now the f1 knight comes last.
  Position r = FromFen("4k3/8/8/8/8/1N6/8/4KN2 w - -");
  ASSERT_EQ(EnterHumanMove(r, -1, -1, d2.file, d2.row, White, WhiteKnight, 0, nullptr, from, to), 1);
  EXPECT_EQ(from, F1);
  // The piece must fit when the from-square is not fully given.
  Position s = p;
  EXPECT_EQ(EnterHumanMove(s, -1, -1, d2.file, d2.row, White, WhiteBishop, 0, nullptr, from, to), 0);
}

TEST_F(MoveEntry, PromotionAsksOnceWhenTheChoiceIsOpen) {
  test::RecordingScope recording;
  recording->promotionAnswer = Knight;
  Position p = FromFen("4k3/1P6/8/8/8/8/8/4K3 w - -");
  PromotionChoice = 0;
  EXPECT_EQ(Enter(p, "b7", "b8", 1), 1);
  EXPECT_EQ(recording->promotionQuestions, 1);
  EXPECT_EQ(p.board[B8], WhiteKnight);
  EXPECT_EQ(PromotionChoice.load(), Knight);
  EXPECT_EQ(PlyText(gameHistory, 1), "b7-b8=N");

  // A choice already made is used without asking.
  Position q = FromFen("4k3/1P6/8/8/8/8/8/4K3 w - -");
  PromotionChoice = Rook;
  EXPECT_EQ(Enter(q, "b7", "b8"), 1);
  EXPECT_EQ(q.board[B8], WhiteRook);
  EXPECT_EQ(recording->promotionQuestions, 1);

  // Other moves never ask, even with the choice open; a senseless answer gives a queen.
  Position r = FromFen("4k3/1P6/8/8/8/8/8/4K3 w - -");
  PromotionChoice = 0;
  EXPECT_EQ(Enter(r, "e1", "e2"), 1);
  EXPECT_EQ(recording->promotionQuestions, 1);
  recording->promotionAnswer = 9;
  Position s = FromFen("4k3/1P6/8/8/8/8/8/4K3 w - -");
  EXPECT_EQ(Enter(s, "b7", "b8"), 1);
  EXPECT_EQ(s.board[B8], WhiteQueen);
}

TEST_F(MoveEntry, RecordingGoesToTheChosenRecord) {
  GameHistory table{};
  Position p;
  SetStartPosition(p);
  EXPECT_EQ(Enter(p, "g1", "f3", 1, &table), 1);
  EXPECT_EQ(HistoryCount(&table), 1);
  EXPECT_EQ(PlyText(table, 1), "Ng1-f3");
  EXPECT_EQ(HistoryCount(), 0);
  EXPECT_EQ(Enter(p, "e7", "e5", 0), 1);
  EXPECT_EQ(HistoryCount(&table), 1);
}

TEST_F(MoveEntry, SenselessInputChangesNothing) {
  Position p;
  SetStartPosition(p);
  const Position before = p;
  int from = 0, to = 0;
  EXPECT_EQ(EnterHumanMove(p, 4, 6, 4, 8, White, 0, 1, nullptr, from, to), 0);   // row 8 is off the board
  EXPECT_EQ(EnterHumanMove(p, 9, 6, 4, 4, White, 0, 1, nullptr, from, to), 0);   // file 9
  EXPECT_EQ(EnterHumanMove(p, 4, 6, -1, 4, White, 0, 1, nullptr, from, to), 0);  // no to-file
  EXPECT_EQ(EnterHumanMove(p, -5, 6, 4, 4, White, 0, 1, nullptr, from, to), 0);  // not "not given"
  EXPECT_EQ(EnterHumanMove(p, 4, 6, 4, 4, 3, 0, 1, nullptr, from, to), 0);       // no such side
  EXPECT_EQ(EnterHumanMove(p, 4, 1, 4, 3, White, 0, 1, nullptr, from, to), 0);   // the other side's pawn
  EXPECT_TRUE(Unchanged(p, before));
  EXPECT_EQ(HistoryCount(), 0);

  Position kingless;
  ClearPosition(kingless);
  PlacePiece(kingless, 4, 0, BlackKing);
  PlacePiece(kingless, 7, 7, WhiteRook);
  const Position kinglessBefore = kingless;
  EXPECT_EQ(EnterHumanMove(kingless, 7, 7, 7, 0, White, 0, 1, nullptr, from, to), 0);
  EXPECT_TRUE(Unchanged(kingless, kinglessBefore));
}

} // namespace
} // namespace kestrin
