#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "board/movegen.h"
#include "search/ordering.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

using test::FromFen;
using Texts = std::vector<std::string>;

u16 Low(const Position& p, const std::string& coordinates) { return LowMove(test::FindMove(p, coordinates)); }

Texts Ordered(const MoveList& list) {
  Texts texts;
  for (u32 i = 0; i < list.quietCount; ++i) texts.push_back(test::CoordinateOf(list.moves[i]));
  return texts;
}

MoveList Generated(const Position& p) {
  MoveList list;
  GenerateMoves(p.sideToMove, p, list);
  return list;
}

TEST(MoveOrdering, CapturesByVictimThenAttacker) {
  // Pawn takes queen (8 x 960 - 100 = 7580) before queen takes pawn (800 - 960 = -160).
  // The king taking the pawn scores lowest of all (800 - 4000).
  Position p = FromFen("4k3/8/8/3q4/2P5/8/3p4/3QK3 w - -");
  MoveList list = Generated(p);
  ScoreCaptures(list, p);
  Texts captures;
  for (u32 i = 1; i <= list.captureCount; ++i) captures.push_back(test::CoordinateOf(list.moves[i]));
  EXPECT_EQ(captures, (Texts{"c4d5", "d1d2", "e1d2"}));
  // Equal scores keep generation order: two knights taking the same kind of piece.
  Position knights = FromFen("4k3/8/2r1r3/8/3N4/8/8/4K3 w - -");
  MoveList equal = Generated(knights);
  Texts before;
  for (u32 i = 1; i <= equal.captureCount; ++i) before.push_back(test::CoordinateOf(equal.moves[i]));
  ScoreCaptures(equal, knights);
  Texts after;
  for (u32 i = 1; i <= equal.captureCount; ++i) after.push_back(test::CoordinateOf(equal.moves[i]));
  EXPECT_EQ(before, after);
  EXPECT_EQ(after.size(), 2u);
}

TEST(MoveOrdering, HashMoveFirstAndListedOnce) {
  Position p = FromFen("4k3/8/8/3p4/4P3/8/8/R3K3 w Q -");
  MoveList list = Generated(p);
  const u32 count = list.captureCount + list.quietCount;
  ScoreCaptures(list, p);
  const u16 hash = Low(p, "a1a7");
  OrderMoves(hash, list, NoMove16, p);
  Texts order = Ordered(list);
  ASSERT_EQ(order.size(), count);
  EXPECT_EQ(order[0], "a1a7");
  EXPECT_EQ(order[1], "e4d5");
  EXPECT_EQ(list.captureCount, 2u); // hash move and the capture
  EXPECT_EQ(std::count(order.begin(), order.end(), "a1a7"), 1);
  // A killer equal to the hash move is used once, as the hash move.
  MoveList again = Generated(p);
  ScoreCaptures(again, p);
  OrderMoves(hash, again, hash, p);
  EXPECT_EQ(Ordered(again), order);
  EXPECT_EQ(again.captureCount, 2u);
}

TEST(MoveOrdering, HashAndKillerNeighboursEachListedOnce) {
  Position p;
  SetStartPosition(p);
  MoveList list = Generated(p);
  ScoreCaptures(list, p);
  OrderMoves(Low(p, "e2e3"), list, Low(p, "e2e4"), p);
  Texts order = Ordered(list);
  ASSERT_EQ(order.size(), 20u);
  EXPECT_EQ(order[0], "e2e3");
  EXPECT_EQ(order[1], "e2e4");
  EXPECT_EQ(list.captureCount, 2u);
  Texts sorted = order;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::unique(sorted.begin(), sorted.end()), sorted.end());
  EXPECT_EQ(order[2], "a2a3"); // the rest in generation order
  // A hash move or killer that is not generated is not used.
  MoveList plain = Generated(p);
  ScoreCaptures(plain, p);
  OrderMoves(0x4040, plain, 0x3030, p);
  EXPECT_EQ(Ordered(plain)[0], "a2a3");
  EXPECT_EQ(plain.captureCount, 0u);
}

