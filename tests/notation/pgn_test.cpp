// Reading PGN games: tags, move text with its annotations, the n-th game of a file, stepping.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "board/gameend.h"
#include "notation/history.h"
#include "notation/pgn.h"
#include "notation/transcript.h"
#include "pgntest.h"
#include "support/fixtures.h"
#include "support/gamereset.h"
#include "support/recordingfrontend.h"
#include "support/scratchdir.h"

namespace kestrin {
namespace {

using test::RecordFens;
using test::RecordTexts;
using test::WriteFileBytes;

const char* const InitialFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

std::string Game(const std::string& tags, const std::string& moves) { return tags + "\n" + moves + "\n\n"; }

class PgnLoadTest : public ::testing::Test {
protected:
  void SetUp() override { test::ResetGame(); }
  void TearDown() override {
    test::ResetGame();
    pgnFileName.clear();
    pgnGameIndex = 1;
  }
  test::ScratchDirectory dir;
  test::RecordingScope ui;
};

TEST_F(PgnLoadTest, ASavedGameReadsBackToTheSameMovesAndPly) {
  std::mt19937 random(31);
  // Games from the initial position and from positions with Black to move, by players whose
  // names hold what a tag value must escape or leave out.
  const char* const starts[] = {nullptr, "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -",
                                "r3k2r/pppq1ppp/2n5/8/8/2N5/PPPQ1PPP/R3K2R b KQkq -"};
  const std::pair<const char*, const char*> names[] = {
      {"Ann", "Ann"}, {"Evil\"] [Result \"0-1", "Evil\"] [Result \"0-1"}, {"C:\\games\\", "C:\\games\\"},
      {"tab\tand\nline", "tabandline"}};
  const char* const results[] = {"*", "1-0", "0-1", "1/2-1/2"};
  for (int round = 0; round < 24; ++round) {
    const Position start = starts[round % 3] ? test::FromFen(starts[round % 3]) : test::FromFen(InitialFen);
    test::GeneratedGame game = test::RandomGame(random, 20 + round * 5, start);
    test::RecordCoordinates(game.coordinates, &start);
    std::vector<std::string> texts = RecordTexts();
    // Stepped back into the game, as the side panel's buttons leave it.
    int ply = start.plyCount + static_cast<int>(random() % (game.coordinates.size() + 1));
    PositionAtPly(gamePosition, ply);
    std::string shown = test::ToFen(gamePosition);
    PgnPlayers players;
    players.playerName = names[round % 4].first;
    ASSERT_EQ(SavePgnGame(round % 4, "back.pgn", 0, players), 1);

    test::ResetGame();
    ASSERT_EQ(LoadPgnGame("back.pgn", 1, 1), 1);
    EXPECT_EQ(RecordTexts(), texts) << "round " << round;
    EXPECT_EQ(RecordFens(), game.fens) << "round " << round;
    EXPECT_EQ(gamePosition.plyCount, ply);
    EXPECT_EQ(test::ToFen(gamePosition), shown);
    EXPECT_NE(ui->LastInfo().find(std::string("\nWhite: ") + names[round % 4].second + "\nBlack: KestrinChess 2.82a \n"
                                  "Result: " + results[round % 4] + "\n"), std::string::npos) << ui->LastInfo();
    // The move list holds the whole game whatever ply is shown.
    EXPECT_EQ(TranscriptLines().size(), (texts.size() + 1) / 2);
  }
}

TEST_F(PgnLoadTest, TagsAreReadIntoTheirFieldsAndOthersIgnored) {
  WriteFileBytes("t.pgn", Game("[Event \"Club night\"]\n[Site \"Here\"]\n[WhiteElo \"2100\"]\n"
                               "[White \"Ann\"]\n[Black \"Bo\"]\n[Result \"0-1\"]\n[TimeControl \"40/7200\"]\n"
                               "[Current Ply \"2\"]\n",
                               "1. e4 e5 0-1"));
  std::FILE* file = std::fopen("t.pgn", "r");
  ASSERT_NE(file, nullptr);
  std::vector<char> buffer(PgnBufferSize);
  PgnGameInfo info;
  EXPECT_EQ(ReadPgnGame(buffer.data(), file, info), 0);
  std::fclose(file);
  EXPECT_STREQ(info.event, "Club night");
  EXPECT_STREQ(info.white, "Ann");
  EXPECT_STREQ(info.black, "Bo");
  EXPECT_STREQ(info.result, "0-1");
  EXPECT_STREQ(info.timeControl, "40/7200");
  EXPECT_STREQ(info.fen, "");
  EXPECT_EQ(info.currentPly, 2);
  EXPECT_STREQ(buffer.data(), "1. e4 e5 0-1\n\n");

  ASSERT_EQ(LoadPgnGame("t.pgn", 1, 1), 1);
  EXPECT_EQ(ui->LastInfo(), "Game 1\nEvent: Club night\nTime Control: 40/7200\nWhite: Ann\nBlack: Bo\nResult: 0-1\n");
  EXPECT_EQ(HistoryCount(), 2);
  EXPECT_EQ(gamePosition.plyCount, 2) << "shown at ply 2: after White's move";
  EXPECT_EQ(gameState.load(), GameInProgress) << "the Result tag is shown only";
}

TEST_F(PgnLoadTest, MissingTagsReadAsXAndAbsentPlyAsMinusOne) {
  WriteFileBytes("t.pgn", Game("[Date \"1.1.2000\"]\n", "1. d4"));
  ASSERT_EQ(LoadPgnGame("t.pgn", 1, 1), 1);
  EXPECT_EQ(ui->LastInfo(), "Game 1\nEvent: X\nTime Control: X\nWhite: X\nBlack: X\nResult: X\n");
  EXPECT_EQ(gamePosition.plyCount, 2) << "without a Current Ply the game stands at its end";
}

TEST_F(PgnLoadTest, TagValuesLongerThanTheirFieldsAreCut) {
  std::string longName(300, 'n'), longFen(400, 'f');
  WriteFileBytes("t.pgn", Game("[White \"" + longName + "\"]\n[Result \"" + longName + "\"]\n[TimeControl \"" +
                                   longName + "\"]\n[FEN \"" + longFen + "\"]\n[Black \"b\"]\n",
                               "1. e4"));
  std::FILE* file = std::fopen("t.pgn", "r");
  ASSERT_NE(file, nullptr);
  std::vector<char> buffer(PgnBufferSize);
  PgnGameInfo info;
  std::memset(&info, '#', sizeof info);
  ReadPgnGame(buffer.data(), file, info);
  std::fclose(file);
  EXPECT_EQ(std::string(info.white), std::string(127, 'n'));
  EXPECT_EQ(std::string(info.result), std::string(31, 'n'));
  EXPECT_EQ(std::string(info.timeControl), std::string(63, 'n'));
  EXPECT_EQ(std::string(info.fen), std::string(255, 'f'));
  EXPECT_STREQ(info.black, "b") << "the field after a cut one is intact";
  // A cut FEN is refused like any other bad one; the moves are then played from the initial array.
  ASSERT_EQ(LoadPgnGame("t.pgn", 1, 0), 1);
  EXPECT_EQ(ui->infoTexts.front(), "Not a valid Position");
  EXPECT_EQ(RecordTexts(), std::vector<std::string>{"e2-e4 "});
}

TEST_F(PgnLoadTest, AFenTagSetsTheStartOfTheGame) {
  WriteFileBytes("t.pgn", Game("[FEN \"4k3/8/8/8/8/8/4P3/4K3 b - - 0 1\"]\n[SetUp \"1\"]\n", "1... Kd7 2. e4 Kc6"));
  ASSERT_EQ(LoadPgnGame("t.pgn", 1, 0), 1);
  EXPECT_EQ(test::ToFen(startPosition), "4k3/8/8/8/8/8/4P3/4K3 b - -");
  EXPECT_EQ(test::ToFen(gamePosition), "8/8/2k5/8/4P3/8/8/4K3 w - -");
  EXPECT_EQ(HistoryCount(), 4);
}

TEST_F(PgnLoadTest, CommentsVariationsAndGlyphsArePassedOver) {
  const std::string plain = "1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7 *";
  const std::string annotated =
      "1. e4 {best by test: 1. d4 d5} e5 $1 2. Nf3 (2. f4 exf4 (2... d5 {the counter 3. exd5}) 3. Nf3) "
      "2... Nc6 $14 {a}{b 3. d4} 3. Bb5 ; 3. Bc4 Bc5 would be the Italian\n"
      "3... a6 (3... Nf6 {(Berlin 4. O-O)} 4. O-O) 4. Ba4 [%clk 0:01:00] Nf6 5. O-O! Be7?! *";
  test::ResetGame();
  EXPECT_EQ(PlayMoveTextBlock(plain.c_str()), 10);
  std::vector<std::string> expected = RecordTexts();
  ASSERT_EQ(expected.size(), 10u);
  test::ResetGame();
  EXPECT_EQ(PlayMoveTextBlock(annotated.c_str()), 10);
  EXPECT_EQ(RecordTexts(), expected);
}

TEST_F(PgnLoadTest, MoveNumberFormsAndDroppedTokens) {
  const char* const blackFirst = "4k3/8/8/8/8/8/4P3/4K3 b - -";
  const std::vector<std::string> kingWalk = {"", "Ke8-d7", "e2-e4 ", "Kd7-c6"};
  struct Case {
    const char* start;
    const char* text;
    std::vector<std::string> played, dropped;
  } const cases[] = {
      // No blank after the dots, a continuation number for Black, a move that does not fit
      // (and the reply to it, which then does not fit either), a result.
      {nullptr, "1.e4 1...c5 2.Nf3 d6 3. Qxh7 Nf6 4. d4 1-0",
       {"e2-e4 ", "c7-c5 ", "Ng1-f3", "d7-d6 ", "d2-d4 "}, {"Qxh7", "Nf6", "1-0"}},
      {nullptr, "1. e4 e5 2. Nf3 {x} 2...Nc6 (2...d6) 3. Bb5 3...a6 *",
       {"e2-e4 ", "e7-e5 ", "Ng1-f3", "Nb8-c6", "Bf1-b5", "a7-a6 "}, {}},
      // A game from a position with Black to move: as others write it, and as this program
      // writes it now and wrote it before.
      {blackFirst, "1...Kd7 2. e4 Kc6", kingWalk, {}},
      {blackFirst, "1... Ke8-d7 \n2. e2-e4  Kd7-c6 \n", kingWalk, {}},
      {blackFirst, "1.  Ke8-d7 \n2. e2-e4  Kd7-c6 \n", kingWalk, {}},
      // The first character counts too; words without a number are passed over.
      {nullptr, "1 e4", {"e2-e4 "}, {}},
      {nullptr, "White resigns", {}, {}},
      {nullptr, "", {}, {}},
  };
  for (const Case& c : cases) {
    const Position start = test::FromFen(c.start ? c.start : InitialFen);
    ResetGameRecord(&start);
    std::vector<std::string> dropped;
    EXPECT_EQ(PlayMoveTextBlock(c.text, &dropped), std::count_if(c.played.begin(), c.played.end(), [](auto& t) {
                return !t.empty();
              })) << c.text;
    EXPECT_EQ(RecordTexts(), c.played) << c.text;
    EXPECT_EQ(dropped, c.dropped) << c.text;
  }
  EXPECT_EQ(PlayMoveTextBlock(nullptr), 0);
}

TEST_F(PgnLoadTest, WhatStandsBeforeTheFirstTagIsNoGame) {
  for (const char* head : {"\n", "\r\n \n", "; games of the club\n", "% made by hand\n", "{ Two games,\nthe second short }\n"}) {
    WriteFileBytes("pre.pgn", head + Game("[Event \"one\"]\n", "1. e4") + Game("[Event \"two\"]\n", "1. d4"));
    EXPECT_EQ(LoadPgnGame("pre.pgn", 1, 0), 1) << head;
    EXPECT_EQ(RecordTexts(), std::vector<std::string>{"e2-e4 "}) << head;
    EXPECT_EQ(LoadPgnGame("pre.pgn", 9, 0), 2) << head;
  }
}

TEST_F(PgnLoadTest, OnlyRegularFilesAreReadOrWritten) {
  test::RecordCoordinates({"e2e4", "c7c5"});
  std::filesystem::create_directory("folder.pgn");
  EXPECT_EQ(LoadPgnGame("folder.pgn", 1, 1), 0);
  EXPECT_EQ(HistoryCount(), 2) << "the game on the board stays";
  ASSERT_EQ(mkfifo("pipe.pgn", 0600), 0);
  // A reader holds the pipe open, so that a save that wrongly opens it cannot block the test.
  const int reader = open("pipe.pgn", O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  for (int append : {1, 0}) {
    ui->infoTexts.clear();
    EXPECT_EQ(SavePgnGame(3, "pipe.pgn", append, PgnPlayers{}), 0) << append;
    EXPECT_EQ(ui->LastInfo(), "Cannot Open File.");
  }
  close(reader);
  EXPECT_TRUE(std::filesystem::is_fifo("pipe.pgn"));
}

TEST_F(PgnLoadTest, ARequestPastTheLastGameLoadsTheLast) {
  WriteFileBytes("three.pgn", Game("[Event \"one\"]\n", "1. e4") + Game("[Event \"two\"]\n", "1. d4") +
                                  Game("[Event \"three\"]\n", "1. c4"));
  EXPECT_EQ(LoadPgnGame("three.pgn", 5, 0), 3);
  EXPECT_EQ(RecordTexts(), std::vector<std::string>{"c2-c4 "});
  EXPECT_EQ(LoadPgnGame("three.pgn", 2, 0), 2);
  EXPECT_EQ(RecordTexts(), std::vector<std::string>{"d2-d4 "});
  EXPECT_EQ(LoadPgnGame("three.pgn", 0, 0), 1);
  EXPECT_EQ(RecordTexts(), std::vector<std::string>{"e2-e4 "});
}

TEST_F(PgnLoadTest, AFileThatCannotBeOpenedLeavesTheGame) {
  test::RecordCoordinates({"e2e4", "c7c5"});
  size_t shown = ui->infoTexts.size();
  EXPECT_EQ(LoadPgnGame("absent.pgn", 1, 1), 0);
  EXPECT_EQ(ui->infoTexts.size(), shown);
  EXPECT_EQ(HistoryCount(), 2);
  EXPECT_EQ(gamePosition.plyCount, 3);
}

TEST_F(PgnLoadTest, SteppingWalksThroughTheFile) {
  WriteFileBytes("three.pgn", Game("[Event \"one\"]\n", "1. e4") + Game("[Event \"two\"]\n", "1. d4") +
                                  Game("[Event \"three\"]\n", "1. c4"));
  EXPECT_EQ(LoadFirstPgnGame("three.pgn"), 1);
  EXPECT_EQ(pgnFileName, "three.pgn");
  EXPECT_EQ(LoadPreviousPgnGame(), 1) << "never before the first";
  EXPECT_EQ(LoadNextPgnGame(), 2);
  EXPECT_EQ(ui->LastInfo().substr(0, 7), "Game 2\n");
  EXPECT_EQ(LoadNextPgnGame(), 3);
  EXPECT_EQ(LoadNextPgnGame(), 3) << "past the end the last game stays";
  EXPECT_EQ(RecordTexts(), std::vector<std::string>{"c2-c4 "});
  EXPECT_EQ(LoadPreviousPgnGame(), 2);
  EXPECT_EQ(RecordTexts(), std::vector<std::string>{"d2-d4 "});
  // A file that went away: back to 1, the game stays.
  std::remove("three.pgn");
  EXPECT_EQ(LoadNextPgnGame(), 1);
  EXPECT_EQ(RecordTexts(), std::vector<std::string>{"d2-d4 "});
  // A file that cannot be opened is not taken as the one to step through.
  EXPECT_EQ(LoadFirstPgnGame("absent.pgn"), 0);
  EXPECT_EQ(pgnFileName, "three.pgn");
}

} // namespace
} // namespace kestrin
