// Files that are not what a PGN reader hopes for: noise, endless lines, empty files.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "notation/history.h"
#include "notation/pgn.h"
#include "pgntest.h"
#include "support/fixtures.h"
#include "support/gamereset.h"
#include "support/recordingfrontend.h"
#include "support/scratchdir.h"

namespace kestrin {
namespace {

class PgnHostileTest : public ::testing::Test {
protected:
  void SetUp() override { test::ResetGame(); }
  void TearDown() override { test::ResetGame(); }

  // Whatever was loaded is a sound game: a consistent position and a record that replays.
  void ExpectSoundGame(const std::string& what) {
    EXPECT_EQ(test::ConsistencyProblems(gamePosition), "") << what;
    EXPECT_LE(HistoryCount(), MaxRecordedPlies) << what;
    Position p = startPosition;
    for (int ply = 1; ply <= HistoryCount(); ++ply)
      ASSERT_EQ(PlayMoveText(PlyText(gameHistory, ply), p, 0, nullptr), 1) << what << " ply " << ply;
  }

  test::ScratchDirectory dir;
  test::RecordingScope ui;
};

TEST_F(PgnHostileTest, TwoMegabytesOfNoiseLoadAsSoundGames) {
  std::mt19937 random(2718);
  // Raw bytes, and bytes drawn from the characters a reader reacts to.
  std::string raw(2 << 20, '\0'), pgnish(2 << 20, '\0');
  // Mostly move-like text, now and then a character that opens or closes something.
  const std::string common = "0123456789....      \n\rabcdefgh12345678NBRQKxO-=+#!?*/\t";
  const std::string rare("[]\"(){}$;\0", 10);
  for (char& c : raw) c = static_cast<char>(random());
  for (char& c : pgnish) c = random() % 100 ? common[random() % common.size()] : rare[random() % rare.size()];
  test::WriteFileBytes("raw.pgn", raw);
  test::WriteFileBytes("pgnish.pgn", pgnish);
  for (const char* name : {"raw.pgn", "pgnish.pgn"}) {
    int last = 0;
    for (int n : {1, 2, 7, 1000000}) {
      int loaded = LoadPgnGame(name, n, 1);
      EXPECT_GE(loaded, 1) << name;
      EXPECT_LE(loaded, n) << name;
      EXPECT_GE(loaded, last) << name;
      last = loaded;
      ExpectSoundGame(std::string(name) + " game " + std::to_string(n));
    }
    // The whole file read through game by game ends, each text within its limit.
    std::FILE* file = std::fopen(name, "r");
    ASSERT_NE(file, nullptr);
    std::vector<char> buffer(PgnBufferSize + 16, 'Z');
    PgnGameInfo info;
    int games = 1;
    while (ReadPgnGame(buffer.data(), file, info) == 1) {
      ASSERT_LT(games, 1 << 20) << "the reader does not advance";
      ++games;
    }
    std::fclose(file);
    EXPECT_EQ(games, last) << name;
    for (size_t i = PgnBufferSize; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 'Z') << "written past the buffer";
  }
}

TEST_F(PgnHostileTest, AHundredKilobyteTagLineIsCutAndTheGamesAroundItKept) {
  const std::string huge(100 * 1024, 'h');
  test::WriteFileBytes("tag.pgn", "[Event \"first\"]\n\n1. e4 e5 *\n\n"
                                  "[Event \"" + huge + "\"]\n[White \"w\"]\n\n1. d4 d5 2. c4 *\n\n"
                                  "[Annotator \"" + huge + "\n[Event \"third\"]\n\n1. c4 *\n");
  EXPECT_EQ(LoadPgnGame("tag.pgn", 2, 1), 2);
  EXPECT_EQ(test::RecordTexts(), (std::vector<std::string>{"d2-d4 ", "d7-d5 ", "c2-c4 "}));
  EXPECT_EQ(ui->LastInfo(), "Game 2\nEvent: " + std::string(127, 'h') + "\nTime Control: X\nWhite: w\nBlack: X\nResult: X\n");
  EXPECT_EQ(LoadPgnGame("tag.pgn", 1, 0), 1);
  EXPECT_EQ(test::RecordTexts(), (std::vector<std::string>{"e2-e4 ", "e7-e5 "}));
  EXPECT_EQ(LoadPgnGame("tag.pgn", 3, 0), 3);
  EXPECT_EQ(test::RecordTexts(), (std::vector<std::string>{"c2-c4 "}));
}

TEST_F(PgnHostileTest, MoveTextBeyondTheLimitIsCutAndTheNextGameStillFound) {
  // One long line of moves and remarks past the limit, then an unclosed comment and variation.
  std::string moves = "1. e4 e5 2. Nf3 {" + std::string(60000, 'c') + "} Nc6 3. Bb5";
  test::WriteFileBytes("long.pgn", "[Event \"a\"]\n\n" + moves + "\n\n[Event \"b\"]\n\n1. d4 { never closed 2. c4\n\n"
                                   "[Event \"c\"]\n\n1. c4 (1. d4 d5\n");
  EXPECT_EQ(LoadPgnGame("long.pgn", 1, 0), 1);
  EXPECT_EQ(test::RecordTexts(), (std::vector<std::string>{"e2-e4 ", "e7-e5 ", "Ng1-f3"}));
  EXPECT_EQ(LoadPgnGame("long.pgn", 2, 0), 2);
  EXPECT_EQ(test::RecordTexts(), std::vector<std::string>{"d2-d4 "});
  EXPECT_EQ(LoadPgnGame("long.pgn", 3, 0), 3);
  EXPECT_EQ(test::RecordTexts(), std::vector<std::string>{"c2-c4 "});
}

TEST_F(PgnHostileTest, EmptyAndBlankFilesLoadAnEmptyGame) {
  for (const char* text : {"", "\n\n  \r\n", "\xEF\xBB\xBF"}) {
    test::RecordCoordinates({"e2e4"});
    test::WriteFileBytes("empty.pgn", text);
    EXPECT_EQ(LoadPgnGame("empty.pgn", 3, 1), 1);
    EXPECT_EQ(HistoryCount(), 0);
    EXPECT_EQ(test::ToFen(gamePosition), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
    EXPECT_EQ(ui->LastInfo(), "Game 1\nEvent: X\nTime Control: X\nWhite: X\nBlack: X\nResult: X\n");
  }
}

TEST_F(PgnHostileTest, ZeroBytesAndDeepNestingAreHarmless) {
  std::string text = "[Event \"z\"]\n\n1. e4";
  text += '\0';
  text += "e5 2. Nf3 " + std::string(20000, '(') + " 2... Nc6 " + std::string(20000, ')') + " 2... Nf6 *\n";
  test::WriteFileBytes("zero.pgn", text);
  EXPECT_EQ(LoadPgnGame("zero.pgn", 1, 0), 1);
  EXPECT_EQ(test::RecordTexts(), (std::vector<std::string>{"e2-e4 ", "e7-e5 ", "Ng1-f3", "Ng8-f6"}));
  // A Current Ply far outside the game shows its last or first position.
  test::WriteFileBytes("ply.pgn", "[Current Ply \"99999999999\"]\n\n1. e4 e5 *\n\n[Current Ply \"-7\"]\n\n1. d4 *\n");
  EXPECT_EQ(LoadPgnGame("ply.pgn", 1, 0), 1);
  EXPECT_EQ(gamePosition.plyCount, 3);
  EXPECT_EQ(LoadPgnGame("ply.pgn", 2, 0), 2);
  EXPECT_EQ(gamePosition.plyCount, 1);
  EXPECT_EQ(HistoryCount(), 1);
}

} // namespace
} // namespace kestrin
