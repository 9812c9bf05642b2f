// Building book positions from PGN games: counts against an independent tally, and what a build
// keeps. A temporary file that cannot be written is tried by the book dialog's test
// (tests/ui/tools_test.cpp), which also sees what the user is told.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "board/keys.h"
#include "book/book.h"
#include "book/bookbuild.h"
#include "notation/history.h"
#include "support/fixtures.h"
#include "support/gamereset.h"
#include "support/recordingfrontend.h"
#include "support/san.h"
#include "support/scratchdir.h"

namespace kestrin {
namespace {

const char* const Results[4] = {"1-0", "0-1", "1/2-1/2", "*"};

std::string Game(const std::string& result, const std::string& moves) {
  return "[Event \"t\"]\n[Result \"" + result + "\"]\n\n" + moves + " " + result + "\n\n";
}

// The position after the standard moves `san` from the initial one.
Position After(std::initializer_list<const char*> san) {
  Position p = test::FromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
  for (const char* move : san) EXPECT_TRUE(test::PlaySan(p, move)) << move;
  return p;
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

// Random games sharing their openings, counted by the test from the moves it generated, for
// every choice of sides and a move range.
TEST_F(BookBuildTest, CountsAgreeWithAnIndependentTally) {
  std::mt19937 random(606);
  std::vector<std::pair<int, test::RandomGame>> games;
  std::string file;
  for (int g = 0; g < 300; ++g) {
    const int result = static_cast<int>(random() % 4);
    games.emplace_back(result, test::PlayRandomGame(random, 2 + static_cast<int>(random() % 14), After({}), 4));
    std::string moves;
    for (std::size_t i = 0; i < games.back().second.san.size(); ++i)
      moves += (i % 2 ? "" : std::to_string(i / 2 + 1) + ". ") + games.back().second.san[i] + " ";
    file += Game(Results[games.back().first], moves);
  }
  test::WriteFileBytes("r.pgn", file);
  const int fromMove = 2, upToMove = 5;
  for (int sides = 1; sides <= 7; ++sides) {
    std::map<std::pair<u32, u32>, int> tally; // by book keys, which leave castling rights out
    for (auto& [result, game] : games) {
      for (std::size_t i = 2 * fromMove - 2; i < game.fens.size() && i < 2 * upToMove; ++i) {
        const bool moverWon = result == int(i % 2), moverLost = result == int(1 - i % 2);
        const Position p = test::FromFen(game.fens[i]);
        tally[{ComputeHashKey(p), ComputeHashLock(p)}] += (sides & BookSideWinning && moverWon) +
                                                          (sides & BookSideLosing && moverLost) +
                                                          (sides & BookSideDrawing && result >= 2);
      }
    }
    BookCreate();
    EXPECT_EQ(BuildBookFromPgn("r.pgn", 50000, fromMove, upToMove, 2, sides), 301);
    int kept = 0;
    for (auto& [keys, count] : tally) {
      kept += count >= 2;
      ASSERT_EQ(BookLookupKeys(keys.first, keys.second), count >= 2 ? 0 : BookEmptyValue) << "sides " << sides;
    }
    EXPECT_GT(kept, 10);
    EXPECT_EQ(openingBook.count, kept);
  }
}

TEST_F(BookBuildTest, WhatABuildKeepsAndSays) {
  // Hand-made entries keep their values unless their position is met, then they are counted.
  BookAdd(After({"c4"}), 2, true);
  BookAdd(After({"e4"}), 2, true);
  BookAdd(After({"d4"}), -1, true);
  std::string file = Game("*", "1. e4 e5") + Game("*", "1. d4 d5") + Game("*", "1. d4 Nf6") + Game("*", "1. Qh5 Nf6");
  for (int g = 0; g < 13; ++g) file += Game("*", "1. g3 g6");
  test::WriteFileBytes("g.pgn", file);
  ASSERT_EQ(PlayMoveText("d4", gamePosition, 1, nullptr), 1);
  EXPECT_EQ(BuildBookFromPgn("g.pgn", 50000, 1, 1, 2, BookSideDrawing), 18);
  EXPECT_EQ(BookLookup(After({"c4"})), 2);
  EXPECT_EQ(BookLookup(After({"e4"})), BookEmptyValue) << "counted from 101 once, below the threshold";
  EXPECT_EQ(BookLookup(After({"d4"})), 0);
  EXPECT_EQ(BookLookup(After({"g3", "g6"})), 0);
  EXPECT_EQ(openingBook.count, 4);
  EXPECT_FALSE(std::filesystem::exists("TempGen5.kcb"));
  EXPECT_EQ(HistoryCount(), 0) << "a build starts a new game";
  // A folder is no file of games and changes nothing.
  std::filesystem::create_directory("folder.pgn");
  EXPECT_EQ(BuildBookFromPgn("folder.pgn", 50000, 1, 10, 1, 7), 0);
  EXPECT_EQ(openingBook.count, 4);
}

} // namespace
} // namespace kestrin
