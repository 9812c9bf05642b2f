#include <gtest/gtest.h>

#include "board/position.h"
#include "board/randomkeys.h"
#include "board/tables.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

TEST(BoardTables, InitialArray) {
  Position p;
  SetStartPosition(p);
  EXPECT_EQ(p.board[96], WhiteKing);
  EXPECT_EQ(p.whitePieceList[KingSlot], 96);
  EXPECT_EQ(p.board[26], BlackKing);
  EXPECT_EQ(p.blackPieceList[KingSlot], 26);
  EXPECT_EQ(p.sideToMove, White);
  EXPECT_EQ(p.epSquare, NoEpSquare);
  EXPECT_EQ(p.plyCount, 1);
  EXPECT_EQ(p.irreversiblePly, 1);
  EXPECT_EQ(p.whitePieceList[12], A1);
  EXPECT_EQ(p.whitePieceList[13], H1);
  EXPECT_EQ(p.blackPieceList[8], B8);
  EXPECT_EQ(p.whitePieceList[3], 85); // d2
  int playing = 0;
  for (int s = 0; s < BoardSize; ++s) {
    if (RankOf[s]) ++playing;
    else EXPECT_EQ(p.board[s], OffBoard) << s;
  }
  EXPECT_EQ(playing, 64);
  EXPECT_EQ(test::ConsistencyProblems(p), "");
  EXPECT_EQ(p.materialScore, 0);
  EXPECT_EQ(p.pstScore, 0);
  EXPECT_EQ(test::ToFen(p), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
}

TEST(BoardTables, SquaresAndLines) {
  EXPECT_EQ(SquareAt(0, 8), 22);
  EXPECT_EQ(SquareAt(7, 1), 99);
  EXPECT_EQ(RankOf[E1], 1);
  EXPECT_EQ(FileOf[E1], 5);
  EXPECT_EQ(RankOf[21], 0);
  EXPECT_EQ(FileOf[100], 0);
  EXPECT_EQ(DirectionOf(A8, H1), 11);
  EXPECT_EQ(DirectionOf(H8, A1), 9);
  EXPECT_EQ(DirectionOf(E1, E8), -10);
  EXPECT_EQ(DirectionOf(A1, 73), 0); // a1 to b3: a knight's jump, no line
  EXPECT_EQ(DirectionOf(A1, H1), 1);
  EXPECT_EQ(DirectionOf(H1, A1), -1);
  EXPECT_EQ(DirectionOf(E1, E1), 0);
  EXPECT_EQ(DirectionOf(H8, 30), 0); // off-board neighbour shares no line
  EXPECT_EQ(KnightStep[-19], 1u);
  EXPECT_EQ(KnightStep[-20], 0u);
  EXPECT_EQ(OrthogonalStep[-10], 1);
  EXPECT_EQ(OrthogonalStep[9], 0);
  EXPECT_EQ(DiagonalStep[9], 1);
  EXPECT_EQ(DiagonalStep[0], 0);
}

TEST(BoardTables, PieceValuesAndSquareTables) {
  EXPECT_EQ(PieceValue[WhiteKnight], 315);
  EXPECT_EQ(PieceValue[BlackRook], -504);
  EXPECT_EQ(PieceValue[OffBoard], 0);
  // White tables by rank and file, black tables mirrored and negated.
  EXPECT_EQ(PieceSquareTable[WhiteKnight][SquareAt(3, 6)], 24);  // d6
  EXPECT_EQ(PieceSquareTable[WhiteKnight][SquareAt(1, 1)], -14); // b1
  EXPECT_EQ(PieceSquareTable[BlackKnight][SquareAt(1, 8)], 14);  // b8
  EXPECT_EQ(PieceSquareTable[WhiteRook][SquareAt(4, 7)], 30);
  EXPECT_EQ(PieceSquareTable[BlackRook][SquareAt(4, 2)], -30);
  EXPECT_EQ(PieceSquareTable[WhiteKing][SquareAt(0, 4)], -40);
  EXPECT_EQ(PieceSquareTable[WhiteKing][SquareAt(6, 1)], 10);
  EXPECT_EQ(PieceSquareTable[WhiteQueen][SquareAt(0, 4)], -2);
  EXPECT_EQ(PieceSquareTable[WhiteBishop][SquareAt(1, 1)], -13);
  for (int s = 0; s < 128; ++s) {
    EXPECT_EQ(PieceSquareTable[WhitePawn][s], 0);
    for (int code = 0; code < 16 && !RankOf[s]; ++code) EXPECT_EQ(PieceSquareTable[code][s], 0);
  }
}

TEST(RandomKeys, FixedValues) {
  EXPECT_EQ(BlackPawnKeys[0], 0xFB53E8E5u);
  EXPECT_EQ(WhitePawnKeys[0], 0x0E523EC2u);
  EXPECT_EQ(HashKeyTable[0], 0x0FAC1456u);
  EXPECT_EQ(HashLockTable[0], 0x0D3F196Eu);
  EXPECT_EQ(HashKeyTable[8], 0x587E0CE3u);
  EXPECT_EQ(HashLockTable[8], 0x0770F9A3u);
}

TEST(RandomKeys, CastlingStatesThreeAndFourShareTheirKeys) {
  for (int k = 0; k < 4; ++k) EXPECT_EQ(HashKeyTable[4 + 8 * k], HashKeyTable[3 + 8 * k]);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(HashKeyTable[32 + k], HashKeyTable[24 + k]);
  EXPECT_EQ(HashKeyTable[36], HashKeyTable[27]);
  EXPECT_NE(HashLockTable[4], HashLockTable[3]);
  EXPECT_NE(HashLockTable[36], HashLockTable[27]);
  EXPECT_NE(HashKeyTable[5], HashKeyTable[3]);
}

TEST(RandomKeys, RefillingGivesTheSameTables) {
  u32 before = HashLockTable[2047] ^ WhitePawnKeys[127];
  InitHashKeys();
  EXPECT_EQ(before, HashLockTable[2047] ^ WhitePawnKeys[127]);
}

} // namespace
} // namespace kestrin
