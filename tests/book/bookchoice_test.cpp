// Book moves: which moves the book offers in a position and how one of them is chosen.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "board/moveentry.h"
#include "book/book.h"
#include "notation/history.h"
#include "notation/movetext.h"
#include "platform/clock.h"
#include "support/fixtures.h"
#include "support/gamereset.h"
#include "support/legalmoves.h"
#include "support/recordingfrontend.h"

namespace kestrin {
namespace {

using Texts = std::vector<std::string>;
const char* const StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

// The position after a coordinate move; a fifth letter names the promotion piece.
Position After(const Position& from, const std::string& move) {
  Position p = from;
  test::Play(p, move.substr(0, 4), move.size() > 4 ? PieceFromLetter(move[4], true) : Queen);
  return p;
}

// Every choice is seeded from the clock: the tests feed it a fixed random sequence.
std::mt19937 clockNoise;
std::int64_t NoisyClock() { return static_cast<std::int64_t>(clockNoise() & 0x7FFFFFFF); }

class BookChoiceTest : public ::testing::Test {
protected:
  void SetUp() override {
    test::ResetGame();
    BookCreate();
  }
  void TearDown() override {
    BookCreate();
    test::ResetGame();
  }
  test::RecordingScope ui;
};

TEST_F(BookChoiceTest, CandidatesAndTheValuesEachSideTakes) {
  const struct {
    const char* fen;
    Texts moves;
    std::vector<std::pair<std::string, int>> book;
    Texts offered;
    int chosen; // the value of the move made, BookEmptyValue when none
    const char* recorded;
  } cases[] = {
      // White takes 0..2 only; Black -2..0 only.
      {StartFen, {}, {{"g1f3", -1}, {"e2e4", -2}, {"d2d4", 2}}, {"g1f3", "e2e4", "d2d4"}, 2, "d2-d4 "},
      {StartFen, {}, {{"e2e4", -1}}, {"e2e4"}, BookEmptyValue, ""},
      {StartFen, {"e2e4"}, {{"e7e5", -1}, {"c7c5", 1}}, {"e7e5", "c7c5"}, -1, "e7-e5 "},
      // A pinned knight's move is never offered, however strongly marked.
      {"4r1k1/8/8/8/8/8/4N3/4K3 w - -", {}, {{"e2c3", 2}, {"e1d1", 0}}, {"e1d1"}, 0, "Ke1-d1"},
      // The knight's way home reaches the initial position again: not offered.
      {StartFen, {"g1f3", "g8f6", "f3g1"}, {{"f6g8", 0}, {"e7e5", 0}}, {"e7e5"}, 0, "e7-e5 "},
      // The book promotes to a queen whatever the board view left as the promotion choice.
      {"8/1P5k/8/8/8/8/8/4K3 w - -", {}, {{"b7b8", 1}, {"b7b8n", 2}}, {"b7b8"}, 1, "b7-b8=Q"},
  };
  for (const auto& c : cases) {
    BookCreate();
    const Position start = test::FromFen(c.fen);
    ResetGameRecord(&start);
    for (const std::string& move : c.moves) ASSERT_EQ(PlayMoveText(move, gamePosition, 1, nullptr), 1);
    for (auto& [move, value] : c.book) BookAdd(After(gamePosition, move), value, true);
    BookMoveList list;
    Texts offered;
    for (int i = 0, n = ShowBookMoveCount(gamePosition, list); i < n; ++i) {
      offered.push_back(test::CoordinateOf(list.Candidate(i)));
      EXPECT_EQ(list.value[i], BookLookup(After(gamePosition, offered.back())));
    }
    // In generation order, which the legal moves keep.
    Texts expected;
    for (Move m : test::LegalMoves(gamePosition))
      if (std::count(c.offered.begin(), c.offered.end(), test::CoordinateOf(m))) expected.push_back(test::CoordinateOf(m));
    EXPECT_EQ(offered, expected) << c.fen;
    PromotionChoice = 0;
    const int before = HistoryCount();
    EXPECT_EQ(ChooseBookMove(gamePosition), c.chosen) << c.fen;
    EXPECT_EQ(HistoryCount(), c.chosen == BookEmptyValue ? before : static_cast<int>(c.moves.size()) + 1) << c.fen;
    EXPECT_EQ(LastRecordedText(), c.recorded) << c.fen;
  }
}

// The share of choices that fall on `favourite` among the book moves of `fen`. With a fixed
// sequence of seeds the shares are fixed numbers; the bounds below sit four standard deviations
// around the expected shares and far from those of a plain pick.
double ShareChosen(const char* fen, const std::vector<std::pair<std::string, int>>& book, const std::string& favourite) {
  BookCreate();
  const Position p = test::FromFen(fen);
  for (auto& [move, value] : book) BookAdd(After(p, move), value, true);
  clockNoise.seed(20240611);
  SetClockSource(&NoisyClock);
  int hits = 0;
  for (int i = 0; i < 3000; ++i) {
    ResetGameRecord(&p);
    EXPECT_NE(ChooseBookMove(gamePosition), BookEmptyValue);
    hits += test::ToFen(gamePosition) == test::ToFen(After(p, favourite));
  }
  SetClockSource(nullptr);
  return hits / 3000.0;
}

TEST_F(BookChoiceTest, StronglyMarkedMovesArePreferred) {
  // Values 2, 0, 0: the 2 stands when any of three picks finds it, 1 - (2/3)^3 = 19/27; one
  // pick would give 1/3, two 5/9. Black likewise with -2.
  EXPECT_NEAR(ShareChosen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -",
                          {{"c7c5", -2}, {"e7e5", 0}, {"e7e6", 0}}, "c7c5"), 19.0 / 27, 0.035);
  // Values 1 and 0: the first pick is always redrawn and a 0 drawn then once more: 1/2 + 1/4.
  EXPECT_NEAR(ShareChosen(StartFen, {{"c2c4", 1}, {"g2g3", 0}}, "c2c4"), 0.75, 0.03);
}

} // namespace
} // namespace kestrin
