#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "board/attacks.h"
#include "board/legality.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

using test::FromFen;

std::vector<Move> SortedCaptures(const MoveList& list) {
  std::vector<Move> moves(list.moves + 1, list.moves + 1 + list.captureCount);
  std::sort(moves.begin(), moves.end());
  return moves;
}

// Walks the legal tree. After every move the kept fields equal a recomputation from the board,
// the check it reports agrees with the check test (an independent attack scan), and the search's take-back (tail
// snapshot plus undo squares) restores the position byte for byte. At every node the capture
// generator yields exactly the captures of the full generator.
void WalkTree(Position& p, int depth, int& nodes) {
  const int side = p.sideToMove;
  MoveList list, captures;
  GenerateMoves(side, p, list);
  captures.inCheck = list.inCheck;
  GenerateCaptures(side, p, captures);
  ASSERT_EQ(SortedCaptures(captures), SortedCaptures(list)) << test::ToFen(p);
  if (depth == 0) return;
  const CheckState check = FindCheckState(p, side);
  ForEachMove(list, [&](Move m) {
    // Judging a move without making it agrees with making it, in check or not.
    ASSERT_EQ(IsLegalEvasion(p, m, side, check), IsLegalMove(p, m, side)) << test::ToFen(p) << " " << test::CoordinateOf(m);
    if (list.inCheck == 0) {
      ASSERT_EQ(IsLegalOutOfCheck(p, m, side), IsLegalMove(p, m, side)) << test::ToFen(p) << " " << test::CoordinateOf(m);
    }
    for (int type : {Queen, Knight}) {
      if (::testing::Test::HasFailure()) return;
      if (type == Knight && !IsPromotion(p, m)) break;
      const Position before = p;
      MoveUndo undo;
      const u32 moveClass = MakeMove(p, m, undo, type);
      const std::string where = test::ToFen(before) + " " + test::CoordinateOf(m);
      ASSERT_TRUE(test::ConsistencyProblems(p).empty() && p.pawnKey == PawnKeyOf(p)) << where << test::ConsistencyProblems(p);
      // A capture or a pawn move restarts the fifty-move count.
      const bool irreversible =
          !IsCastling(m) && (before.board[MoveTo(m)] != Empty || (before.board[MoveFrom(m)] & 7) == Pawn);
      ASSERT_EQ(p.irreversiblePly, irreversible ? p.plyCount + 1 : before.irreversiblePly) << where;
      ASSERT_TRUE(p.plyCount == before.plyCount + 1 && p.sideToMove == 3 - side) << where;
      // A side keeps a castling right only while its rook stands in that corner.
      for (int s : {White, Black}) {
        const int rook = Rook + (s == White ? 0 : BlackOffset), shift = s == White ? 0 : -70;
        const int state = p.castleState[s - 1];
        ASSERT_TRUE(state >= CastleNone || ((p.board[H1 + shift] == rook || (state & 2)) &&
                                            (p.board[A1 + shift] == rook || (state & 1)))) << where;
      }
      if (!IsInCheck(side, p)) {
        ++nodes;
        ASSERT_EQ(CountChecksGiven(side, p, m, moveClass) > 0, IsInCheck(3 - side, p)) << where;
        WalkTree(p, depth - 1, nodes);
      }
      RestoreSquares(p, undo);
      std::memcpy(reinterpret_cast<u8*>(&p) + PositionTailOffset,
                  reinterpret_cast<const u8*>(&before) + PositionTailOffset, PositionTailSize);
      p.board[0] = before.board[0]; // the one byte a take-back may write and nothing reads
      ASSERT_EQ(std::memcmp(&p, &before, sizeof p), 0) << where;
    }
  });
}

TEST(MakeMove, KeptFieldsChecksAndTakeBackAlongLegalTrees) {
  for (const char* fen : {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
                          "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
                          "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
                          "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
                          "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -", "8/8/8/1k1pP2R/8/8/8/4K3 w - d6",
                          "8/4k3/8/3pP3/8/8/8/K3R3 w - d6", "r3k2r/1P4P1/8/8/8/8/1p4p1/R3K2R w KQkq -",
                          // double check: taking or blocking one checker leaves the other
                          "4r2k/8/8/8/1b6/3N4/R7/4K3 w - -"}) {
    Position p = FromFen(fen);
    int nodes = 0;
    WalkTree(p, 3, nodes);
    EXPECT_GT(nodes, 100) << fen;
  }
}

} // namespace
} // namespace kestrin
