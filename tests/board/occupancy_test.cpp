#include <gtest/gtest.h>

#include <random>

#include "board/occupancy.h"
#include "notation/fen.h"
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
  std::vector<std::string> fens = {
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
      "k7/8/8/8/8/8/8/7K w - -",
      "qqqqqqqk/q6q/q6q/q6q/q6q/q6q/q6q/KqqqqqqQ w - -",
      "7k/8/8/3Q4/8/8/8/K7 w - -",
  };
  // Random fills: the two kings and up to 30 more men, pawns off the first and last ranks.
  std::mt19937 random(2026);
  for (int n = 0; n < 200; ++n) {
    std::string rows[8];
    for (auto& row : rows) row = std::string(8, '.');
    const int men = static_cast<int>(random() % 31);
    const char kinds[] = "PNBRQpnbrq";
    for (int i = 0; i < men; ++i) {
      const char kind = kinds[random() % 10];
      const bool pawn = kind == 'P' || kind == 'p';
      rows[pawn ? 1 + random() % 6 : random() % 8][random() % 8] = kind;
    }
    rows[random() % 8][random() % 8] = 'K';
    int blackKing;
    do blackKing = static_cast<int>(random() % 64);
    while (rows[blackKing / 8][blackKing % 8] == 'K');
    rows[blackKing / 8][blackKing % 8] = 'k';
    std::string fen;
    for (int r = 0; r < 8; ++r) {
      int gap = 0;
      for (char c : rows[r]) {
        if (c == '.') { ++gap; continue; }
        if (gap) fen += std::to_string(gap);
        gap = 0;
        fen += c;
      }
      if (gap) fen += std::to_string(gap);
      fen += r < 7 ? "/" : " w - -";
    }
    fens.push_back(fen);
  }
  test::InitTablesOnce();
  int positions = 0;
  for (const std::string& fen : fens) {
    Position p{};
    if (!ReadFen(fen.data(), fen.size(), p)) continue; // a fill with more men than a side has slots
    ++positions;
    u64 expected = 0;
    for (int row = 0; row < 8; ++row)
      for (int file = 0; file < 8; ++file)
        if (p.board[SquareOf(file, row)] != Empty) expected |= u64(1) << (8 * row + file);
    ASSERT_EQ(OccupiedSquares(p.board), expected) << fen;
    for (int row = 0; row < 8; ++row)
      for (int file = 0; file < 8; ++file) {
        const int from = SquareOf(file, row);
        ExpectRayAgrees<1>(p, from, fen.c_str());
        ExpectRayAgrees<-1>(p, from, fen.c_str());
        ExpectRayAgrees<9>(p, from, fen.c_str());
        ExpectRayAgrees<-9>(p, from, fen.c_str());
        ExpectRayAgrees<10>(p, from, fen.c_str());
        ExpectRayAgrees<-10>(p, from, fen.c_str());
        ExpectRayAgrees<11>(p, from, fen.c_str());
        ExpectRayAgrees<-11>(p, from, fen.c_str());
      }
  }
  EXPECT_GT(positions, 100);
}

} // namespace
} // namespace kestrin
