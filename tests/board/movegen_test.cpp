#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "board/movegen.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

using test::FromFen;
using test::MoveTexts;
using Texts = std::vector<std::string>;

MoveList Generate(const Position& p, int side = 0) {
  MoveList list;
  GenerateMoves(side ? side : p.sideToMove, p, list);
  return list;
}

TEST(MoveGeneration, OpeningMovesInGenerationOrder) {
  Position p;
  SetStartPosition(p);
  MoveList list = Generate(p);
  EXPECT_EQ(list.captureCount, 0u);
  EXPECT_EQ(list.quietCount, 20u);
  EXPECT_EQ(list.inCheck, 0u);
  Texts expected = {"a2a3", "a2a4", "b2b3", "b2b4", "c2c3", "c2c4", "d2d3", "d2d4", "e2e3", "e2e4",
                    "f2f3", "f2f4", "g2g3", "g2g4", "h2h3", "h2h4", "b1c3", "b1a3", "g1h3", "g1f3"};
  EXPECT_EQ(MoveTexts(list), expected);
  // Slot numbers travel in the move word.
  EXPECT_EQ(MoveSlot(list.Quiet(1)), 0);
  EXPECT_EQ(MoveSlot(list.Quiet(20)), 9);
  test::Play(p, "e2e4");
  Texts black = MoveTexts(Generate(p));
  EXPECT_EQ(black.front(), "a7a6");
  EXPECT_EQ(black.back(), "g8h6"); // +19 before +21 from g8
}

TEST(MoveGeneration, PromotionPushAndCapturesOrder) {
  Position p = FromFen("n1b4k/1P6/8/8/8/8/8/4K3 w - -");
  MoveList list = Generate(p);
  ASSERT_GE(list.captureCount, 3u);
  EXPECT_EQ(test::CoordinateOf(list.Capture(1)), "b7b8");
  EXPECT_EQ(test::CoordinateOf(list.Capture(2)), "b7c8");
  EXPECT_EQ(test::CoordinateOf(list.Capture(3)), "b7a8");
  MoveList captures;
  GenerateCaptures(White, p, captures);
  // The capture generator stores the captures before the promotion push.
  EXPECT_EQ(MoveTexts(captures), (Texts{"b7c8", "b7a8", "b7b8"}));
  Position black = FromFen("4k3/8/8/8/8/8/1p6/N1B1K3 b - -");
  EXPECT_EQ(MoveTexts(Generate(black)).front(), "b2b1");
  MoveList blackCaptures;
  GenerateCaptures(Black, black, blackCaptures);
  EXPECT_EQ(MoveTexts(blackCaptures), (Texts{"b2a1", "b2c1", "b2b1"})); // +9 before +11
}

TEST(MoveGeneration, EnPassantTargetIsGeneratedOntoEmptySquare) {
  Position p = FromFen("4k3/1p6/8/P7/8/8/8/4K3 b - -");
  test::Play(p, "b7b5");
  EXPECT_EQ(p.epSquare, 43);
  Texts moves = MoveTexts(Generate(p));
  EXPECT_NE(std::find(moves.begin(), moves.end(), "a5b6"), moves.end());
  MoveList captures;
  GenerateCaptures(White, p, captures);
  EXPECT_EQ(MoveTexts(captures).front(), "a5b6");
}

TEST(MoveGeneration, CheckAndDoubleCheck) {
  // Rook and bishop both check the white king: only king moves.
  Position p = FromFen("4k3/8/8/8/1b6/8/8/r3K2N w - -");
  MoveList list;
  list.inCheck = 2;
  GenerateMovesGivenCheck(White, p, list);
  ForEachMove(list, [](Move m) { EXPECT_EQ(MoveSlot(m), KingSlot); });
  EXPECT_GT(list.quietCount + list.captureCount, 0u);
  // Single check: everything, king moves first, no castling.
  Position single = FromFen("4k3/8/8/8/8/8/8/r3K2R w K -");
  MoveList all = Generate(single);
  EXPECT_EQ(all.inCheck, 1u);
  EXPECT_EQ(MoveSlot(all.Quiet(1)), KingSlot);
  EXPECT_NE(MoveSlot(all.Quiet(all.quietCount)), KingSlot);
  Texts moves = MoveTexts(all);
  EXPECT_EQ(std::count(moves.begin(), moves.end(), "e1g1"), 0);
}