TEST(MoveOrdering, EvasionsKeepOnlyLegalMoves) {
  // Checkmate: no legal move remains.
  Position mate = FromFen("R5k1/5ppp/8/8/8/8/8/6K1 b - -");
  MoveList list = Generated(mate);
  ASSERT_EQ(list.inCheck, 1u);
  ScoreCaptures(list, mate);
  Position before = mate;
  OrderEvasions(NoMove16, list, mate);
  EXPECT_EQ(list.quietCount, 0u);
  EXPECT_EQ(std::memcmp(&before, &mate, sizeof mate), 0);
  // Check by a rook along the first rank: take it or step off the rank (f1 and d1 stay
  // attacked once the king has left e1); the hash move comes first when legal.
  Position check = FromFen("4k3/8/8/8/8/8/2N5/r3K3 w - -");
  MoveList evasions = Generated(check);
  ScoreCaptures(evasions, check);
  OrderEvasions(Low(check, "e1e2"), evasions, check);
  Texts order = Ordered(evasions);
  EXPECT_EQ(order, (Texts{"e1e2", "c2a1", "e1f2", "e1d2"}));
  EXPECT_EQ(evasions.captureCount, 2u);
  // An en-passant capture that removes the checking pawn is legal.
  Position ep = FromFen("8/8/8/2k5/3Pp3/8/8/4K3 b - d3");
  MoveList epList = Generated(ep);
  ASSERT_EQ(epList.inCheck, 1u);
  ScoreCaptures(epList, ep);
  OrderEvasions(NoMove16, epList, ep);
  Texts epOrder = Ordered(epList);
  EXPECT_NE(std::find(epOrder.begin(), epOrder.end(), "e4d3"), epOrder.end());
  EXPECT_EQ(ep.board[SquareAt(3, 4)], WhitePawn); // restored
}

TEST(MoveOrdering, HistorySortAndKillerUpdates) {
  ClearHistoryTables();
  ResetKillers();
  Position p;
  SetStartPosition(p);
  // A quiet best move at depth 2 becomes the killer but leaves the history alone.
  UpdateKillerAndHistory(3, 2, White, Low(p, "g1f3"), p);
  EXPECT_EQ(Killers[3], Low(p, "g1f3"));
  EXPECT_EQ(WhiteHistory[SquareAt(5, 3) * 128 + G1], 0u);
  UpdateKillerAndHistory(3, 4, White, Low(p, "b1c3"), p);
  EXPECT_EQ(WhiteHistory[SquareAt(2, 3) * 128 + B1], 17u);
  UpdateKillerAndHistory(3, 3, White, Low(p, "d2d4"), p);
  EXPECT_EQ(WhiteHistory[SquareAt(3, 4) * 128 + 85], 10u);
  // A capture never becomes the killer.
  Position capture = FromFen("4k3/8/8/3p4/4P3/8/8/4K3 w - -");
  UpdateKillerAndHistory(5, 5, White, Low(capture, "e4d5"), capture);
  EXPECT_EQ(Killers[5], NoMove16);
  UpdateKillerAndHistory(6, 5, White, NoMove16, p);
  EXPECT_EQ(Killers[6], NoMove16);

  MoveList list = Generated(p);
  ScoreCaptures(list, p);
  OrderMoves(NoMove16, list, NoMove16, p);
  SortByHistory(list, White);
  Texts order = Ordered(list);
  EXPECT_EQ(order[0], "b1c3");
  EXPECT_EQ(order[1], "d2d4");
  EXPECT_EQ(order[2], "a2a3"); // equal scores keep their order
  SortByHistory(list, Black);
  EXPECT_EQ(Ordered(list), order); // Black's table is empty: nothing moves
  ClearHistoryTables();
  ResetKillers();
}

} // namespace
} // namespace kestrin
