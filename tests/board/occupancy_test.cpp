#include <gtest/gtest.h>

#include <utility>

#include "board/occupancy.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

// The first man along a ray by walking the mailbox, or 0 when the walk leaves the board.
int WalkToFirstMan(const u8* board, int from, int step) {
  int s = from + step;
  while (board[s] == Empty) s += step;
  return board[s] == OffBoard ? 0 : s;
}

template <int Step>
void ExpectRayAgrees(const Position& p, int from, const char* where) {
  const int found = FirstOccupied<Step>(OccupiedSquares(p.board), from);
  const int walked = WalkToFirstMan(p.board, from, Step);
  if (walked != 0) {
    EXPECT_EQ(found, walked) << where << " from " << from << " step " << Step;
  } else {
    // No man on the ray: what is returned must hold nothing to take, the empty last square of the
    // ray or, with no square beyond the edge, the square itself.
    EXPECT_TRUE(found == from || (found != 0 && p.board[found] == Empty))
        << where << " from " << from << " step " << Step << " gave " << found;
  }
}

// Full boards, empty ones, men on every edge and random fills: for every square and every
// direction the scan of the occupied squares finds the man a walk over the mailbox finds.
TEST(Occupancy, FirstManAlongEveryRayAgreesWithAWalk) {
  const char* fens[] = {
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
      "k7/8/8/8/8/8/8/7K w - -",
      "qrbnnbrk/r6q/b6b/n6n/N6N/B6B/R6Q/QRBNNBRK w - -", // every edge square held
      "7k/8/8/3Q4/8/8/8/K7 w - -",
  };
  std::vector<Position> boards = test::RandomBoards(200, 2026);
  for (const char* fen : fens) boards.push_back(test::FromFen(fen));
  for (const Position& p : boards) {
    const std::string fen = test::ToFen(p);
    u64 expected = 0;
    for (int row = 0; row < 8; ++row)
      for (int file = 0; file < 8; ++file)
        if (p.board[SquareOf(file, row)] != Empty) expected |= u64(1) << (8 * row + file);
    ASSERT_EQ(OccupiedSquares(p.board), expected) << fen;
    for (int row = 0; row < 8; ++row)
      for (int file = 0; file < 8; ++file) {
        const int from = SquareOf(file, row);
        [&]<int... Steps>(std::integer_sequence<int, Steps...>) {
          (ExpectRayAgrees<Steps>(p, from, fen.c_str()), ...);
        }(std::integer_sequence<int, 1, -1, 9, -9, 10, -10, 11, -11>{});
      }
  }
}

} // namespace
} // namespace kestrin
