#include <gtest/gtest.h>

#include "board/tables.h"
#include "eval/evaluate.h"
#include "eval/pawns.h"
#include "eval_support.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

using test::FromFen;
using test::Mirrored;

class PawnStructure : public ::testing::Test {
protected:
  void SetUp() override { ResetPawnTable(); }
  static PawnEntry Of(const std::string& fen) { return EvaluatePawns(FromFen(fen)); }
};

constexpr u8 FileSet(const char* files) {
  u8 set = 0;
  for (const char* f = files; *f; ++f) set = static_cast<u8>(set | (1u << (*f - 'a')));
  return set;
}

TEST(PawnPlacement, BlackHalvesAreMirroredAndNegated) {
  test::InitTablesOnce();
  EXPECT_EQ(PawnTableKingside[0][SquareAt(6, 2)], 15);   // g2
  EXPECT_EQ(PawnTableKingside[1][SquareAt(6, 7)], -15);  // g7
  EXPECT_EQ(PawnTableKingside[0][SquareAt(7, 4)], -7);   // h4
  EXPECT_EQ(PawnTableQueenside[0][SquareAt(0, 2)], 10);  // a2
  EXPECT_EQ(PawnTableQueenside[1][SquareAt(0, 7)], -10); // a7
  EXPECT_EQ(PawnAdvance[0][SquareAt(1, 7)], 26);         // b7
  EXPECT_EQ(PawnAdvance[1][SquareAt(1, 2)], -26);        // b2
  for (int s = 0; s < 128; ++s) {
    bool backRank = RankOf[s] == 1 || RankOf[s] == 8;
    for (auto* table : {PawnTableKingside, PawnTableQueenside, PawnAdvance}) {
      if (!RankOf[s] || backRank) {
        EXPECT_EQ(table[0][s], 0) << s;
        EXPECT_EQ(table[1][s], 0) << s;
      } else {
        EXPECT_EQ(table[1][test::MirrorSquare(s)], -table[0][s]) << s;
      }
    }
  }
}

