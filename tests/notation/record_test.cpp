#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "board/gameend.h"
#include "notation/history.h"
#include "notation/movetext.h"
#include "search/keys.h"
#include "support/fixtures.h"
#include "support/gamereset.h"
#include "support/recordingfrontend.h"

namespace kestrin {
namespace {

std::int64_t fakeNow = 0;
std::int64_t FakeClock() { return fakeNow; }

class GameRecord : public ::testing::Test {
protected:
  void SetUp() override {
    test::ResetGame();
    fakeNow = 1000;
    SetClockSource(&FakeClock);
    ResetGameRecord();
  }
  void TearDown() override { test::ResetGame(); }

  // Plays and records texts on the game position; returns the positions after each.
  std::vector<Position> Play(std::initializer_list<const char*> texts) {
    std::vector<Position> after;
    for (const char* text : texts) {
      EXPECT_EQ(PlayMoveText(text, gamePosition, 1, nullptr), 1) << text;
      after.push_back(gamePosition);
    }
    return after;
  }
  static bool Same(const Position& a, const Position& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
  static Position At(int n) {
    Position p;
    PositionAtPly(p, n);
    return p;
  }
};

TEST_F(GameRecord, RecordsTheTextsAndReplaysAnyPly) {
  std::vector<Position> after = Play({"e4", "e5", "Nf3", "Nc6", "Bb5"});
  EXPECT_EQ(HistoryCount(), 5);
  const char* expected[] = {"e2-e4 ", "e7-e5 ", "Ng1-f3", "Nb8-c6", "Bf1-b5"};
  for (int ply = 1; ply <= 5; ++ply) EXPECT_EQ(PlyText(gameHistory, ply), expected[ply - 1]);
  EXPECT_EQ(LastRecordedText(), "Bf1-b5");
  EXPECT_TRUE(GamePositionAtEnd());
  for (int n = 2; n <= 6; ++n) EXPECT_TRUE(Same(At(n), after[n - 2])) << n;
  for (int n : {1, 0, -7}) EXPECT_TRUE(Same(At(n), startPosition)) << n;
  EXPECT_TRUE(Same(At(100), after.back()));
  gamePosition = At(3);
  EXPECT_FALSE(GamePositionAtEnd());
}

TEST_F(GameRecord, RecordingAfterGoingBackDropsTheLaterPlies) {
  Play({"e4", "e5", "Nf3", "Nc6", "Bb5"});
  gamePosition = At(gamePosition.plyCount - 2); // back to Black's second move
  std::vector<Position> after = Play({"Nf6"});
  EXPECT_EQ(HistoryCount(), 4);
  EXPECT_EQ(PlyText(gameHistory, 4), "Ng8-f6");
  EXPECT_TRUE(Same(At(1000), after.back()));
  EXPECT_EQ(At(1000).plyCount, 5);
}

TEST_F(GameRecord, TheMoverIsChargedOnlyForMovesAtTheEnd) {
  fakeNow = 3345;
  Play({"e4"});
  EXPECT_EQ(whiteUsed.load(), 234);
  EXPECT_EQ(turnStart.load(), 3345);
  fakeNow += 1000;
  Play({"e5"});
  EXPECT_EQ(blackUsed.load(), 100);
  fakeNow += 700;
  Play({"Nf3"});
  EXPECT_EQ(whiteUsed.load(), 304);
  // Two plies back and a different move: nothing is charged, the turn starts anew.
  gamePosition = At(gamePosition.plyCount - 2);
  fakeNow += 5000;
  Play({"d5"});
  EXPECT_EQ(blackUsed.load(), 100);
  EXPECT_EQ(whiteUsed.load(), 304);
  EXPECT_EQ(turnStart.load(), fakeNow);
}

TEST_F(GameRecord, TheMainRecordKeepsRepetitionKeysAndTheGameState) {
  gameState = WhiteWon;
  Position start = gamePosition;
  Play({"Nf3"});
  EXPECT_EQ(gameState.load(), GameInProgress);
  EXPECT_EQ(RepetitionKeyAt(1), RepetitionKey(start));

  // Another record (a network table's) touches none of the game's values.
  GameHistory table{};
  gameState = WhiteWon;
  Position p = gamePosition;
  fakeNow += 5000;
  EXPECT_EQ(PlayMoveText("Nf6", p, 1, &table), 1);
  EXPECT_EQ(HistoryCount(&table), 2);
  EXPECT_EQ(PlyText(table, 2), "Ng8-f6");
  EXPECT_EQ(HistoryCount(), 1);
  EXPECT_EQ(gameState.load(), WhiteWon);
  EXPECT_EQ(blackUsed.load(), 0);
  EXPECT_EQ(RepetitionKeyAt(2), 0u);
}

TEST_F(GameRecord, AFullRecordTakesNoMoreMoves) {
  test::RecordingScope recording;
  const char* dance[4] = {"Ng1-f3", "Ng8-f6", "Nf3-g1", "Nf6-g8"};
  for (int ply = 1; ply <= 596; ++ply) ASSERT_EQ(PlayMoveText(dance[(ply - 1) % 4], gamePosition, 1, nullptr), 1);
  EXPECT_EQ(HistoryCount(), 596);
  EXPECT_TRUE(recording->infoTexts.empty());
  EXPECT_EQ(PlyText(gameHistory, 596), "Nf6-g8");
  // The move is still made on the board; the record refuses it.
  EXPECT_EQ(PlayMoveText("Nf3", gamePosition, 1, nullptr), 1);
  EXPECT_EQ(HistoryCount(), 596);
  EXPECT_EQ(recording->LastInfo(), "Hit Maximum Move Number");
  EXPECT_EQ(gamePosition.plyCount, 598);
}

TEST_F(GameRecord, ARecordingAtAnImpossiblePlyIsRefused) {
  test::RecordingScope recording;
  MoveList list;
  GenerateMoves(White, gamePosition, list);
  Position odd = gamePosition;
  for (int ply : {0, 597, 4000}) {
    odd.plyCount = static_cast<u16>(ply);
    RecordMove(nullptr, list, 1 + QuietBase, odd);
    EXPECT_EQ(HistoryCount(), 0) << ply;
  }
  EXPECT_EQ(recording->infoTexts.size(), 3u);
}

TEST_F(GameRecord, ClearingEmptiesEverySlot) {
  Play({"e4", "e5"});
  ClearHistory(nullptr);
  EXPECT_EQ(HistoryCount(), 0);
  for (int ply = 1; ply <= HistorySlots; ++ply) ASSERT_EQ(PlyText(gameHistory, ply), "");
  EXPECT_EQ(PlyText(gameHistory, 0), "");
  EXPECT_EQ(PlyText(gameHistory, HistorySlots + 1), "");
}

TEST_F(GameRecord, ANewRecordForgetsTheOldGame) {
  Play({"Nf3", "Nf6", "Ng1", "Ng8"});
  whiteUsed = 77;
  ResetGameRecord();
  EXPECT_EQ(HistoryCount(), 0);
  EXPECT_EQ(whiteUsed.load(), 0);
  EXPECT_EQ(RepetitionKeyAt(1), 0u);
  EXPECT_EQ(RepetitionCount(gamePosition), 0);
  Position initial;
  SetStartPosition(initial);
  EXPECT_TRUE(Same(gamePosition, initial));
  EXPECT_TRUE(Same(startPosition, initial));
}

} // namespace
} // namespace kestrin