TEST(MoveGeneration, CastlingConditions) {
  auto castles = [](const std::string& fen) {
    Position p = FromFen(fen);
    Texts t;
    ForEachMove(Generate(p), [&](Move m) {
      if (IsCastling(m)) t.push_back(test::CoordinateOf(m));
    });
    return t;
  };
  EXPECT_EQ(castles("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -"), (Texts{"e1g1", "e1c1"}));
  EXPECT_EQ(castles("r3k2r/8/8/8/8/8/8/R3K2R b KQkq -"), (Texts{"e8g8", "e8c8"}));
  EXPECT_EQ(castles("r3k2r/8/8/8/8/8/8/R3K2R w Qk -"), (Texts{"e1c1"}));
  EXPECT_EQ(castles("r3k2r/8/8/8/8/8/8/R3K2R w - -"), Texts{});
  // f1 attacked: no short castling; d1 attacked: no long one.
  EXPECT_EQ(castles("4kr2/8/8/8/8/8/8/R3K2R w KQ -"), (Texts{"e1c1"}));
  EXPECT_EQ(castles("3rk3/8/8/8/8/8/8/R3K2R w KQ -"), (Texts{"e1g1"}));
  // b1 or g1 attacked: generated, the caller's legality test decides.
  EXPECT_EQ(castles("1r2k1r1/8/8/8/8/8/8/R3K2R w KQ -"), (Texts{"e1g1", "e1c1"}));
  // Rook not on its corner, or a man between.
  EXPECT_EQ(castles("4k3/8/8/8/8/8/8/1R2K1R1 w KQ -"), Texts{});
  EXPECT_EQ(castles("4k3/8/8/8/8/8/8/RN2K1NR w KQ -"), Texts{});
  // In check: none.
  EXPECT_EQ(castles("4k3/8/8/8/8/8/4r3/R3K2R w KQ -"), Texts{});
}

TEST(MoveGeneration, PromotedManMovesAsWhatItIs) {
  // Two queens: the second one is in a pawn slot and must move like a queen.
  Position p = FromFen("7k/8/8/8/8/8/8/Q3K2Q w - -");
  EXPECT_EQ(p.whitePieceList[QueenSlot], A1);
  EXPECT_EQ(p.whitePieceList[0], H1);
  MoveList list = Generate(p);
  int fromH1 = 0;
  ForEachMove(list, [&](Move m) { fromH1 += MoveFrom(m) == H1; });
  EXPECT_EQ(fromH1, 7 + 7 + 2); // h-file to the king on h8, the long diagonal, f1 and g1
}

TEST(MoveGeneration, LargestKnownMoveCountsAreKept) {
  // 218 legal moves for White; every one must survive in the list.
  Position p = FromFen("R6R/3Q4/1Q4Q1/4Q3/2Q4Q/Q4Q2/pp1Q4/kBNN1KB1 w - -");
  MoveList list = Generate(p);
  EXPECT_GE(list.quietCount + list.captureCount, 218u);
  // Nine queens a side, none blocked: more quiet moves than the old 99-entry half held.
  Position queens = FromFen("QQQQQQQQ/8/8/8/3Q4/8/8/K6k w - -");
  MoveList many = Generate(queens);
  EXPECT_GT(many.quietCount, 99u);
}

TEST(MoveGeneration, GeneratorsLeavePositionAndResetCounters) {
  Position p = FromFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -");
  Position before = p;
  MoveList list;
  list.spare = 7;
  list.extensionFraction = 9;
  list.inCheck = 1;
  GenerateCaptures(White, p, list);
  EXPECT_EQ(list.spare, 0u);
  EXPECT_EQ(list.extensionFraction, 0u);
  EXPECT_EQ(list.inCheck, 1u); // kept by the capture generator
  EXPECT_EQ(list.quietCount, 0u);
  EXPECT_EQ(list.captureCount, 8u);
  EXPECT_EQ(std::memcmp(&before, &p, sizeof p), 0);
}

} // namespace
} // namespace kestrin
