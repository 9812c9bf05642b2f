// The game record: move texts per ply, positions rebuilt from them, the clock charges, the
// side panel's move list and the plain-text transcript, and positions installed from FEN.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "board/gameend.h"
#include "board/keys.h"
#include "notation/fen.h"
#include "notation/history.h"
#include "notation/movetext.h"
#include "notation/transcript.h"
#include "support/gamereset.h"
#include "support/recordingfrontend.h"

namespace kestrin {
namespace {

using Lines = std::vector<std::string>;

std::int64_t fakeNow = 0;
std::int64_t FakeClock() { return fakeNow; }

bool Same(const Position& a, const Position& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class GameRecord : public ::testing::Test {
protected:
  void SetUp() override {
    test::ResetGame();
    ClearTranscript();
    fakeNow = 1000;
    SetClockSource(&FakeClock);
    ResetGameRecord();
  }
  void TearDown() override { test::ResetGame(); }
  // Plays, records and lists moves as the window does; returns the position after the last.
  Position Play(std::initializer_list<const char*> texts) {
    for (const char* text : texts) {
      EXPECT_EQ(PlayMoveText(text, gamePosition, 1, nullptr), 1) << text;
      AddTranscriptLine(1);
    }
    return gamePosition;
  }
  static Position At(int n) {
    Position p;
    PositionAtPly(p, n);
    return p;
  }
  static std::string Text(int size = 4096) {
    std::vector<char> buffer(static_cast<std::size_t>(size), '#');
    const int length = TranscriptToText(nullptr, buffer.data(), size);
    EXPECT_EQ(length, static_cast<int>(std::strlen(buffer.data())));
    return buffer.data();
  }
  test::RecordingScope ui;
};

TEST_F(GameRecord, RecordsTextsRebuildsPliesAndChargesTheMover) {
  // Going back to every ply of random games is tried by the PGN round trip (pgn_test.cpp).
  fakeNow = 3345;
  Play({"e4"});
  fakeNow += 1000;
  const Position end = Play({"e5", "Nf3", "Nc6", "Bb5"});
  EXPECT_EQ(whiteUsed.load(), 234);
  EXPECT_EQ(blackUsed.load(), 100);
  EXPECT_EQ(test::Record(), "e2-e4 e7-e5 Ng1-f3Nb8-c6Bf1-b5");
  EXPECT_TRUE(Same(At(-7), startPosition));
  EXPECT_TRUE(Same(At(100), end));
  // Back to Black's second move and another one: the later plies go and nothing is charged.
  gamePosition = At(4);
  EXPECT_FALSE(GamePositionAtEnd());
  fakeNow += 5000;
  const Position last = Play({"Nf6"});
  EXPECT_TRUE(Same(last, At(1000)));
  EXPECT_EQ(HistoryCount(), 4);
  EXPECT_EQ(blackUsed.load(), 100);
  EXPECT_EQ(turnStart.load(), fakeNow);
  // Another record (a network table's) touches none of the game's values.
  GameHistory table{};
  gameState = WhiteWon;
  Position p = gamePosition;
  EXPECT_EQ(PlayMoveText("Bb5", p, 1, &table), 1);
  EXPECT_EQ(PlyText(table, 5), "Bf1-b5");
  EXPECT_TRUE(HistoryCount() == 4 && gameState == WhiteWon && whiteUsed == 234);
}

TEST_F(GameRecord, MoveListAndTranscript) {
  // White's move alone on its line, then joined by Black's.
  Play({"e4", "e5", "Nf3"});
  EXPECT_EQ(TranscriptLines(), (Lines{"1. e2-e4   |  e7-e5 ", "2. Ng1-f3 "}));
  EXPECT_EQ(TranscriptSelection(), 1);
  EXPECT_EQ(Text(), "1. e2-e4  e7-e5  \n2. Ng1-f3 ");
  Play({"Nc6", "Bb5", "a6", "Ba4", "Nf6", "O-O", "Be7", "Re1", "O-O"});
  const Lines added = TranscriptLines();
  RebuildTranscript(gamePosition.plyCount - 2);
  EXPECT_EQ(TranscriptLines(), added);
  EXPECT_EQ(TranscriptLines().back(), "6. Rf1-e1  |  O-O   ");
  // Back to Black's second move before the engine plays from there: that line goes.
  PositionAtPly(gamePosition, 4);
  TrimTranscript();
  EXPECT_EQ(TranscriptLines(), Lines{"1. e2-e4   |  e7-e5 "});
  Play({"d6"});
  EXPECT_EQ(TranscriptLines().back(), "2. Ng1-f3  |  d7-d6 ");
  // A full record takes no more moves (the move is still made on the board); its text fits
  // into a buffer of any size.
  const char* dance[4] = {"Nc3", "Nc6", "Nb1", "Nb8"};
  for (int ply = HistoryCount(); ply < MaxRecordedPlies; ++ply) Play({dance[ply % 4]});
  EXPECT_EQ(PlayMoveText("Nc3", gamePosition, 1, nullptr), 1);
  EXPECT_EQ(HistoryCount(), MaxRecordedPlies);
  const std::string whole = Text(100000);
  EXPECT_EQ(whole.substr(whole.size() - 21), "\n298. Nc3-b1 Nc6-b8 \n");
  for (int size = 1; size < 400; size += 7) EXPECT_EQ(whole.compare(0, Text(size).size(), Text(size)), 0);
}

TEST_F(GameRecord, APositionFromFenStartsAFreshGame) {
  Play({"e4", "e5", "Nf3"});
  whiteUsed = 500;
  const Position game = gamePosition;
  const char* checked = "4k3/8/8/8/8/8/8/4R2K w - -"; // the side not to move is in check
  EXPECT_EQ(PositionFromFen(checked, std::strlen(checked)), 0);
  EXPECT_TRUE(Same(gamePosition, game) && HistoryCount() == 3 && whiteUsed == 500);
  const char* fen = "rnbqkbnr/pppppppp/8/8/8/5N2/PPPPPPPP/RNBQKB1R b KQkq -";
  ASSERT_EQ(PositionFromFen(fen, std::strlen(fen)), 1);
  EXPECT_TRUE(Same(startPosition, gamePosition) && gamePosition.plyCount == 2 && HistoryCount() == 0 && whiteUsed == 0);
  EXPECT_EQ(TranscriptLines(), Lines{"1.  "});
  // The earlier game's keys are not repetitions of this one.
  Play({"Nf6", "Ng1", "Ng8"});
  EXPECT_EQ(RepetitionCount(gamePosition), 0);
  EXPECT_EQ(Text(), "1... Ng8-f6 \n2. Nf3-g1 Nf6-g8 \n");
}

} // namespace
} // namespace kestrin
