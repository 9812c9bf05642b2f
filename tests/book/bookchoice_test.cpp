// Book moves: which moves the book offers in a position and how one of them is chosen.
#include <gtest/gtest.h>

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
#include "support/recordingfrontend.h"

namespace kestrin {
namespace {

const char* const StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// The position after the coordinate move `move` of `from`.
Position After(const Position& from, const std::string& move) {
  Position p = from;
  test::Play(p, move);
  return p;
}

std::vector<std::string> CandidateTexts(const Position& p, std::vector<int>* values = nullptr) {
  BookMoveList list;
  int n = BookCandidates(p, list);
  std::vector<std::string> texts;
  for (int i = 0; i < n; ++i) {
    texts.push_back(test::CoordinateOf(list.Candidate(i)));
    if (values) values->push_back(list.value[i]);
  }
  return texts;
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
};

TEST_F(BookChoiceTest, CandidatesAreTheMovesReachingBookPositionsInGenerationOrder) {
  Position start = test::FromFen(StartFen);
  BookAdd(After(start, "g1f3"), -1, true);
  BookAdd(After(start, "e2e4"), 1, true);
  BookAdd(After(start, "d2d4"), 2, true);
  // Positions that no move of the side to move reaches are not offered.
  BookAdd(After(After(start, "e2e4"), "e7e5"), 0, true);
  std::vector<int> values;
  std::vector<std::string> texts = CandidateTexts(start, &values);
  std::vector<std::string> generated = test::MoveTexts([&] {
    MoveList list;
    GenerateMoves(White, start, list);
    return list;
  }());
  // Same relative order as the generator's.
  std::vector<std::string> expected;
  for (auto& m : generated)
    if (m == "g1f3" || m == "e2e4" || m == "d2d4") expected.push_back(m);
  EXPECT_EQ(texts, expected);
  for (size_t i = 0; i < texts.size(); ++i)
    EXPECT_EQ(values[i], texts[i] == "g1f3" ? -1 : texts[i] == "e2e4" ? 1 : 2) << texts[i];

  // The side panel's count shows them all, whatever their values.
  test::RecordingScope ui;
  BookMoveList list;
  EXPECT_EQ(ShowBookMoveCount(start, list), 3);
  EXPECT_EQ(ui->LastInfo(), "# of Book Moves: 3 \n");
}

TEST_F(BookChoiceTest, EachSideTakesOnlyTheValuesOnItsSide) {
  Position start = test::FromFen(StartFen);
  BookAdd(After(start, "e2e4"), -1, true);
  BookAdd(After(start, "d2d4"), -1, true);
  Position before = gamePosition;
  EXPECT_EQ(ChooseBookMove(gamePosition), BookEmptyValue);
  EXPECT_EQ(test::ToFen(gamePosition), test::ToFen(before));
  EXPECT_EQ(HistoryCount(), 0) << "nothing recorded when the book has no move";

  // For Black the same values are welcome.
  Position afterE4 = After(start, "e2e4");
  BookAdd(After(afterE4, "e7e5"), -1, true);
  BookAdd(After(afterE4, "c7c5"), -1, true);
  ASSERT_EQ(PlayMoveText("e2e4", gamePosition, 1, nullptr), 1);
  EXPECT_EQ(ChooseBookMove(gamePosition), -1);
  ASSERT_EQ(HistoryCount(), 2);
  std::string reply(PlyText(gameHistory, 2));
  ASSERT_TRUE(reply == "e7-e5 " || reply == "c7-c5 ") << reply;
  EXPECT_EQ(test::ToFen(gamePosition), test::ToFen(After(afterE4, reply.substr(0, 2) + reply.substr(3, 2))));
  EXPECT_EQ(BookLookup(gamePosition), -1);

  // A value of 1 is White's only.
  ResetGameRecord();
  BookCreate();
  BookAdd(After(start, "c2c4"), 1, true);
  EXPECT_EQ(ChooseBookMove(gamePosition), 1);
  EXPECT_EQ(PlyText(gameHistory, 1), "c2-c4 ");
  EXPECT_EQ(CandidateTexts(gamePosition).size(), 0u);
}

TEST_F(BookChoiceTest, APositionMetEarlierInTheGameIsNotOfferedAgain) {
  Position start = test::FromFen(StartFen);
  for (const char* move : {"g1f3", "g8f6", "f3g1"}) ASSERT_EQ(PlayMoveText(move, gamePosition, 1, nullptr), 1);
  // Knight back home gives the initial position once more; the pawn move gives a new one.
  BookAdd(start, 0, true);
  BookAdd(After(gamePosition, "e7e5"), 0, true);
  EXPECT_EQ(CandidateTexts(gamePosition), std::vector<std::string>{"e7e5"});
  // The same positions at the start of a game are all new.
  Position fresh = After(After(After(start, "g1f3"), "g8f6"), "f3g1");
  fresh.plyCount = 1, fresh.irreversiblePly = 1;
  EXPECT_EQ(CandidateTexts(fresh).size(), 2u);
}

TEST_F(BookChoiceTest, AMoveThatLeavesTheKingInCheckIsNeverOffered) {
  // The e-file knight is pinned; a book entry for the position after it moved must not lure the book.
  Position p = test::FromFen("4r1k1/8/8/8/8/8/4N3/4K3 w - - 0 1");
  BookAdd(After(p, "e2c3"), 2, true);
  BookAdd(After(p, "e1d1"), 0, true);
  EXPECT_EQ(CandidateTexts(p), std::vector<std::string>{"e1d1"});
}

TEST_F(BookChoiceTest, APromotionFromTheBookBecomesAQueenAndIsRecordedAsOne) {
  Position p = test::FromFen("8/1P5k/8/8/8/8/8/4K3 w - - 0 1");
  ResetGameRecord(&p);
  BookAdd(After(p, "b7b8"), 1, true); // Play promotes to a queen
  Position asKnight = p;
  test::Play(asKnight, "b7b8", Knight);
  BookAdd(asKnight, 2, true);
  PromotionChoice = 0; // as the board view leaves it around a click
  EXPECT_EQ(CandidateTexts(gamePosition), std::vector<std::string>{"b7b8"});
  EXPECT_EQ(ChooseBookMove(gamePosition), 1);
  EXPECT_EQ(PlyText(gameHistory, 1), "b7-b8=Q");
  EXPECT_EQ(test::ToFen(gamePosition), test::ToFen(After(p, "b7b8")));
}

// How often the move of `favourite` is chosen among the book moves of `fen`, over `rounds` choices.
double ShareChosen(const char* fen, const std::vector<std::pair<std::string, int>>& book, const std::string& favourite,
                   int rounds) {
  Position p = test::FromFen(fen);
  for (auto& [move, value] : book) BookAdd(After(p, move), value, true);
  const std::string wanted = test::ToFen(After(p, favourite));
  clockNoise.seed(20240611);
  SetClockSource(&NoisyClock);
  int hits = 0;
  for (int i = 0; i < rounds; ++i) {
    ResetGameRecord(&p);
    int value = ChooseBookMove(gamePosition);
    EXPECT_NE(value, BookEmptyValue);
    hits += test::ToFen(gamePosition) == wanted;
  }
  SetClockSource(nullptr);
  return double(hits) / rounds;
}

// With a fixed sequence of seeds the shares are fixed numbers; the bounds sit four standard
// deviations around the expected shares and far from those of a plain pick.
TEST_F(BookChoiceTest, StronglyMarkedMovesArePreferred) {
  // Values 2, 0, 0: the 2 stands when any of three picks finds it, 1 - (2/3)^3 = 19/27.
  double share = ShareChosen(StartFen, {{"e2e4", 2}, {"d2d4", 0}, {"g1f3", 0}}, "e2e4", 3000);
  EXPECT_GT(share, 0.67);
  EXPECT_LT(share, 0.74) << "one pick would give 1/3, two picks 5/9";
  BookCreate();
  // Black likewise, with -2.
  share = ShareChosen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1",
                      {{"c7c5", -2}, {"e7e5", 0}, {"e7e6", 0}}, "c7c5", 3000);
  EXPECT_GT(share, 0.67);
  EXPECT_LT(share, 0.74);
  BookCreate();
  // Values 1 and 0: the first pick is always redrawn and a 0 drawn then once more: 1/2 + 1/4.
  share = ShareChosen(StartFen, {{"c2c4", 1}, {"g2g3", 0}}, "c2c4", 3000);
  EXPECT_GT(share, 0.72);
  EXPECT_LT(share, 0.78);
}

} // namespace
} // namespace kestrin
