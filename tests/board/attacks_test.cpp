#include <gtest/gtest.h>

#include "board/attacks.h"
#include "board/makemove.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

using test::FromFen;

int ChecksAfter(Position p, const std::string& coordinates) {
  Move m = test::FindMove(p, coordinates);
  int side = p.sideToMove;
  MoveUndo undo;
  u32 moveClass = MakeMove(p, m, undo, Queen);
  return CountChecksGiven(side, p, m, moveClass);
}

TEST(Attacks, EveryKindOfAttacker) {
  struct Case {
    const char* fen;
    int square, side, expected;
  };
  const Case cases[] = {
      {"4k3/8/8/8/8/8/8/4K1N1 w - -", SquareAt(5, 3), Black, 1}, // knight g1 -> f3
      {"4k3/8/8/8/8/8/4P3/4K3 w - -", SquareAt(3, 3), Black, 1}, // pawn e2 -> d3
      {"4k3/8/8/8/8/8/4P3/4K3 w - -", SquareAt(4, 3), Black, 0}, // not straight ahead
      {"4k3/4p3/8/8/8/8/8/4K3 w - -", SquareAt(5, 6), White, 1}, // black pawn e7 -> f6
      {"4k3/4p3/8/8/8/8/8/4K3 w - -", SquareAt(4, 6), White, 0}, // not straight ahead
      {"4k3/8/8/8/8/8/8/B3K3 w - -", SquareAt(7, 8), Black, 1},  // bishop along the long diagonal
      {"4k3/8/8/8/8/2P5/8/B3K3 w - -", SquareAt(7, 8), Black, 0},
      {"4k3/8/8/8/8/8/8/R3K3 w - -", SquareAt(0, 8), Black, 1},
      {"4k3/8/8/8/8/8/8/R3K3 w - -", SquareAt(1, 2), Black, 0},
      {"4k3/8/8/8/8/8/8/Q3K3 w - -", SquareAt(7, 8), Black, 1},
      {"4k3/8/8/8/8/8/8/Q3K3 w - -", SquareAt(0, 5), Black, 1},
      {"4k3/8/8/8/8/8/8/4K3 w - -", SquareAt(4, 2), Black, 1}, // king neighbour
      {"4k3/8/8/8/8/8/8/4K3 w - -", SquareAt(4, 3), Black, 0},
      {"4k3/8/8/8/8/8/8/4K3 w - -", SquareAt(4, 2), White, 0}, // own men do not count
      {"4k3/8/8/8/8/8/8/4K1N1 w - -", SquareAt(5, 3), White, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(IsSquareAttacked(FromFen(c.fen), c.square, c.side), c.expected) << c.fen;
}

TEST(Attacks, PinsAreIgnoredByTheSquareTest) {
  // The e5 knight is pinned to the black king by the e1 rook, yet it attacks d3.
  Position p = FromFen("4k3/8/8/4n3/8/8/8/K3R3 w - -");
  EXPECT_EQ(IsSquareAttacked(p, SquareAt(3, 3), White), 1);
  EXPECT_EQ(IsInCheck(Black, p), 0);
  EXPECT_EQ(IsInCheck(White, p), 0);
  Position check = FromFen("4k3/8/8/8/8/8/8/K3R3 b - -");
  EXPECT_EQ(IsInCheck(Black, check), 1);
}

TEST(Attacks, ExposesOwnKing) {
  Position p = FromFen("4k3/4r3/8/8/8/8/4R3/4K3 w - -");
  // The pinned rook may move along the pin line but not off it.
  EXPECT_EQ(ExposesOwnKing(White, p, test::FindMove(p, "e2e5")), 0);
  EXPECT_EQ(ExposesOwnKing(White, p, test::FindMove(p, "e2e7")), 0);
  EXPECT_EQ(ExposesOwnKing(White, p, test::FindMove(p, "e2d2")), 1);
  Position diagonal = FromFen("4k3/8/8/b7/8/8/3N4/4K3 w - -");
  EXPECT_EQ(ExposesOwnKing(White, diagonal, test::FindMove(diagonal, "d2f3")), 1);
  Position shielded = FromFen("4k3/8/8/b7/1P6/8/3N4/4K3 w - -");
  EXPECT_EQ(ExposesOwnKing(White, shielded, test::FindMove(shielded, "d2f3")), 0);
  // A rook behind on a diagonal or a bishop on a file pins nothing.
  Position wrongSlider = FromFen("4k3/8/8/r7/8/8/3N4/4K3 w - -");
  EXPECT_EQ(ExposesOwnKing(White, wrongSlider, test::FindMove(wrongSlider, "d2f3")), 0);
  Position black = FromFen("4k3/8/4n3/8/8/8/8/K3Q3 b - -");
  EXPECT_EQ(ExposesOwnKing(Black, black, test::FindMove(black, "e6c5")), 1);
}

TEST(Attacks, CountChecksGiven) {
  // Knight check plus the rook behind it: double check.
  EXPECT_EQ(ChecksAfter(FromFen("4k3/8/8/8/4N3/8/8/K3R3 w - -"), "e4d6"), 2);
  EXPECT_EQ(ChecksAfter(FromFen("4k3/8/8/8/4N3/8/8/K3R3 w - -"), "e4f2"), 1); // discovered only
  EXPECT_EQ(ChecksAfter(FromFen("4k3/8/8/8/8/8/8/K3N3 w - -"), "e1d3"), 0);
  EXPECT_EQ(ChecksAfter(FromFen("4k3/8/8/8/8/8/8/K3N3 w - -"), "e1f3"), 0);
  EXPECT_EQ(ChecksAfter(FromFen("4k3/8/8/8/8/8/8/K4N2 w - -"), "f1d2"), 0);
  EXPECT_EQ(ChecksAfter(FromFen("4k3/8/8/8/4N3/8/8/K7 w - -"), "e4d6"), 1);
  // Castling checks through the rook on f1.
  EXPECT_EQ(ChecksAfter(FromFen("5k2/8/8/8/8/8/8/4K2R w K -"), "e1g1"), 1);
  EXPECT_EQ(ChecksAfter(FromFen("6k1/8/8/8/8/8/8/4K2R w K -"), "e1g1"), 0);
  // A king move that uncovers nothing.
  EXPECT_EQ(ChecksAfter(FromFen("4k3/8/8/8/8/8/8/K7 w - -"), "a1b2"), 0);
  // A king move that uncovers a bishop.
  EXPECT_EQ(ChecksAfter(FromFen("7k/8/8/8/8/8/1K6/B7 w - -"), "b2c2"), 1);
  // Pawn checks and sliders by type.
  EXPECT_EQ(ChecksAfter(FromFen("4k3/8/8/3P4/8/8/8/K7 w - -"), "d5d6"), 0);
  EXPECT_EQ(ChecksAfter(FromFen("4k3/8/3P4/8/8/8/8/K7 w - -"), "d6d7"), 1);
  EXPECT_EQ(ChecksAfter(FromFen("4k3/8/8/8/8/8/8/K2Q4 w - -"), "d1d7"), 1);
  EXPECT_EQ(ChecksAfter(FromFen("4k3/8/8/8/8/8/8/K2Q4 w - -"), "d1d6"), 0);
  EXPECT_EQ(ChecksAfter(FromFen("4k3/8/8/8/8/8/4B3/K7 w - -"), "e2b5"), 1);
  EXPECT_EQ(ChecksAfter(FromFen("4k3/8/8/8/8/8/8/K2R4 w - -"), "d1e1"), 1);
  // Black pieces too.
  EXPECT_EQ(ChecksAfter(FromFen("k2r4/8/8/8/8/8/8/4K3 b - -"), "d8e8"), 1);
  EXPECT_EQ(ChecksAfter(FromFen("k7/8/8/8/8/8/3p4/4K3 b - -"), "d2d1"), 1); // the new queen checks
  EXPECT_EQ(ChecksAfter(FromFen("k7/8/8/8/8/8/3p4/6K1 b - -"), "d2d1"), 1);
  EXPECT_EQ(ChecksAfter(FromFen("k7/8/8/8/8/8/3p4/5K2 b - -"), "d2d1"), 1);
}

TEST(Attacks, EnPassantDiscoveries) {
  // Taking en passant opens the fifth rank for the rook; the captured pawn's line and the
  // from-square's line are one here, so the rook counts once.
  EXPECT_EQ(ChecksAfter(FromFen("8/8/8/1k1pP2R/8/8/8/4K3 w - d6"), "e5d6"), 1);
  // The bishop on h1 sees c6 once the captured pawn on d5 is gone.
  EXPECT_EQ(ChecksAfter(FromFen("8/8/2k5/3pP3/8/8/8/4K2B w - d6"), "e5d6"), 1);
  // Pawn check plus the rook behind the vacated square: two checks.
  EXPECT_EQ(ChecksAfter(FromFen("8/4k3/8/3pP3/8/8/8/K3R3 w - d6"), "e5d6"), 2);
}

} // namespace
} // namespace kestrin
