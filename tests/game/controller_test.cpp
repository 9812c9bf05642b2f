// The window game's rules without a window: clocks, panel texts, dialog values, the click
// sequence and the book frames.
#include <gtest/gtest.h>

#include "board/types.h"
#include "book/book.h"
#include "game/clocks.h"
#include "game/controller.h"
#include "game/dialogvalues.h"
#include "game/paneltext.h"
#include "notation/history.h"
#include "search/engine.h"
#include "support/fixtures.h"
#include "support/gamereset.h"
#include "support/recordingfrontend.h"

namespace kestrin {
namespace {

TEST(Clocks, RunningSideAndOverstepping) {
  // plies, White's and Black's used ms, running ms, minutes, increment; then the four texts.
  const struct { int plies, whiteUsed, blackUsed, runningMs, minutes, increment; const char* texts[4]; } cases[] = {
      {2, 1000, 700, 5000, 5, 5, {"4:50", "0:15", "4:58", "0:07"}},
      {4, 40000, 100, 0, 1, 0, {"0:00", "6:40", "0:59", "0:01"}}};
  for (const auto& c : cases) {
    const ClockFace f = ComputeClocks(c.plies, c.whiteUsed, c.blackUsed, c.runningMs, c.minutes, c.increment);
    const int seconds[4] = {f.whiteRemaining, f.whiteUsed, f.blackRemaining, f.blackUsed};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ClockText(seconds[i]), c.texts[i]) << "plies " << c.plies << " field " << i;
  }
}

TEST(PanelText, MaterialNamesAndDialogValues) {
  const struct { const char *fen, *material, *moveNumber; } cases[] = {
      {"4k3/pppp4/8/8/8/8/PP6/R3K3 w - - 0 1", "White:1R\nBlack:2p", "Move # 0"},
      {"4k3/8/8/8/8/8/8/Q3K2B b - - 0 1", "White:Q, 1B\nBlack:", "Move # 1"},
      {"4k3/8/8/8/8/8/4q3/3QK3 w - - 0 1", "White:\nBlack:", "Move # 0  CHECK!"}};
  for (const auto& c : cases) {
    const Position p = test::FromFen(c.fen);
    EXPECT_EQ(MaterialText(p), c.material) << c.fen;
    EXPECT_EQ(MoveNumberText(p), c.moveNumber) << c.fen;
  }
  const std::pair<const char*, long long> numbers[] = {{"", 0}, {"-4", -4}, {"99999999999999999999", 1000000000}};
  for (const auto& [text, value] : numbers) EXPECT_EQ(ParseDialogNumber(text), value) << text;
  // 18 two-byte letters are 36 bytes; the nineteenth would be split by the 37-byte limit.
  std::string accents;
  for (int i = 0; i < 20; ++i) accents += "\xc3\xa9";
  EXPECT_EQ(CleanPlayerName("Ann\n" + accents), "Ann" + accents.substr(0, 34));
}

class ControllerGame : public testing::Test {
protected:
  void SetUp() override {
    test::InitTablesOnce();
    test::ResetGame();
    ResetController();
    HumanSide = 3; // no engine thread here: the engine moves for nobody
    ReadyEvent.Set();
  }
  test::RecordingScope shown;
};

TEST_F(ControllerGame, ClicksSelectAndMove) {
  const struct { int file, row, selected, moved; } steps[] = {
      {4, 1, NoSelection, 0}, // a black pawn while White is to move
      {4, 4, NoSelection, 0}, // an empty square with nothing selected
      {4, 6, 4 + 8 * 6, 0},   // e2
      {3, 6, 3 + 8 * 6, 0},   // another own man: d2 instead
      {3, 3, 3 + 8 * 6, 0},   // d2-d5 is no move: the selection stays
      {3, 4, NoSelection, 1}, // d2-d4
      {4, 1, 4 + 8 * 1, 0},   // e7 now belongs to the side to move
      {4, 3, NoSelection, 1}, // e7-e5
      {3, 4, 3 + 8 * 4, 0},   // d4
      {4, 3, NoSelection, 1}, // dxe5
  };
  for (const auto& s : steps) {
    EXPECT_EQ(ClickSquare(s.file, s.row), s.moved) << s.file << "," << s.row;
    EXPECT_EQ(controller.selectedSquare, s.selected) << s.file << "," << s.row;
  }
  EXPECT_TRUE(SelectMoveLine(0));
  EXPECT_EQ(GamePositionNow().plyCount, 2);
  EXPECT_EQ(HistoryCount(), 3) << "browsing keeps the record";
}

TEST_F(ControllerGame, BookKeysAndFrames) {
  BookCreate();
  ASSERT_EQ(ClickSquare(4, 6), 0);
  ASSERT_EQ(ClickSquare(4, 4), 1);
  EXPECT_EQ(MainWindowKey('5'), 0);
  EXPECT_EQ(BookLookup(GamePositionNow()), 2);
  ASSERT_TRUE(Browse(103));
  ShowBookMoves();
  ASSERT_EQ(controller.bookFrames.size(), 1u);
  EXPECT_EQ(controller.bookFrames[0], std::make_pair(4 + 8 * 6, 4 + 8 * 4));
  EXPECT_EQ(shown->LastInfo(), "# of Book Moves: 1 \n");
  ASSERT_TRUE(Browse(104));
  EXPECT_EQ(MainWindowKey('6'), 0);
  EXPECT_EQ(BookLookup(GamePositionNow()), BookEmptyValue);
}

} // namespace
} // namespace kestrin
