// The board's marks in the real window: the last move of either side, through a resize and a
// flip, and the squares the chosen man may go to, against the legal moves of the test support.
#include <QTest>

#include "board/types.h"
#include "game/commands.h"
#include "game/controller.h"
#include "ui/boardview.h"
#include "support/fixtures.h"
#include "support/legalmoves.h"
#include "windowtest.h"

namespace kestrin::test {
namespace {

int Index(const char* name) { return (name[0] - 'a') + 8 * ('8' - name[1]); }

std::set<int> Indices(std::initializer_list<const char*> names) {
  std::set<int> squares;
  for (const char* name : names) squares.insert(Index(name));
  return squares;
}

// The marks are drawn from the game record, whoever made the move: the moves here are the players'.
TEST_F(WindowTest, LastMoveOfEitherSideThroughResizeAndFlip) {
  const char* start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
  const struct { const char *fen, *moves; std::set<int> marked; } cases[] = {
      {start, "e2e4", Indices({"e2", "e4"})},
      {start, "e2e4 e7e5", Indices({"e7", "e5"})},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1g1", Indices({"e1", "f1", "g1", "h1"})},
      {"4k3/8/8/8/3p4/8/4P3/4K3 w - - 0 1", "e2e4 d4e3", Indices({"d4", "e4", "e3"})},
      {"4k3/8/8/8/8/8/4P3/4K3 b - - 0 1", "e8d8", Indices({"e8", "d8"})},
      {start, "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.moves);
    SetUpPosition(c.fen);
    for (const char* m = c.moves; m[0]; m += m[4] ? 5 : 4) Move(m[0] - 'a', '8' - m[1], m[2] - 'a', '8' - m[3]);
    for (const char* change : {"", "resize", "flip", "flip back"}) {
      if (change == std::string("resize")) window->resize(window->size() + QSize(90, 60));
      if (change[0] == 'f') Trigger(command::Flip);
      QTest::qWait(20);
      const QImage on = BoardImage();
      Trigger(command::Highlight);
      const QImage off = BoardImage();
      Trigger(command::Highlight);
      EXPECT_EQ(DifferingSquares(on, off), c.marked) << change;
    }
  }
}

TEST_F(WindowTest, TargetsOfTheChosenMan) {
  const struct { const char *fen, *square; } cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "g1"},
      {"4k3/4r3/8/8/8/8/4N3/4K3 w - - 0 1", "e2"},          // pinned: nowhere to go
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1"},        // both castlings
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5"},           // en passant
      {"1n2k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7"},            // promotion, by push and by capture
      {"4k3/8/8/8/8/8/8/4K2r w - - 0 1", "e1"},              // the king in check
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "e7"}, // the other side's man
  };
  for (int flipped : {0, 1})
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.fen) + " " + c.square + (flipped ? " flipped" : ""));
      SetUpPosition(c.fen);
      controller.boardFlipped = flipped;
      const Position position = GamePositionNow();
      const int square = SquareOf(c.square[0] - 'a', '8' - c.square[1]);
      std::set<int> expected;
      if (position.board[square] != Empty && (position.board[square] < 8) == (position.sideToMove == White)) {
        expected.insert(Index(c.square));
        for (kestrin::Move move : LegalMoves(position))
          if (IsCastling(move) ? square == position.whitePieceList[KingSlot] || square == position.blackPieceList[KingSlot]
                               : MoveFrom(move) == square)
            expected.insert((MoveTo(move) % 10 - 2) + 8 * (MoveTo(move) / 10 - 2));
      }
      window->Board()->update();
      const QImage before = BoardImage();
      Click(c.square[0] - 'a', '8' - c.square[1]);
      EXPECT_EQ(DifferingSquares(before, BoardImage()), expected);
    }
}

} // namespace
} // namespace kestrin::test
