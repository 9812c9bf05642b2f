#include <gtest/gtest.h>

#include <cstring>

#include "board/position.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

using test::FromFen;

TEST(Position, PlacePieceOnlyPlacesMenWithAFreeSlot) {
  const struct {
    const char* fen;
    const char* square;
    int code;
    int slot; // the slot that receives the man, -1 when nothing may change
  } cases[] = {
      {"4k3/8/8/8/8/8/8/4K3 w - -", "d4", WhiteKnight, 8},
      {"4k3/8/8/8/8/8/8/RR2K3 w - -", "d4", WhiteRook, 0},       // a third rook: the first pawn slot
      {"4k3/8/8/8/8/8/8/NN2K3 w - -", "d4", BlackKnight, 8},     // the other side's slots are its own
      {"4k3/8/8/8/8/8/PPPPPPPP/RR2K3 w - -", "d4", WhiteRook, -1}, // a third rook with no slot left
      {"4k3/8/8/8/8/8/8/3QK3 w - -", "d4", WhiteQueen, 0},       // a second queen: the first pawn slot
      {"4k3/8/8/8/8/8/PPPPPPPP/4K3 w - -", "d4", WhitePawn, -1}, // a ninth pawn
      {"4k3/8/8/8/8/8/8/4K3 w - -", "e1", BlackPawn, -1},        // occupied
      {"4k3/8/8/8/8/8/8/4K3 w - -", "d4", BlackKing, -1},        // a second king
      {"4k3/8/8/8/8/8/8/4K3 w - -", "d4", 1, -1},                // codes of no man
      {"4k3/8/8/8/8/8/8/4K3 w - -", "d4", 9, -1},
      {"4k3/8/8/8/8/8/8/4K3 w - -", "d4", 255, -1},
  };
  for (const auto& c : cases) {
    Position p = FromFen(c.fen);
    const Position before = p;
    const int file = c.square[0] - 'a', row = '8' - c.square[1], s = SquareOf(file, row);
    EXPECT_EQ(PlacePiece(p, file, row, c.code), c.slot >= 0) << c.fen << " " << c.code;
    if (c.slot < 0) {
      EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0) << c.fen << " " << c.code;
      continue;
    }
    EXPECT_TRUE(p.board[s] == c.code && PieceListOf(p, c.code < BlackOffset ? White : Black)[c.slot] == s) << c.fen;
    EXPECT_TRUE(test::ConsistencyProblems(p).empty() && p.pawnKey == PawnKeyOf(p)) << c.fen;
  }
}

} // namespace
} // namespace kestrin
