#include <gtest/gtest.h>

#include <cstring>

#include "board/position.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

using test::FromFen;

// The initial array written directly equals the one placed man by man from its FEN text.
TEST(Position, InitialArray) {
  Position start, placed = FromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  SetStartPosition(start);
  placed.pawnKey = placed.hashKey = placed.hashLock = 0; // left to the search
  EXPECT_EQ(std::memcmp(&start, &placed, sizeof start), 0);
  EXPECT_EQ(test::ConsistencyProblems(start), "");
}

TEST(Position, PlacePieceOnlyPlacesMenWithAFreeSlot) {
  const struct {
    const char* fen;
    const char* square;
    int code;
    int slot; // the slot that receives the man, -1 when nothing may change
  } cases[] = {
      {"4k3/8/8/8/8/8/8/4K3 w - -", "d4", WhiteKnight, 8},
      {"4k3/8/8/8/8/8/8/RR2K3 w - -", "d4", WhiteRook, -1},      // a third rook
      {"4k3/8/8/8/8/8/8/3QK3 w - -", "d4", WhiteQueen, 0},       // a second queen: the first pawn slot
      {"4k3/8/8/8/8/8/PPPPPPPP/4K3 w - -", "d4", WhitePawn, -1}, // a ninth pawn
      {"4k3/8/8/8/8/8/8/4K3 w - -", "e1", BlackPawn, -1},        // occupied
      {"4k3/8/8/8/8/8/8/4K3 w - -", "d4", BlackKing, -1},        // a second king
      {"4k3/8/8/8/8/8/8/4K3 w - -", "d4", 1, -1},                // codes of no man
      {"4k3/8/8/8/8/8/8/4K3 w - -", "d4", OffBoard, -1},
      {"4k3/8/8/8/8/8/8/4K3 w - -", "d4", 9, -1},
      {"4k3/8/8/8/8/8/8/4K3 w - -", "d4", 16, -1},
      {"4k3/8/8/8/8/8/8/4K3 w - -", "d4", 255, -1},
  };
  for (const auto& c : cases) {
    Position p = FromFen(c.fen);
    const Position before = p;
    const int file = c.square[0] - 'a', row = '8' - c.square[1], s = SquareOf(file, row);
    PlacePiece(p, file, row, c.code);
    if (c.slot < 0) {
      EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0) << c.fen << " " << c.code;
      continue;
    }
    EXPECT_EQ(p.board[s], c.code) << c.fen;
    EXPECT_EQ(PieceListOf(p, c.code < BlackOffset ? White : Black)[c.slot], s) << c.fen;
    EXPECT_EQ(test::ConsistencyProblems(p), "") << c.fen;
    EXPECT_EQ(p.pawnKey, PawnKeyOf(p)) << c.fen;
  }
}

} // namespace
} // namespace kestrin
