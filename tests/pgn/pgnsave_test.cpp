// Writing the game in progress as a PGN game: tags, move lines, appending and replacing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <regex>
#include <string>

#include "notation/fen.h"
#include "notation/history.h"
#include "notation/pgn.h"
#include "platform/settings.h"
#include "search/engine.h"
#include "search/limits.h"
#include "pgntest.h"
#include "support/gamereset.h"
#include "support/recordingfrontend.h"
#include "support/scratchdir.h"

namespace kestrin {
namespace {

using test::ReadFileBytes;

std::string DateLine(std::time_t t) {
  std::tm local{};
  localtime_r(&t, &local);
  return "[Date \"" + std::to_string(local.tm_mon + 1) + "/" + std::to_string(local.tm_mday) + "/" +
         std::to_string(local.tm_year + 1900) + "\"]\n";
}

// Saves with `players` and returns the text with the date and time lines taken out, after
// checking them against the clock.
std::string SaveAndRead(int result, const PgnPlayers& players) {
  std::filesystem::remove("game.pgn");
  std::time_t before = std::time(nullptr);
  EXPECT_EQ(SavePgnGame(result, "game.pgn", 1, players), 1);
  std::time_t after = std::time(nullptr);
  std::string text = ReadFileBytes("game.pgn");
  std::smatch match;
  std::regex dateAndTime("(\\[Date \"[^\"]*\"\\]\n)\\[Time \"[0-2][0-9]:[0-5][0-9]:[0-6][0-9]\"\\]\n");
  if (!std::regex_search(text, match, dateAndTime)) {
    ADD_FAILURE() << "no date and time lines in\n" << text;
    return text;
  }
  EXPECT_TRUE(match.str(1) == DateLine(before) || match.str(1) == DateLine(after)) << match.str(1);
  return text.substr(0, match.position(0)) + text.substr(match.position(0) + match.length(0));
}

class PgnSaveTest : public ::testing::Test {
protected:
  void SetUp() override { test::ResetGame(); }
  void TearDown() override { test::ResetGame(); }
  test::ScratchDirectory dir;
  test::RecordingScope ui;
};

TEST_F(PgnSaveTest, TagsAndMoveLinesAreWrittenInTheirFixedForm) {
  test::RecordCoordinates({"e2e4", "e7e5", "g1f3"});
  PgnPlayers players;
  players.playerName = "Ann Lee";
  EXPECT_EQ(SaveAndRead(1, players), "[Event \"Kestrin Chess Game\"]\n"
                                     "[TimeControl \"300+5\"]\n"
                                     "[Current Ply \"4\"]\n"
                                     "[White \"Ann Lee\"]\n"
                                     "[Black \"KestrinChess 2.82a \"]\n"
                                     "[Result \"1-0\"]\n"
                                     "\n"
                                     "1. e2-e4  e7-e5  \n"
                                     "2. Ng1-f3 \n"
                                     "\n");
}

TEST_F(PgnSaveTest, NamesAndRatingsFollowTheSidesThePlayersTake) {
  test::RecordCoordinates({"d2d4"});
  PgnPlayers players;
  players.playerName = "Bo";
  players.eloRating = 1850;
  players.timeMinutes = 40;
  players.timeIncrement = 0;
  auto tags = [&](int side) {
    players.humanSide = side;
    std::string text = SaveAndRead(2, players);
    return text.substr(text.find("[White"), text.find("[Result") - text.find("[White"));
  };
  EXPECT_EQ(tags(1), "[White \"Bo\"]\n[Black \"KestrinChess 2.82a \"]\n[WhiteElo \"1850\"]\n");
  EXPECT_EQ(tags(2), "[White \"KestrinChess 2.82a \"]\n[Black \"Bo\"]\n[BlackElo \"1850\"]\n");
  EXPECT_EQ(tags(3), "[White \"Bo\"]\n[Black \"Bo\"]\n");
  EXPECT_EQ(tags(4), "[White \"KestrinChess 2.82a \"]\n[Black \"KestrinChess 2.82a \"]\n");
  players.eloRating = 0;
  EXPECT_EQ(tags(2), "[White \"KestrinChess 2.82a \"]\n[Black \"Bo\"]\n");

  std::string text = SaveAndRead(3, players);
  EXPECT_NE(text.find("[TimeControl \"2400+0\"]\n"), std::string::npos);
  EXPECT_NE(text.find("[Result \"1/2-1/2\"]\n"), std::string::npos);
  EXPECT_NE(SaveAndRead(4, players).find("[Result \"*\"]\n"), std::string::npos);
  EXPECT_NE(SaveAndRead(0, players).find("[Result \"*\"]\n"), std::string::npos);
  EXPECT_NE(SaveAndRead(2, players).find("[Result \"0-1\"]\n"), std::string::npos);
}

TEST_F(PgnSaveTest, WithoutPlayersGivenTheSettingsAndTheGameModeNameThem) {
  settings.playerName = "Cy";
  settings.eloRating = 1400;
  HumanSide = 2;
  searchSettings.timeMinutes = 2;
  searchSettings.timeIncrement = 1;
  std::filesystem::remove("game.pgn");
  ASSERT_EQ(SavePgnGame(3, "game.pgn", 1), 1);
  std::string text = ReadFileBytes("game.pgn");
  ResetSettings();
  ResetSearchSettings();
  HumanSide = 1;
  EXPECT_NE(text.find("[TimeControl \"120+1\"]\n[Current Ply \"1\"]\n[White \"KestrinChess 2.82a \"]\n"
                      "[Black \"Cy\"]\n[BlackElo \"1400\"]\n[Result \"1/2-1/2\"]\n\n\n\n"),
            std::string::npos)
      << text;
}

TEST_F(PgnSaveTest, ANetworkGameNamesItsPlayersAndTimeControlFromTheConnection) {
  PgnPlayers players;
  players.netGame = 1;
  players.netWhiteName = "north";
  players.netBlackName = "south";
  players.netMinutes = 3;
  players.netSeconds = 2;
  players.eloRating = 2000;
  players.humanSide = 2;
  EXPECT_EQ(SaveAndRead(4, players), "[Event \"Net Game\"]\n"
                                     "[TimeControl \"180+2\"]\n"
                                     "[Current Ply \"1\"]\n"
                                     "[White \"north\"]\n"
                                     "[Black \"south\"]\n"
                                     "[Result \"*\"]\n"
                                     "\n"
                                     "\n\n");
}

TEST_F(PgnSaveTest, ASetUpStartIsWrittenAsFenThenSetUp) {
  const char* fen = "4k3/8/8/8/8/8/4P3/4K3 b - - 0 1";
  ASSERT_EQ(PositionFromFen(fen, std::strlen(fen)), 1);
  // Black moves first: the record's first slot stays empty, and the first number has Black's move alone.
  Position start = gamePosition;
  test::RecordCoordinates({"e8d7", "e2e4"}, &start);
  std::string text = SaveAndRead(4, PgnPlayers{});
  EXPECT_NE(text.find("[Result \"*\"]\n[FEN \"4k3/8/8/8/8/8/4P3/4K3 b - -\"]\n[SetUp \"1\"]\n\n"
                      "1... Ke8-d7 \n2. e2-e4  \n\n"),
            std::string::npos)
      << text;
}

TEST_F(PgnSaveTest, AppendingAddsGamesAndReplacingKeepsOnlyTheLast) {
  test::RecordCoordinates({"e2e4"});
  ASSERT_EQ(SavePgnGame(1, "games.pgn", 1, PgnPlayers{}), 1);
  test::RecordCoordinates({"d2d4", "d7d5"});
  ASSERT_EQ(SavePgnGame(2, "games.pgn", 1, PgnPlayers{}), 1);
  std::string both = ReadFileBytes("games.pgn");
  EXPECT_EQ(std::count(both.begin(), both.end(), '['), 16);
  EXPECT_NE(both.find("1. e2-e4  \n\n[Event"), std::string::npos);
  EXPECT_NE(both.find("1. d2-d4  d7-d5  \n\n\n"), std::string::npos);

  ASSERT_EQ(SavePgnGame(3, "games.pgn", 0, PgnPlayers{}), 1);
  std::string one = ReadFileBytes("games.pgn");
  EXPECT_EQ(one.find("e2-e4"), std::string::npos);
  EXPECT_EQ(std::count(one.begin(), one.end(), '['), 8);
  EXPECT_FALSE(std::filesystem::exists("games.pgn.tmp"));
}

TEST_F(PgnSaveTest, AFileThatCannotBeWrittenIsReportedAndNothingIsWritten) {
  test::RecordCoordinates({"e2e4"});
  EXPECT_EQ(SavePgnGame(1, "no/such/dir/game.pgn", 1, PgnPlayers{}), 0);
  EXPECT_EQ(ui->LastInfo(), "Cannot Open File.");
  std::filesystem::create_directory("taken.pgn");
  ui->infoTexts.clear();
  EXPECT_EQ(SavePgnGame(1, "taken.pgn", 0, PgnPlayers{}), 0);
  EXPECT_EQ(ui->LastInfo(), "Cannot Open File.");
  EXPECT_TRUE(std::filesystem::is_directory("taken.pgn"));
}

} // namespace
} // namespace kestrin
