// The opening lines and the default book the build makes from them: every line replays move
// by move in standard notation, is deep and distinct; the book holds exactly the
// positions of the lines, offers sound moves, and book play follows the lines to their ends.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "board/keys.h"
#include "book/book.h"
#include "notation/history.h"
#include "platform/clock.h"
#include "support/gamereset.h"
#include "support/legalmoves.h"
#include "support/recordingfrontend.h"
#include "support/san.h"

namespace kestrin {
namespace {

using Key = std::pair<u32, u32>;
Key KeyOf(const Position& p) { return {ComputeHashKey(p), ComputeHashLock(p)}; }

// The lines as the test reads them itself: each line's moves, every position a move of a line
// reaches, and what is wrong with any line.
struct Lines {
  std::vector<std::vector<std::string>> moves;
  std::set<Key> positions;
  std::vector<std::string> faults;
};

const Lines& OpeningLines() {
  static const Lines lines = [] {
    Lines l;
    std::ifstream in(KESTRIN_OPENING_LINES);
    std::string line, text, opening;
    auto finish = [&] {
      const std::string where = "line " + std::to_string(l.moves.size() + 1) + " " + opening;
      std::istringstream words(text);
      std::vector<std::string> moves;
      Position p;
      SetStartPosition(p);
      for (std::string word; words >> word && word != "*";) {
        if (word.find('.') != std::string::npos) continue; // a move number
        if (!test::PlaySan(p, word)) {
          l.faults.push_back(where + ": move " + std::to_string(moves.size() + 1) + " " + word + " does not play");
          break;
        }
        moves.push_back(word);
        l.positions.insert(KeyOf(p));
      }
      if (moves.size() < 12 || moves.size() > 30) l.faults.push_back(where + ": " + std::to_string(moves.size()) + " plies");
      l.moves.push_back(moves);
      text.clear();
    };
    while (std::getline(in, line)) {
      if (line.starts_with("[") && !text.empty()) finish();
      if (line.starts_with("[Opening ")) opening = line;
      if (!line.starts_with("[")) text += line + " ";
    }
    finish();
    return l;
  }();
  return lines;
}

TEST(OpeningLines, ReplayDeepAndDistinct) {
  const Lines& lines = OpeningLines();
  EXPECT_GE(lines.moves.size(), 250u);
  for (const std::string& fault : lines.faults) ADD_FAILURE() << fault;
  EXPECT_EQ(std::set(lines.moves.begin(), lines.moves.end()).size(), lines.moves.size()) << "a line repeats another";
}

class DefaultBook : public ::testing::Test {
protected:
  void SetUp() override {
    test::ResetGame();
    BookCreate();
    ASSERT_EQ(BookLoad(KESTRIN_DEFAULT_BOOK), 1) << "the build made no " << KESTRIN_DEFAULT_BOOK;
  }
  void TearDown() override {
    SetClockSource(nullptr);
    BookCreate();
    test::ResetGame();
  }
  test::RecordingScope ui;
};

// The book holds every position a move of the lines reaches, with value 0, and nothing else.
// Book play may change from one line into another where they meet in the same position.
TEST_F(DefaultBook, HoldsThePositionsOfTheLinesAndPlaysThemToTheirEnds) {
  const Lines& lines = OpeningLines();
  int missing = 0;
  for (const Key& key : lines.positions) missing += BookLookupKeys(key.first, key.second) != 0;
  EXPECT_EQ(missing, 0);
  EXPECT_EQ(openingBook.count, int(lines.positions.size()));
  // The book picks its moves by the clock's milliseconds.
  SetClockSource([] { static std::mt19937 noise(77); return static_cast<std::int64_t>(noise() & 0x7FFFFFFF); });
  std::size_t deepest = 0;
  std::set<std::string> openings;
  for (int walk = 0; walk < 150; ++walk) {
    ResetGameRecord();
    int plies = 0;
    while (ChooseBookMove(gamePosition) == 0) {
      ASSERT_LT(++plies, 100);
      ASSERT_TRUE(lines.positions.count(KeyOf(gamePosition))) << "walk " << walk << " left the lines at ply " << plies;
    }
    EXPECT_EQ(HistoryCount(), plies) << "every book move is recorded";
    // It stops only where no legal move reaches a position of the lines.
    for (Move m : test::LegalMoves(gamePosition)) {
      Position next = gamePosition;
      MoveUndo undo;
      MakeMove(next, m, undo, Queen);
      EXPECT_FALSE(lines.positions.count(KeyOf(next))) << "walk " << walk << " stopped before " << test::SanOf(gamePosition, m);
    }
    deepest = std::max(deepest, std::size_t(plies));
    if (plies >= 2) openings.insert(std::string(PlyText(gameHistory, 1)) + std::string(PlyText(gameHistory, 2)));
  }
  EXPECT_GE(deepest, 20u);
  EXPECT_GE(openings.size(), 8u) << "the book varies its play";
}

} // namespace
} // namespace kestrin
