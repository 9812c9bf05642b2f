#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "notation/history.h"
#include "notation/movetext.h"
#include "notation/transcript.h"
#include "support/gamereset.h"
#include "support/recordingfrontend.h"

namespace kestrin {
namespace {

using Lines = std::vector<std::string>;

class Transcript : public ::testing::Test {
protected:
  void SetUp() override {
    test::ResetGame();
    ClearTranscript();
  }
  void TearDown() override {
    test::ResetGame();
    ClearTranscript();
  }
  // Plays, records and lists one move as the window does after every move.
  void Move(const char* text) {
    ASSERT_EQ(PlayMoveText(text, gamePosition, 1, nullptr), 1) << text;
    AddTranscriptLine(1);
  }
  std::string Text(int bufferSize = 4096) {
    std::vector<char> buffer(static_cast<std::size_t>(bufferSize > 0 ? bufferSize : 1), '#');
    int length = TranscriptToText(nullptr, buffer.data(), bufferSize);
    if (bufferSize > 0) {
      EXPECT_EQ(buffer[static_cast<std::size_t>(length)], 0);
      EXPECT_EQ(std::strlen(buffer.data()), static_cast<std::size_t>(length));
    }
    return std::string(buffer.data(), static_cast<std::size_t>(length));
  }
};

TEST_F(Transcript, LinesAsTheMovesAreMade) {
  test::RecordingScope recording;
  Move("e4");
  EXPECT_EQ(TranscriptLines(), Lines{"1. e2-e4  "});
  EXPECT_EQ(TranscriptSelection(), 0);
  Move("e5");
  EXPECT_EQ(TranscriptLines(), Lines{"1. e2-e4   |  e7-e5 "});
  Move("Nf3");
  EXPECT_EQ(TranscriptLines(), (Lines{"1. e2-e4   |  e7-e5 ", "2. Ng1-f3 "}));
  EXPECT_EQ(TranscriptSelection(), 1);
  EXPECT_EQ(PlayMoveText("O-O-O", gamePosition, 1, nullptr), 0); // refused: nothing to list
  Move("Nc6");
  EXPECT_EQ(TranscriptLines(), (Lines{"1. e2-e4   |  e7-e5 ", "2. Ng1-f3  |  Nb8-c6"}));
  EXPECT_EQ(recording->transcriptChanges, 4);
  EXPECT_EQ(TranscriptLines().size(), 2u);
}

TEST_F(Transcript, RebuildingGivesTheLinesTheMovesGave) {
  const char* game[] = {"e4", "c5", "Nf3", "d6", "d4", "cxd4", "Nxd4", "Nf6", "Nc3", "a6", "Be2", "e5", "Nb3", "Be7", "O-O", "O-O"};
  for (const char* text : game) {
    Move(text);
    Lines added = TranscriptLines();
    int selected = TranscriptSelection();
    RebuildTranscript(gamePosition.plyCount - 2);
    EXPECT_EQ(TranscriptLines(), added) << text;
    EXPECT_EQ(TranscriptSelection(), selected) << text;
  }
  EXPECT_EQ(TranscriptLines().back(), "8. O-O     |  O-O   ");
  RebuildTranscript(-1); // the initial position
  EXPECT_TRUE(TranscriptLines().empty());
  EXPECT_EQ(TranscriptSelection(), -1);
}

TEST_F(Transcript, ReselectingOnlyMovesTheSelection) {
  for (const char* text : {"e4", "e5", "Nf3", "Nc6", "Bb5"}) Move(text);
  Lines before = TranscriptLines();
  PositionAtPly(gamePosition, 3);
  AddTranscriptLine(0);
  EXPECT_EQ(TranscriptLines(), before);
  EXPECT_EQ(TranscriptSelection(), 0);
  PositionAtPly(gamePosition, 1);
  AddTranscriptLine(0);
  EXPECT_EQ(TranscriptSelection(), 0); // line -1 counts as line 0
}

TEST_F(Transcript, TrimmingBeforeTheEnginePlaysFromInsideTheRecord) {
  for (const char* text : {"e4", "e5", "Nf3", "Nc6", "Bb5", "a6", "Ba4"}) Move(text);
  // Back to Black's second move: the first line stays, the second goes and is written again.
  PositionAtPly(gamePosition, 4);
  TrimTranscript();
  EXPECT_EQ(TranscriptLines(), Lines{"1. e2-e4   |  e7-e5 "});
  Move("d6");
  EXPECT_EQ(TranscriptLines(), (Lines{"1. e2-e4   |  e7-e5 ", "2. Ng1-f3  |  d7-d6 "}));
  EXPECT_EQ(HistoryCount(), 4);

  // White to move: the lines before the move stay whole.
  PositionAtPly(gamePosition, 3);
  TrimTranscript();
  EXPECT_EQ(TranscriptLines(), Lines{"1. e2-e4   |  e7-e5 "});

  WinboardMode = 1;
  RebuildTranscript(2);
  PositionAtPly(gamePosition, 1);
  TrimTranscript();
  EXPECT_EQ(TranscriptLines().size(), 2u);
}

TEST_F(Transcript, PlainText) {
  for (const char* text : {"e4", "e5", "Nf3"}) Move(text);
  // Pawn moves keep their trailing blank, so they are followed by two.
  EXPECT_EQ(Text(), "1. e2-e4  e7-e5  \n2. Ng1-f3 ");
  Move("Nc6");
  EXPECT_EQ(Text(), "1. e2-e4  e7-e5  \n2. Ng1-f3 Nb8-c6 \n");
  // Stops before a ply that might not fit, and always ends the text.
  EXPECT_EQ(Text(20), "1. e2-e4  ");
  EXPECT_EQ(Text(25), "1. e2-e4  e7-e5  \n");
  EXPECT_EQ(Text(1), "");
  EXPECT_EQ(Text(0), "");
  // A record of another game.
  GameHistory table{};
  Position p;
  SetStartPosition(p);
  PlayMoveText("d4", p, 1, &table);
  char buffer[64];
  EXPECT_EQ(TranscriptToText(&table, buffer, sizeof buffer), 10);
  EXPECT_STREQ(buffer, "1. d2-d4  ");
}

TEST_F(Transcript, AFullRecordInABufferOfAnySize) {
  const char* dance[4] = {"Nc3", "Nc6", "Nb1", "Nb8"};
  for (int ply = 0; ply < MaxRecordedPlies; ++ply) ASSERT_EQ(PlayMoveText(dance[ply % 4], gamePosition, 1, nullptr), 1);
  std::string whole = Text(100000);
  EXPECT_EQ(whole.substr(0, 20), "1. Nb1-c3 Nb8-c6 \n2.");
  EXPECT_EQ(whole.substr(whole.size() - 21), "\n298. Nc3-b1 Nc6-b8 \n");
  for (int size = 1; size < 400; size += 7) {
    std::string part = Text(size);
    EXPECT_LT(static_cast<int>(part.size()), size);
    EXPECT_EQ(whole.compare(0, part.size(), part), 0);
  }
  RebuildTranscript(gamePosition.plyCount - 2);
  EXPECT_EQ(TranscriptLines().size(), 298u);
  RebuildTranscript(5000); // more than any record holds
  EXPECT_EQ(TranscriptLines().size(), 300u);
}

} // namespace
} // namespace kestrin
