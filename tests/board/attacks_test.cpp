#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "board/attacks.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

// The men of the side opposing `side` that attack `square`, found from each man's side instead
// of the square's: its steps, or its lines walked toward the square with `vacated` taken as empty.
std::vector<int> AttackersByBruteForce(const Position& p, int square, int side, int vacated) {
  const int offset = side == White ? BlackOffset : 0;
  std::vector<int> found;
  for (int row = 0; row < 8; ++row)
    for (int file = 0; file < 8; ++file) {
      const int from = SquareOf(file, row), code = p.board[from];
      if (from == square || from == vacated || code == Empty || code - offset < Pawn || code - offset > King) continue;
      const int type = code - offset, df = file - (square - 22) % 10, dr = row - (square - 22) / 10;
      bool attacks = false;
      switch (type) {
      case Pawn: attacks = std::abs(df) == 1 && dr == (offset == 0 ? 1 : -1); break; // White pawns attack upward
      case Knight: attacks = std::abs(df * dr) == 2; break;
      case King: attacks = std::abs(df) <= 1 && std::abs(dr) <= 1; break;
      default: {
        const bool straight = df == 0 || dr == 0, diagonal = std::abs(df) == std::abs(dr);
        if (!(type == Queen ? straight || diagonal : type == Rook ? straight : diagonal)) break;
        const int step = (df > 0) - (df < 0) + 10 * ((dr > 0) - (dr < 0)); // from the square to the man
        int s = square + step;
        while (s != from && (p.board[s] == Empty || s == vacated)) s += step;
        attacks = s == from;
      }
      }
      if (attacks) found.push_back(from);
    }
  return found;
}

// Random boards: whether a square is attacked (both ways of following the lines), with or
// without a vacated square, and how many
// men give check agree with the brute-force search on every square. Men on the edges, the
// king taking a slider there, and a vacated square on the line are all among them.
TEST(Attacks, ScansAgreeWithABruteForceSearch) {
  std::vector<Position> boards = test::RandomBoards(300, 77);
  boards.push_back(test::FromFen("7k/8/8/8/8/8/8/6Kr w - -"));   // the rook on the corner is taken
  boards.push_back(test::FromFen("7k/8/8/8/8/8/8/r5K1 w - -"));   // the king steps along its line
  boards.push_back(test::FromFen("q6k/8/8/8/8/8/8/7K w - -"));    // the long diagonal
  int attacked = 0, checks = 0;
  for (const Position& p : boards) {
    const std::string fen = test::ToFen(p);
    for (int side : {White, Black}) {
      const int king = KingSquare(p, side);
      for (int row = 0; row < 8; ++row)
        for (int file = 0; file < 8; ++file) {
          const int square = SquareOf(file, row);
          const bool expected = !AttackersByBruteForce(p, square, side, 0).empty();
          ASSERT_EQ(IsSquareAttacked(p, square, side) != 0, expected) << fen << " square " << square << " side " << side;
          ASSERT_EQ(IsSquareAttackedByWalk(p, square, side) != 0, expected) << fen << " square " << square;
          attacked += expected;
          // The king's own square left empty, as when it steps to `square`.
          ASSERT_EQ(IsSquareAttackedPast(p, square, side, king) != 0, !AttackersByBruteForce(p, square, side, king).empty())
              << fen << " square " << square << " side " << side << " past " << king;
        }
      const std::vector<int> checkers = AttackersByBruteForce(p, king, side, 0);
      int first = -1;
      ASSERT_EQ(FindCheckers(p, side, first), static_cast<int>(checkers.size())) << fen << " side " << side;
      if (!checkers.empty()) {
        ++checks;
        EXPECT_NE(std::find(checkers.begin(), checkers.end(), first), checkers.end()) << fen;
      }
    }
  }
  // The boards hold both kinds of answer.
  EXPECT_GT(attacked, 1000);
  EXPECT_GT(checks, 20);
}

} // namespace
} // namespace kestrin
