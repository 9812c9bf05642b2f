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

Position After(const Position& from, const std::string& move, int promotion = Queen) {
  Position p = from;
  test::Play(p, move, promotion);
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
  // Starts a game at `fen`, plays `moves`, and gives the book the positions after `book`'s moves.
  void Prepare(const char* fen, const Texts& moves, const std::vector<std::pair<std::string, int>>& book) {
    const Position start = test::FromFen(fen);
    ResetGameRecord(&start);
    for (const std::string& move : moves) ASSERT_EQ(PlayMoveText(move, gamePosition, 1, nullptr), 1);
    for (auto& [move, value] : book) BookAdd(After(gamePosition, move), value, true);
  }
  test::RecordingScope ui;
};

TEST_F(BookChoiceTest, CandidatesAreTheLegalMovesToBookPositionsNotMetBefore) {
  const struct {
    const char* fen;
    Texts moves;
    std::vector<std::pair<std::string, int>> book;
    Texts offered;
  } cases[] = {
      {StartFen, {}, {{"g1f3", -1}, {"e2e4", 1}, {"d2d4", 2}}, {"g1f3", "e2e4", "d2d4"}},
      // A pinned knight's move is never offered, however strongly marked.
      {"4r1k1/8/8/8/8/8/4N3/4K3 w - -", {}, {{"e2c3", 2}, {"e1d1", 0}}, {"e1d1"}},
      // The knight's way home reaches the initial position again: not offered.
      {StartFen, {"g1f3", "g8f6", "f3g1"}, {{"f6g8", 0}, {"e7e5", 0}}, {"e7e5"}},
  };
  for (const auto& c : cases) {
    BookCreate();
    Prepare(c.fen, c.moves, c.book);
    BookMoveList list;
    Texts offered;
    for (int i = 0, n = ShowBookMoveCount(gamePosition, list); i < n; ++i) {
      offered.push_back(test::CoordinateOf(list.Candidate(i)));
      const auto entry = std::find_if(c.book.begin(), c.book.end(), [&](auto& e) { return e.first == offered.back(); });
      EXPECT_EQ(list.value[i], entry->second);
    }
    // In generation order, which the legal moves keep.
    Texts expected;
    for (Move m : test::LegalMoves(gamePosition))
      if (std::count(c.offered.begin(), c.offered.end(), test::CoordinateOf(m))) expected.push_back(test::CoordinateOf(m));
    EXPECT_EQ(offered, expected) << c.fen;
    EXPECT_EQ(ui->LastInfo(), "# of Book Moves: " + std::to_string(expected.size()) + " \n");
  }
}

TEST_F(BookChoiceTest, EachSideTakesTheValuesOnItsSideAndAPromotionIsAQueen) {
  // Values -1 are Black's only: nothing for White, a recorded move for Black; 1 is White's only.
  Prepare(StartFen, {}, {{"e2e4", -1}, {"d2d4", -1}});
  EXPECT_EQ(ChooseBookMove(gamePosition), BookEmptyValue);
  EXPECT_EQ(HistoryCount(), 0);
  Prepare(StartFen, {"e2e4"}, {{"e7e5", -1}, {"c7c5", 1}});
  EXPECT_EQ(ChooseBookMove(gamePosition), -1);
  EXPECT_EQ(PlyText(gameHistory, 2), "e7-e5 ");
  EXPECT_EQ(BookLookup(gamePosition), -1);
  // The book plays a queen whatever the board view left as the promotion choice.
  BookCreate();
  Prepare("8/1P5k/8/8/8/8/8/4K3 w - -", {}, {{"b7b8", 1}});
  BookAdd(After(gamePosition, "b7b8", Knight), 2, true);
  PromotionChoice = 0;
  EXPECT_EQ(ChooseBookMove(gamePosition), 1);
  EXPECT_EQ(PlyText(gameHistory, 1), "b7-b8=Q");
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
  EXPECT_NEAR(ShareChosen(StartFen, {{"e2e4", 2}, {"d2d4", 0}, {"g1f3", 0}}, "e2e4"), 19.0 / 27, 0.035);
  EXPECT_NEAR(ShareChosen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -",
                          {{"c7c5", -2}, {"e7e5", 0}, {"e7e6", 0}}, "c7c5"), 19.0 / 27, 0.035);
  // Values 1 and 0: the first pick is always redrawn and a 0 drawn then once more: 1/2 + 1/4.
  EXPECT_NEAR(ShareChosen(StartFen, {{"c2c4", 1}, {"g2g3", 0}}, "c2c4"), 0.75, 0.03);
}

} // namespace
} // namespace kestrin
