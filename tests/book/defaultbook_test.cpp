// The default book the build makes from our opening lines: what it offers from the initial
// position, and that book play follows the lines to their ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "book/book.h"
#include "notation/history.h"
#include "platform/clock.h"
#include "search/keys.h"
#include "support/fixtures.h"
#include "support/gamereset.h"
#include "support/legalmoves.h"
#include "support/recordingfrontend.h"
#include "support/san.h"

namespace kestrin {
namespace {

using Key = std::pair<u32, u32>;
Key KeyOf(const Position& p) { return {ComputeHashKey(p), ComputeHashLock(p)}; }

// The lines as the test reads them itself: every position of every line, and the moves
// (as coordinates) the lines play from each.
struct LineGraph {
  std::map<Key, std::set<Key>> next;
  std::map<Key, std::set<std::string>> moves;
  int lines = 0;
  size_t longest = 0;
};

const LineGraph& Lines() {
  static const LineGraph graph = [] {
    LineGraph g;
    std::ifstream in(KESTRIN_OPENING_LINES);
    std::string line, text;
    auto finish = [&] {
      std::istringstream words(text);
      std::string word;
      Position p;
      SetStartPosition(p);
      size_t plies = 0;
      while (words >> word) {
        if (word.find('.') != std::string::npos || word == "*" || word == "1-0" || word == "0-1" || word == "1/2-1/2")
          continue;
        Position before = p;
        EXPECT_TRUE(test::PlaySan(p, word)) << "line " << g.lines + 1 << ": " << word;
        g.next[KeyOf(before)].insert(KeyOf(p));
        g.next[KeyOf(p)];
        ++plies;
      }
      if (plies) ++g.lines, g.longest = std::max(g.longest, plies);
      text.clear();
    };
    while (std::getline(in, line)) {
      if (!line.empty() && line[0] == '[') {
        if (!text.empty()) finish();
        continue;
      }
      text += line + " ";
    }
    finish();
    return g;
  }();
  return graph;
}

std::set<std::string> Offered(const Position& p) {
  BookMoveList list;
  std::set<std::string> moves;
  for (int i = 0, n = BookCandidates(p, list); i < n; ++i) {
    moves.insert(test::SanOf(p, list.Candidate(i)));
    EXPECT_EQ(list.value[i], 0) << "built positions have value 0";
  }
  return moves;
}

std::mt19937 clockNoise(77);
std::int64_t NoisyClock() { return static_cast<std::int64_t>(clockNoise() & 0x7FFFFFFF); }

class DefaultBookTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!std::filesystem::exists(KESTRIN_OPENING_LINES)) GTEST_SKIP() << "no opening lines in the tree yet";
    ASSERT_TRUE(std::filesystem::exists(KESTRIN_DEFAULT_BOOK)) << "the build made no " << KESTRIN_DEFAULT_BOOK;
    test::ResetGame();
    BookCreate();
    ASSERT_EQ(BookLoad(KESTRIN_DEFAULT_BOOK), 1);
  }
  void TearDown() override {
    SetClockSource(nullptr);
    BookCreate();
    test::ResetGame();
  }
  test::RecordingScope ui;
};

TEST_F(DefaultBookTest, HoldsEveryPositionOfTheLinesAndNothingElse) {
  const LineGraph& lines = Lines();
  ASSERT_GT(lines.lines, 100);
  // Every position but the initial one, which no line reaches by a move.
  const Key initial = KeyOf(gamePosition);
  int missing = 0;
  for (auto& [key, successors] : lines.next)
    if (key != initial) missing += BookLookupKeys(key.first, key.second) != 0;
  EXPECT_EQ(missing, 0);
  EXPECT_EQ(BookLookupKeys(initial.first, initial.second), BookEmptyValue);
  EXPECT_EQ(openingBook.count, int(lines.next.size()) - 1);
}

TEST_F(DefaultBookTest, OffersSoundFirstMovesAndReplies) {
  const std::set<std::string> soundFirst = {"e4", "d4", "c4", "Nf3", "g3", "b3", "f4", "Nc3"};
  std::set<std::string> first = Offered(gamePosition);
  for (const char* move : {"e4", "d4", "c4", "Nf3"}) EXPECT_TRUE(first.count(move)) << move;
  for (const std::string& move : first) EXPECT_TRUE(soundFirst.count(move)) << "1. " << move;

  const std::map<std::string, std::set<std::string>> soundReplies = {
      {"e4", {"c5", "e5", "e6", "c6", "d6", "g6", "d5", "Nf6"}},
      {"d4", {"d5", "Nf6", "f5", "e6", "g6", "d6", "c5"}},
      {"c4", {"e5", "c5", "Nf6", "e6", "c6", "g6", "f5"}},
      {"Nf3", {"d5", "Nf6", "c5", "g6", "f5", "e6"}}};
  for (auto& [move, sound] : soundReplies) {
    Position p = gamePosition;
    ASSERT_TRUE(test::PlaySan(p, move));
    std::set<std::string> replies = Offered(p);
    EXPECT_GE(replies.size(), move == "e4" || move == "d4" ? 4u : 2u) << "1. " << move;
    for (const std::string& reply : replies) EXPECT_TRUE(sound.count(reply)) << "1. " << move << " " << reply;
  }
}

// Book play may change from one line into another where they meet in the same position.
TEST_F(DefaultBookTest, BookPlayFollowsTheLinesToTheirEnds) {
  const LineGraph& lines = Lines();
  SetClockSource(&NoisyClock);
  size_t deepest = 0;
  std::set<std::string> openings;
  for (int walk = 0; walk < 150; ++walk) {
    ResetGameRecord();
    int plies = 0;
    for (;;) {
      int value = ChooseBookMove(gamePosition);
      if (value == BookEmptyValue) break;
      EXPECT_EQ(value, 0);
      ++plies;
      ASSERT_TRUE(lines.next.count(KeyOf(gamePosition))) << "walk " << walk << " left the lines at ply " << plies;
      ASSERT_LT(plies, 100);
    }
    // It stops only where no legal move reaches a position of the lines.
    for (Move m : test::LegalMoves(gamePosition)) {
      Position next = gamePosition;
      MoveUndo undo;
      MakeMove(next, m, undo, Queen);
      EXPECT_FALSE(lines.next.count(KeyOf(next))) << "walk " << walk << " stopped after " << plies
                                                  << " plies before " << test::SanOf(gamePosition, m);
    }
    EXPECT_EQ(HistoryCount(), plies) << "every book move is recorded";
    deepest = std::max(deepest, size_t(plies));
    if (plies >= 2) openings.insert(std::string(PlyText(gameHistory, 1)) + std::string(PlyText(gameHistory, 2)));
  }
  EXPECT_GE(deepest, 20u);
  EXPECT_GE(openings.size(), 8u) << "the book varies its play";
}

} // namespace
} // namespace kestrin
