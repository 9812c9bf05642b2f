#include <gtest/gtest.h>

#include "board/gameend.h"
#include "board/makemove.h"
#include "search/keys.h"
#include "support/fixtures.h"
#include "support/recordingfrontend.h"

namespace kestrin {
namespace {

using test::FromFen;

class GameEnd : public ::testing::Test {
protected:
  void SetUp() override { ClearRepetitionKeys(); }
  void TearDown() override {
    ClearRepetitionKeys();
    WinboardMode = 0;
  }
  // Plays coordinate moves as the game record would: the key of each position before its move is kept.
  void PlayRecorded(Position& p, std::initializer_list<const char*> moves) {
    for (const char* m : moves) {
      RecordRepetitionKey(p);
      ASSERT_NE(test::Play(p, m), ~0u) << m;
    }
  }
  // The result and the box shown, or 0 and nothing.
  int Check(const Position& p, int& result, std::string& shown) {
    test::RecordingScope recording;
    int over = CheckGameEnd(p, 1, result);
    if (!recording->messages.empty()) {
      EXPECT_EQ(recording->messages.size(), 1u);
      EXPECT_EQ(recording->messages[0].second, " Game Over! ");
      shown = recording->messages[0].first;
    }
    return over;
  }
};

TEST_F(GameEnd, CheckmateOfEitherSide) {
  Position p;
  SetStartPosition(p);
  PlayRecorded(p, {"f2f3", "e7e5", "g2g4", "d8h4"});
  EXPECT_EQ(MateStatus(p, White), Checkmated);
  int result = 0;
  std::string shown;
  EXPECT_EQ(Check(p, result, shown), 1);
  EXPECT_EQ(result, BlackWon);
  EXPECT_EQ(shown, " Checkmate ");

  // Mated although the king could take the checking queen: the capture leaves it in check.
  Position q = FromFen("7k/6Q1/5K2/8/8/8/8/8 b - -");
  EXPECT_EQ(MateStatus(q, Black), Checkmated);
  EXPECT_EQ(Check(q, result, shown), 1);
  EXPECT_EQ(result, WhiteWon);
}

TEST_F(GameEnd, StalemateWhenTheOnlyCaptureWouldBeIllegal) {
  Position p = FromFen("k7/1R6/1K6/8/8/8/8/8 b - -");
  EXPECT_EQ(MateStatus(p, Black), Stalemated);
  EXPECT_EQ(MateStatus(p, White), HasLegalMove);
  int result = 0;
  std::string shown;
  EXPECT_EQ(Check(p, result, shown), 1);
  EXPECT_EQ(result, GameDrawn);
  EXPECT_EQ(shown, " Draw by Stalemate. ");
}

TEST_F(GameEnd, TheThirdOccurrenceDraws) {
  Position p;
  SetStartPosition(p);
  int result = GameInProgress;
  std::string shown;
  PlayRecorded(p, {"g1f3", "g8f6", "f3g1", "f6g8"});
  EXPECT_EQ(Check(p, result, shown), 0); // second occurrence
  EXPECT_EQ(result, GameInProgress);
  PlayRecorded(p, {"g1f3", "g8f6", "f3g1", "f6g8"});
  EXPECT_EQ(Check(p, result, shown), 1);
  EXPECT_EQ(result, GameDrawn);
  EXPECT_EQ(shown, " Draw by Repetition ");
}

TEST_F(GameEnd, OccurrencesBeforeTheLastIrreversibleMoveDoNotCount) {
  Position p;
  SetStartPosition(p);
  PlayRecorded(p, {"g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1", "f6g8"});
  int result = GameInProgress;
  std::string shown;
  ASSERT_EQ(Check(p, result, shown), 1);
  // As if a capture or pawn move had been made at ply 3: only ply 5 remains behind the window.
  Position later = p;
  later.irreversiblePly = 4;
  EXPECT_EQ(RepetitionCount(later), 1);
  EXPECT_EQ(Check(later, result = GameInProgress, shown), 0);
}

TEST_F(GameEnd, PositionsWithTheOtherSideToMoveAreNeverCompared) {
  Position p = FromFen("4k3/8/8/8/8/8/8/R3K3 w - -");
  p.plyCount = 9;
  u32 key = RepetitionKey(p);
  for (int ply : {2, 4, 6, 8}) StoreRepetitionKey(ply, key);
  int result = GameInProgress;
  std::string shown;
  EXPECT_EQ(Check(p, result, shown), 0);
  for (int ply : {3, 5}) StoreRepetitionKey(ply, key);
  EXPECT_EQ(Check(p, result, shown), 1);
  EXPECT_EQ(shown, " Draw by Repetition ");
}

TEST_F(GameEnd, FiftyMoveCount) {
  Position p = FromFen("4k3/8/8/8/8/8/8/R3K3 w - -");
  int result = GameInProgress;
  std::string shown;
  p.plyCount = 100; // 99 half-moves since set-up
  EXPECT_EQ(Check(p, result, shown), 0);
  p.plyCount = 101; // the 100th half-move
  EXPECT_EQ(Check(p, result, shown), 1);
  EXPECT_EQ(result, GameDrawn);
  EXPECT_EQ(shown, " Draw by 50-Move Rule ");
  p.irreversiblePly = 2;
  EXPECT_EQ(Check(p, result = GameInProgress, shown), 0);
}

TEST_F(GameEnd, MateAndStalemateComeBeforeTheCountsAndMaterial) {
  Position mate = FromFen("7k/6Q1/5K2/8/8/8/8/8 b - -");
  mate.plyCount = 150;
  mate.irreversiblePly = 40;
  int result = 0;
  std::string shown;
  EXPECT_EQ(Check(mate, result, shown), 1);
  EXPECT_EQ(result, WhiteWon);
  EXPECT_EQ(shown, " Checkmate ");

  Position bareStalemate = FromFen("k7/2K5/8/8/8/8/8/6B1 b - -"); // also bare king and bishop
  EXPECT_EQ(Check(bareStalemate, result, shown), 1);
  EXPECT_EQ(shown, " Draw by Stalemate. ");
}

TEST_F(GameEnd, BareMinorPieceDraws) {
  for (const char* fen : {"4k3/8/8/8/8/8/8/4K3 w - -", "4k3/8/8/8/8/8/8/2B1K3 w - -", "4k3/8/8/2n5/8/8/8/4K3 b - -"}) {
    int result = GameInProgress;
    std::string shown;
    EXPECT_EQ(Check(FromFen(fen), result, shown), 1) << fen;
    EXPECT_EQ(result, GameDrawn);
    EXPECT_EQ(shown, " Draw by insuffucient material to mate ");
  }
  for (const char* fen : {"4k3/8/8/8/8/8/8/1NN1K3 w - -", "2b1k3/8/8/8/8/8/8/2B1K3 w - -",
                          "1n2k3/8/8/8/8/8/8/2B1K3 w - -", "4k3/8/8/8/8/8/4P3/4K3 w - -",
                          "4k3/p7/8/8/8/8/8/2B1K3 w - -", "4k3/8/8/8/8/8/8/R3K3 w - -",
                          "4k3/8/8/8/8/8/8/3QK3 b - -"}) {
    int result = GameInProgress;
    std::string shown;
    EXPECT_EQ(Check(FromFen(fen), result, shown), 0) << fen;
    EXPECT_EQ(result, GameInProgress);
  }
}

TEST_F(GameEnd, QuietCallsStillSetTheResult) {
  Position p = FromFen("k7/1R6/1K6/8/8/8/8/8 b - -");
  test::RecordingScope recording;
  int result = 0;
  EXPECT_EQ(CheckGameEnd(p, 0, result), 1);
  EXPECT_EQ(result, GameDrawn);
  WinboardMode = 1;
  result = 0;
  EXPECT_EQ(CheckGameEnd(p, 1, result), 1);
  EXPECT_EQ(result, GameDrawn);
  EXPECT_TRUE(recording->messages.empty());
}

} // namespace
} // namespace kestrin
