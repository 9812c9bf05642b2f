#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "board/gameend.h"
#include "notation/fen.h"
#include "notation/history.h"
#include "notation/movetext.h"
#include "notation/transcript.h"
#include "search/keys.h"
#include "support/fixtures.h"
#include "support/gamereset.h"
#include "support/recordingfrontend.h"

namespace kestrin {
namespace {

class FenInstall : public ::testing::Test {
protected:
  void SetUp() override {
    test::ResetGame();
    ClearTranscript();
    for (const char* text : {"e4", "e5", "Nf3"}) PlayMoveText(text, gamePosition, 1, nullptr);
    RebuildTranscript(gamePosition.plyCount - 2);
    whiteUsed = 500;
  }
  void TearDown() override {
    test::ResetGame();
    ClearTranscript();
  }
  int Install(const std::string& text) { return PositionFromFen(text.data(), text.size()); }
  static bool Same(const Position& a, const Position& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
};

TEST_F(FenInstall, AnAcceptedPositionStartsAFreshGame) {
  test::RecordingScope recording;
  EXPECT_EQ(Install("8/8/8/8/8/8/8/K6k w - -"), 1);
  EXPECT_EQ(recording->LastInfo(), "Position Pasted.");
  EXPECT_GE(recording->boardRefreshes, 1);
  EXPECT_EQ(gamePosition.sideToMove, White);
  EXPECT_EQ(gamePosition.castleState[0], CastleNone);
  EXPECT_EQ(gamePosition.castleState[1], CastleNone);
  EXPECT_EQ(gamePosition.plyCount, 1);
  EXPECT_EQ(gamePosition.board[A1], WhiteKing);
  EXPECT_EQ(gamePosition.board[H1], BlackKing);
  EXPECT_TRUE(Same(startPosition, gamePosition));
  EXPECT_EQ(HistoryCount(), 0);
  EXPECT_EQ(whiteUsed.load(), 0);
  EXPECT_EQ(gameState.load(), GameInProgress);
  EXPECT_TRUE(TranscriptLines().empty());
}

TEST_F(FenInstall, BlackToMoveStartsAtPlyTwoAndTheRecordFollowsIt) {
  EXPECT_EQ(Install("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -"), 1);
  EXPECT_EQ(gamePosition.plyCount, 2);
  EXPECT_EQ(TranscriptLines(), std::vector<std::string>{"1.  "});
  Position installed = gamePosition;
  ASSERT_EQ(PlayMoveText("c5", gamePosition, 1, nullptr), 1);
  AddTranscriptLine(1);
  EXPECT_EQ(HistoryCount(), 2);
  EXPECT_EQ(TranscriptLines(), std::vector<std::string>{"1.   |  c7-c5 "});
  Position replayed;
  PositionAtPly(replayed, 1);
  EXPECT_TRUE(Same(replayed, installed));
  PositionAtPly(replayed, 3);
  EXPECT_TRUE(Same(replayed, gamePosition));
}

TEST_F(FenInstall, ARefusedTextLeavesTheGameAlone) {
  const Position game = gamePosition, start = startPosition;
  const std::vector<std::string> lines = TranscriptLines();
  std::mt19937 random(99);
  std::string binary;
  for (int i = 0; i < 10 * 1024; ++i) binary.push_back(static_cast<char>(random() & 0xFF));
  std::string noSide = "8/8/8/8/8/8/8/K6k";
  for (const std::string& text :
       {std::string("8/8/8/8/8/8/8/K5k w - -"), std::string("8/8/8/8/8/8/8/K7 w - -"), noSide, std::string(),
        std::string("4k3/8/8/8/8/8/8/4R2K w - -"), std::string("8/8/8/8/8/8/8/Kk6 b - -"),
        std::string(10 * 1024, '8'), std::string(10 * 1024, 'K'), binary, std::string("\0\0\0", 3)}) {
    test::RecordingScope recording;
    EXPECT_EQ(Install(text), 0) << text.substr(0, 40);
    EXPECT_EQ(recording->LastInfo(), "Not a valid Position");
    EXPECT_TRUE(Same(gamePosition, game));
    EXPECT_TRUE(Same(startPosition, start));
    EXPECT_EQ(HistoryCount(), 3);
    EXPECT_EQ(whiteUsed.load(), 500);
    EXPECT_EQ(TranscriptLines(), lines);
  }
  EXPECT_EQ(PositionFromFen(nullptr, 0), 0);
  EXPECT_EQ(HistoryCount(), 3);
}

TEST_F(FenInstall, KeysOfTheEarlierGameAreNotCountedAsRepetitions) {
  // The earlier game recorded the initial array at ply 1; this one starts at ply 2 and
  // reaches the initial array for the first time.
  ASSERT_EQ(Install("rnbqkbnr/pppppppp/8/8/8/5N2/PPPPPPPP/RNBQKB1R b KQkq -"), 1);
  for (const char* text : {"Nf6", "Ng1", "Ng8"}) ASSERT_EQ(PlayMoveText(text, gamePosition, 1, nullptr), 1);
  EXPECT_EQ(RepetitionCount(gamePosition), 0);
  for (const char* text : {"Nf3", "Nf6", "Ng1", "Ng8"}) ASSERT_EQ(PlayMoveText(text, gamePosition, 1, nullptr), 1);
  EXPECT_EQ(RepetitionCount(gamePosition), 1);
}

} // namespace
} // namespace kestrin