TEST_F(PawnStructure, StartPositionIsBalanced) {
  PawnEntry e = Of("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
  EXPECT_EQ(e.structure, 0);
  EXPECT_EQ(e.middlegame, 0);
  EXPECT_EQ(e.endgame, 0);
  EXPECT_EQ(e.whiteFiles, 0xFF);
  EXPECT_EQ(e.blackFiles, 0xFF);
  EXPECT_EQ(e.flags, 0);
}

TEST_F(PawnStructure, DoubledIslandsAndIsolated) {
  // White: doubled -15, one island -10, both c-pawns isolated -40; Black: one island +10.
  EXPECT_EQ(Of("4k3/1ppp4/8/8/8/2P5/2P5/4K3 w - -").structure, -55);
  // Rook pawns face to face: only the islands count.
  EXPECT_EQ(Of("4k3/p7/8/8/8/8/P7/4K3 w - -").structure, 0);
  // Three islands each, tripled f-pawns for White (2 x -15), h-pawn alone is never isolated.
  PawnEntry e = Of("4k3/p1p4p/8/8/5P2/5P2/P4P1P/4K3 w - -");
  // White: islands a, f, h -30; doubled -30; f-pawns isolated -60; f4 passed +30.
  // Black: islands a, c, h +30; c7 isolated +20; c7 passed, read at rank 2 for Black, -20.
  EXPECT_EQ(e.structure, -30 - 30 - 60 + 30 + 30 + 20 - 20);
  EXPECT_EQ(e.whiteFiles, FileSet("ah"));
  EXPECT_EQ(e.blackFiles, FileSet("ah"));
}

TEST_F(PawnStructure, PassedPawnsAndTheFileSets) {
  // e6 passed (+71) and its file leaves the White set although e3 stays behind it;
  // e3 is not passed. Doubled -15, island -10, two isolated -40.
  PawnEntry e = Of("4k3/8/4P3/8/8/4P3/8/4K3 w - -");
  EXPECT_EQ(e.structure, 71 - 15 - 10 - 40);
  EXPECT_EQ(e.whiteFiles, 0);
  EXPECT_EQ(e.blackFiles, 0);
  // A Black pawn on a neighbour file ahead of the pawn stops it being passed; one level
  // with it does not.
  EXPECT_EQ(Of("4k3/8/8/3p4/4P3/8/8/4K3 w - -").whiteFiles, FileSet("e"));
  PawnEntry level = Of("4k3/8/8/8/3pP3/8/8/4K3 w - -");
  EXPECT_EQ(level.whiteFiles, 0);
  EXPECT_EQ(level.blackFiles, 0); // d4 is passed for Black as well (rank 9 - 4 = 5: 44)
  EXPECT_EQ(level.structure, 30 - 10 - 20 - 44 + 10 + 20);
  // Black passed pawns by rank 9 - r: d2 reads the rank-7 value.
  EXPECT_EQ(Of("4k3/8/8/8/8/8/3p4/4K3 w - -").structure, -104 + 10 + 20);
}

TEST_F(PawnStructure, BackwardPawnNeedsALockedNeighbour) {
  // d3 lags behind c4 and e4 (level, so both files are examined) and c4 is locked by c5.
  // c4 -, d3 backward -20, e4 passed +30, island -10; Black c5 island +10, isolated +20.
  EXPECT_EQ(Of("4k3/8/8/2p5/2P1P3/3P4/8/4K3 w - -").structure, -20 + 30 - 10 + 10 + 20);
  // With the Black pawn one rank further back nothing is locked.
  EXPECT_EQ(Of("4k3/8/2p5/8/2P1P3/3P4/8/4K3 w - -").structure, 30 - 10 + 10 + 20);
  // Only the lagging neighbour is examined. With c4 behind e5 a lock on the e-file (e5/e6)
  // counts not, one on the c-file (c4/c5) does. Nothing is passed; White's island -10,
  // Black's two isolated pawns +60.
  EXPECT_EQ(Of("4k3/8/2p1p3/4P3/2P5/3P4/8/4K3 w - -").structure, -10 + 60);
  EXPECT_EQ(Of("4k3/8/4p3/2p1P3/2P5/3P4/8/4K3 w - -").structure, -10 - 20 + 60);
  // With e4 behind c5 it is the other way round.
  EXPECT_EQ(Of("4k3/8/2p5/2P1p3/4P3/3P4/8/4K3 w - -").structure, -10 - 20 + 60);
  EXPECT_EQ(Of("4k3/8/2p1p3/2P5/4P3/3P4/8/4K3 w - -").structure, -10 + 60);
  // A rook pawn without a neighbour is neither isolated nor backward.
  EXPECT_EQ(Of("4k3/8/8/8/8/8/7P/4K3 w - -").structure, -10 + 20);
}

TEST_F(PawnStructure, BlackTermsMirrorWhiteOnes) {
  const char* fens[] = {
      "4k3/8/8/2p5/2P1P3/3P4/8/4K3 w - -",    "4k3/8/4p3/4P3/2P5/3P4/8/4K3 w - -",
      "4k3/8/8/2p1P3/2P5/3P4/8/4K3 w - -",    "4k3/p1p4p/8/8/5P2/5P2/P4P1P/4K3 w - -",
      "r3k2r/pp3ppp/2p1p3/3pP3/1P1P4/P7/5PPP/R3K2R w KQkq -",
      "4k3/1ppp4/8/8/8/2P5/2P5/4K3 w - -",
  };
  for (const char* fen : fens) {
    Position p = FromFen(fen);
    PawnEntry e = EvaluatePawns(p), m = EvaluatePawns(Mirrored(p));
    EXPECT_EQ(m.structure, -e.structure) << fen;
    EXPECT_EQ(m.middlegame, -e.middlegame) << fen;
    EXPECT_EQ(m.endgame, -e.endgame) << fen;
    EXPECT_EQ(m.whiteFiles, e.blackFiles) << fen;
    EXPECT_EQ(m.blackFiles, e.whiteFiles) << fen;
    EXPECT_EQ(m.flags, ((e.flags & 3) << 2) | (e.flags >> 2)) << fen;
  }
}

TEST_F(PawnStructure, RookPawnFlags) {
  EXPECT_EQ(Of("4k3/8/8/8/8/7P/7P/4K3 w - -").flags, WhitePawnsOnH | BlackPawnsOnA | BlackPawnsOnH);
  EXPECT_EQ(Of("4k3/p7/8/8/8/8/8/4K3 w - -").flags, BlackPawnsOnA | WhitePawnsOnA | WhitePawnsOnH);
  EXPECT_EQ(Of("4k3/p6p/8/8/8/8/P6P/4K3 w - -").flags, 0);
  // A queen standing in a pawn slot is no pawn: the a-pawn is still every White pawn.
  Position p = FromFen("4k3/p7/8/8/8/P7/8/Q2QK3 w - -");
  ASSERT_EQ(p.whitePieceList[1], D1);
  PawnEntry e = EvaluatePawns(p);
  EXPECT_EQ(e.flags, WhitePawnsOnA | BlackPawnsOnA);
  EXPECT_EQ(e.whiteFiles, FileSet("a"));
  EXPECT_EQ(e.endgame, 6 - 4);
}

TEST_F(PawnStructure, PlacementScores) {
  // g2 and h3 by the king-side table, b7 negated from the mirrored b2 value.
  Position p = FromFen("4k3/1p6/8/8/8/7P/6P1/4K3 w - -");
  PawnEntry e = EvaluatePawns(p);
  EXPECT_EQ(e.middlegame, 15 + 5 - 0);
  EXPECT_EQ(e.endgame, 5 + 6 - 5);
  PawnSelectors = {true, true};
  e = EvaluatePawns(p);
  EXPECT_EQ(e.middlegame, 0 + 0 - 10);
}

TEST_F(PawnStructure, TheTableCachesByKey) {
  Position p = FromFen("4k3/1ppp4/8/8/8/2P5/2P5/4K3 w - -");
  PawnEntry& slot = PawnHashTable[p.pawnKey & PawnTableMask];
  EXPECT_EQ(slot.key, 0u);
  PawnEntry first = ProbePawns(p);
  EXPECT_EQ(slot.key, p.pawnKey);
  EXPECT_EQ(first.structure, -55);
  slot.structure = 1234; // a hit must come from the table, not be computed again
  EXPECT_EQ(ProbePawns(p).structure, 1234);
  Position other = p;
  other.pawnKey ^= PawnTableSize; // same slot, different key: a miss that replaces the slot
  EXPECT_EQ(ProbePawns(other).structure, -55);
  EXPECT_EQ(slot.key, other.pawnKey);
  // A zero key is never a hit, though every cleared slot carries it.
  ClearPawnTable();
  other.pawnKey = 0;
  EXPECT_EQ(ProbePawns(other).structure, -55);
}

TEST_F(PawnStructure, SelectorChangesClearTheTable) {
  Position kingSide = FromFen("r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R4RK1 w - -");
  kingSide.castleState[0] = CastleDone;
  PreparePawnSelectors(kingSide);
  EXPECT_FALSE(PawnSelectors.white);
  PawnEntry e = ProbePawns(kingSide);
  EXPECT_EQ(PawnHashTable[kingSide.pawnKey & PawnTableMask].key, kingSide.pawnKey);
  PreparePawnSelectors(kingSide); // unchanged pair: the table stays
  EXPECT_EQ(PawnHashTable[kingSide.pawnKey & PawnTableMask].key, kingSide.pawnKey);

  Position queenSide = FromFen("r3k2r/pppppppp/8/8/8/8/PPPPPPPP/2KR3R w - -");
  queenSide.castleState[0] = CastleDone;
  PreparePawnSelectors(queenSide);
  EXPECT_TRUE(PawnSelectors.white);
  EXPECT_FALSE(PawnSelectors.black);
  EXPECT_EQ(PawnHashTable[kingSide.pawnKey & PawnTableMask].key, 0u);
  // Same pawns, other table: White's rank-2 pawns now read the queen-side values.
  EXPECT_EQ(ProbePawns(queenSide).middlegame, e.middlegame - 78 + 58);

  // A king on files a-d that may still castle keeps the king-side table.
  Position uncastled = FromFen("r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R2K3R w Kkq -");
  PreparePawnSelectors(uncastled);
  EXPECT_FALSE(PawnSelectors.white);
  Position blackMoved = FromFen("r2k3r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQ -");
  PreparePawnSelectors(blackMoved);
  EXPECT_TRUE(PawnSelectors.black);
}

} // namespace
} // namespace kestrin

namespace kestrin {
namespace {

TEST(PawnCacheKey, APromotedManInAPawnSlotIsNoPawn) {
  test::InitTablesOnce();
  ResetPawnTable();
  // e8=Q, Kh7, Qe6: the queen keeps the e-pawn's slot.
  Position p = test::FromFen("6nk/p3P3/8/8/8/8/7P/4K3 w - -");
  for (const char* move : {"e7e8", "h8h7", "e8e6"}) test::Play(p, move);
  EXPECT_EQ(p.pawnKey, PawnKeyOf(p));
  p.pawnKey = PawnKeyOf(p); // as a search starts
  // The pawns of the same board with a real pawn on e6 fill the cache first.
  Position pawnOnE6 = test::FromFen("6n1/p6k/4P3/8/8/8/7P/4K3 w - -");
  ProbePawns(pawnOnE6);
  const int cached = Evaluate(p, EvalLowestBound, EvalHighestBound);
  ClearPawnTable();
  EXPECT_EQ(cached, Evaluate(p, EvalLowestBound, EvalHighestBound));
}

} // namespace
} // namespace kestrin
