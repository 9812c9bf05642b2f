// Building book positions from PGN games: the move range, the sides counted, the threshold,
// and what happens to the book when the temporary file cannot be written.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "book/book.h"
#include "book/bookbuild.h"
#include "notation/history.h"
#include "search/keys.h"
#include "support/fixtures.h"
#include "support/gamereset.h"
#include "support/legalmoves.h"
#include "support/recordingfrontend.h"
#include "support/san.h"
#include "support/scratchdir.h"

namespace kestrin {
namespace {

Position Initial() {
  Position p;
  SetStartPosition(p);
  return p;
}

// The position after the standard moves `san` from the initial one.
Position After(std::initializer_list<const char*> san) {
  Position p = Initial();
  for (const char* move : san) EXPECT_TRUE(test::PlaySan(p, move)) << move;
  return p;
}

std::string Game(const std::string& result, const std::string& moves) {
  return "[Event \"t\"]\n[Result \"" + result + "\"]\n\n" + moves + " " + result + "\n\n";
}

class BookBuildTest : public ::testing::Test {
protected:
  void SetUp() override {
    test::ResetGame();
    BookCreate();
    ResetBookBuildSettings();
  }
  void TearDown() override {
    BookCreate();
    test::ResetGame();
  }
  test::ScratchDirectory dir;
  test::RecordingScope ui;
};

TEST_F(BookBuildTest, TheWinnersMovesAreCountedAndTheLosersNot) {
  test::WriteFileBytes("g.pgn", Game("1-0", "1. e4 e5 2. Nf3"));
  EXPECT_EQ(BuildBookFromPgn("g.pgn", 50000, 1, 1, 1, BookSideWinning), 2);
  EXPECT_EQ(BookLookup(After({"e4"})), 0);
  EXPECT_EQ(BookLookup(After({"e4", "e5"})), BookEmptyValue);
  EXPECT_EQ(openingBook.count, 1);

  BookCreate();
  EXPECT_EQ(BuildBookFromPgn("g.pgn", 50000, 1, 1, 1, BookSideLosing), 2);
  EXPECT_EQ(BookLookup(After({"e4"})), BookEmptyValue);
  EXPECT_EQ(BookLookup(After({"e4", "e5"})), 0);

  // Black's wins count Black's moves; unfinished and unmarked games are draws.
  test::WriteFileBytes("g.pgn", Game("0-1", "1. d4 d5") + Game("*", "1. c4 c5") +
                                    "[Event \"no result\"]\n\n1. Nf3 Nf6\n\n" + Game("1/2-1/2", "1. g3 g6"));
  BookCreate();
  EXPECT_EQ(BuildBookFromPgn("g.pgn", 50000, 1, 1, 1, BookSideWinning), 5);
  EXPECT_EQ(openingBook.count, 1);
  EXPECT_EQ(BookLookup(After({"d4", "d5"})), 0);
  BookCreate();
  EXPECT_EQ(BuildBookFromPgn("g.pgn", 50000, 1, 1, 1, BookSideDrawing), 5);
  EXPECT_EQ(openingBook.count, 6);
  for (auto position : {After({"c4"}), After({"c4", "c5"}), After({"Nf3", "Nf6"}), After({"g3"})})
    EXPECT_EQ(BookLookup(position), 0);
  EXPECT_EQ(BookLookup(After({"d4"})), BookEmptyValue);
}

TEST_F(BookBuildTest, OnlyTheMoveRangeCountsAndShortGamesGiveWhatTheyReach) {
  test::WriteFileBytes("g.pgn", Game("*", "1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O") + Game("*", "1. d4 d5 2. c4"));
  EXPECT_EQ(BuildBookFromPgn("g.pgn", 50000, 2, 3, 1, BookSideDrawing), 3);
  EXPECT_EQ(BookLookup(After({"e4"})), BookEmptyValue);
  EXPECT_EQ(BookLookup(After({"e4", "e5"})), BookEmptyValue);
  EXPECT_EQ(BookLookup(After({"e4", "e5", "Nf3"})), 0);
  EXPECT_EQ(BookLookup(After({"e4", "e5", "Nf3", "Nc6", "Bb5", "a6"})), 0);
  EXPECT_EQ(BookLookup(After({"e4", "e5", "Nf3", "Nc6", "Bb5", "a6", "Ba4"})), BookEmptyValue);
  EXPECT_EQ(BookLookup(After({"d4", "d5", "c4"})), 0);
  EXPECT_EQ(openingBook.count, 5);
}

TEST_F(BookBuildTest, TimesDropsRarePositionsAndMaxGamesStopsEarly) {
  test::WriteFileBytes("g.pgn", Game("*", "1. e4 e5") + Game("*", "1. e4 c5") + Game("*", "1. d4 d5"));
  EXPECT_EQ(BuildBookFromPgn("g.pgn", 50000, 1, 1, 2, BookSideDrawing), 4);
  EXPECT_EQ(BookLookup(After({"e4"})), 0);
  EXPECT_EQ(openingBook.count, 1);

  // A game without a fitting move adds nothing, not even the moves of the game before it.
  test::WriteFileBytes("h.pgn", Game("*", "1. c4 c5") + Game("*", "1. Qh5 Nf6"));
  BookCreate();
  EXPECT_EQ(BuildBookFromPgn("h.pgn", 50000, 1, 1, 2, BookSideDrawing), 3);
  EXPECT_EQ(openingBook.count, 0);

  BookCreate();
  EXPECT_EQ(BuildBookFromPgn("g.pgn", 1, 1, 1, 1, BookSideDrawing), 2);
  EXPECT_EQ(openingBook.count, 2) << "only the first game read";
  EXPECT_EQ(BookLookup(After({"e4", "e5"})), 0);
}

TEST_F(BookBuildTest, HandMadeEntriesKeepTheirValuesUnlessTheirPositionIsMet) {
  BookAdd(After({"c4"}), 2, true);
  BookAdd(After({"e4"}), 2, true);
  BookAdd(After({"d4"}), -1, true);
  test::WriteFileBytes("g.pgn", Game("*", "1. e4 e5") + Game("*", "1. d4 d5") + Game("*", "1. d4 Nf6"));
  EXPECT_EQ(BuildBookFromPgn("g.pgn", 50000, 1, 1, 2, BookSideDrawing), 4);
  EXPECT_EQ(BookLookup(After({"c4"})), 2);
  EXPECT_EQ(BookLookup(After({"e4"})), BookEmptyValue) << "counted from 101 once, below the threshold";
  EXPECT_EQ(BookLookup(After({"d4"})), 0);
  EXPECT_EQ(openingBook.count, 2);
}

TEST_F(BookBuildTest, ABuildSaysWhatItDoesAndStartsANewGame) {
  std::string file;
  for (int g = 0; g < 17; ++g) file += Game("*", "1. e4 e5");
  test::WriteFileBytes("g.pgn", file);
  ASSERT_EQ(PlayMoveText("d4", gamePosition, 1, nullptr), 1);
  EXPECT_EQ(BuildBookFromPgn("g.pgn", 50000, 1, 10, 1, BookSideDrawing), 18);
  std::vector<std::string> expected = {"8", "16", "The Game Begins..", "Building opening book....",
                                       "2 Positions Saved", "2 Positions Loaded", "Finished Adding .PGN"};
  EXPECT_EQ(ui->infoTexts, expected);
  EXPECT_TRUE(ui->messages.empty());
  EXPECT_FALSE(std::filesystem::exists("TempGen5.kcb"));
  EXPECT_EQ(HistoryCount(), 0);
  EXPECT_EQ(test::ToFen(gamePosition), test::ToFen(Initial()));
  EXPECT_EQ(openingBook.count, 2);
  EXPECT_EQ(BookLookup(After({"e4", "e5"})), 0);
}

TEST_F(BookBuildTest, AFileThatCannotBeOpenedChangesNothing) {
  BookAdd(After({"e4"}), 1, true);
  ASSERT_EQ(PlayMoveText("d4", gamePosition, 1, nullptr), 1);
  EXPECT_EQ(BuildBookFromPgn("absent.pgn", 50000, 1, 10, 1, 7), 0);
  EXPECT_TRUE(ui->infoTexts.empty());
  EXPECT_TRUE(ui->messages.empty());
  EXPECT_EQ(BookLookup(After({"e4"})), 1);
  EXPECT_EQ(HistoryCount(), 1);
}

TEST_F(BookBuildTest, ATemporaryFileThatCannotBeWrittenKeepsTheBookAsItWas) {
  BookAdd(After({"e4"}), 2, true);
  BookAdd(After({"c4"}), -2, true);
  test::WriteFileBytes("g.pgn", Game("*", "1. e4 e5 2. Nf3"));
  // A directory of that name cannot be replaced by the file.
  std::filesystem::create_directory("TempGen5.kcb");
  EXPECT_EQ(BuildBookFromPgn("g.pgn", 50000, 1, 10, 1, 7), 2);
  EXPECT_EQ(openingBook.count, 2);
  EXPECT_EQ(BookLookup(After({"e4"})), 2);
  EXPECT_EQ(BookLookup(After({"c4"})), -2);
  EXPECT_EQ(BookLookup(After({"e4", "e5"})), BookEmptyValue);
  ASSERT_FALSE(ui->messages.empty());
  EXPECT_EQ(ui->messages.back().second, "Book Not Built");
  EXPECT_NE(ui->messages.back().first.find("unchanged"), std::string::npos);
  EXPECT_NE(ui->LastInfo(), "Finished Adding .PGN");
}

TEST_F(BookBuildTest, TheDialogsLimitsApply) {
  SetBookBuildSettings({.fromMove = 0, .upToMove = 31, .maxGames = 7, .times = 0, .winning = 0, .drawing = 5, .losing = 1});
  EXPECT_EQ(bookBuildSettings.fromMove, 1);
  EXPECT_EQ(bookBuildSettings.upToMove, 30);
  EXPECT_EQ(bookBuildSettings.maxGames, 7);
  EXPECT_EQ(bookBuildSettings.times, 1);
  EXPECT_EQ(BookBuildSides(bookBuildSettings), BookSideDrawing | BookSideLosing);
  ResetBookBuildSettings();
  EXPECT_EQ(BookBuildSides(bookBuildSettings), BookSideWinning | BookSideDrawing);
  EXPECT_EQ(bookBuildSettings.upToMove, 10);
  EXPECT_EQ(bookBuildSettings.maxGames, 50000);
}

// Random games counted by the test on its own, from the moves it generated.
TEST_F(BookBuildTest, CountsAgreeWithAnIndependentTally) {
  std::mt19937 random(606);
  const char* results[4] = {"1-0", "0-1", "1/2-1/2", "*"};
  std::map<std::pair<u32, u32>, int> tally;
  std::string file;
  const int fromMove = 2, upToMove = 5, sides = BookSideWinning | BookSideLosing;
  for (int g = 0; g < 300; ++g) {
    // Few first moves, so that positions repeat across games.
    Position p = Initial();
    std::string moves;
    const int result = static_cast<int>(random() % 4);
    for (int ply = 0; ply < 2 + static_cast<int>(random() % 14); ++ply) {
      std::vector<Move> legal = test::LegalMoves(p);
      if (legal.empty()) break;
      Move m = legal[random() % std::min<size_t>(legal.size(), ply < 4 ? 2 : legal.size())];
      if (ply % 2 == 0) moves += std::to_string(ply / 2 + 1) + ". ";
      moves += test::SanOf(p, m) + " ";
      MoveUndo undo;
      MakeMove(p, m, undo, Queen);
      bool moverWon = (ply % 2 == 0 && result == 0) || (ply % 2 == 1 && result == 1);
      bool moverLost = (ply % 2 == 0 && result == 1) || (ply % 2 == 1 && result == 0);
      if (ply >= 2 * fromMove - 2 && ply < 2 * upToMove) tally[{ComputeHashKey(p), ComputeHashLock(p)}] += moverWon + moverLost;
    }
    file += Game(results[result], moves);
  }
  test::WriteFileBytes("r.pgn", file);
  EXPECT_EQ(BuildBookFromPgn("r.pgn", 50000, fromMove, upToMove, 2, sides), 301);
  int expected = 0, wrong = 0;
  for (auto& [keys, count] : tally) {
    int value = BookLookupKeys(keys.first, keys.second);
    expected += count >= 2;
    wrong += count >= 2 ? value != 0 : value != BookEmptyValue;
  }
  EXPECT_GT(expected, 20);
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(openingBook.count, expected);
}

TEST_F(BookBuildTest, NoiseBuildsNothingAndHarmsNothing) {
  BookAdd(After({"e4"}), 2, true);
  std::mt19937 random(99);
  std::string noise(2 << 20, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  test::WriteFileBytes("noise.pgn", noise);
  EXPECT_GE(BuildBookFromPgn("noise.pgn", 50000, 1, 30, 1, 7), 2);
  EXPECT_EQ(BookLookup(After({"e4"})), 2);
  EXPECT_EQ(openingBook.count, 1);
  EXPECT_EQ(test::ConsistencyProblems(gamePosition), "");
}

} // namespace
} // namespace kestrin
