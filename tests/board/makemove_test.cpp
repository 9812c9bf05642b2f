#include <gtest/gtest.h>

#include <cstring>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/tables.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

using test::FromFen;

struct Made {
  u32 moveClass;
  MoveUndo undo;
};

Made Make(Position& p, const std::string& coordinates, int promotionType = Queen) {
  Made made{};
  Move m = test::FindMove(p, coordinates);
  made.moveClass = MakeMove(p, m, made.undo, promotionType);
  return made;
}

u32 Pack(int a, int b, int c = 0, int d = 0) { return u32(a) | u32(b) << 8 | u32(c) << 16 | u32(d) << 24; }

TEST(MakeMove, OpeningPawnMove) {
  Position p;
  SetStartPosition(p);
  p.pawnKey = PawnKeyOf(p);
  Made made = Make(p, "e2e4");
  EXPECT_EQ(made.moveClass, ClassOrdinary);
  EXPECT_EQ(p.epSquare, NoEpSquare); // no black pawn could take en passant
  EXPECT_EQ(p.irreversiblePly, 3);
  EXPECT_EQ(p.plyCount, 2);
  EXPECT_EQ(p.sideToMove, Black);
  EXPECT_EQ(made.undo.squares, Pack(66, 86));
  EXPECT_EQ(made.undo.pieces, Pack(0, WhitePawn));
  EXPECT_EQ(p.whitePieceList[4], 66);
  EXPECT_EQ(p.pawnKey, PawnKeyOf(p));
}

TEST(MakeMove, EnPassantShapes) {
  Position p = FromFen("4k3/3p4/8/4P3/8/8/8/4K3 b - -");
  Made step = Make(p, "d7d5");
  EXPECT_EQ(p.epSquare, 45);
  EXPECT_EQ(step.moveClass, ClassOrdinary);
  Made capture = Make(p, "e5d6");
  EXPECT_EQ(capture.moveClass, ClassEnPassant);
  EXPECT_EQ(p.board[55], Empty);
  EXPECT_EQ(p.board[45], WhitePawn);
  EXPECT_EQ(capture.undo.squares, Pack(45, 56, 55));
  EXPECT_EQ(capture.undo.pieces, Pack(0, WhitePawn, BlackPawn));
  EXPECT_EQ(p.blackPawns, 0);
  EXPECT_EQ(p.materialScore, 100);
  EXPECT_EQ(p.pawnKey, PawnKeyOf(p));
  EXPECT_EQ(test::ConsistencyProblems(p), "");
}

TEST(MakeMove, CastlingShapes) {
  struct Case {
    const char* fen;
    const char* move;
    MoveUndo undo;
    int rookSquare;
  };
  const Case cases[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", "e1g1", {Pack(96, 98, 99, 97), Pack(7, 0, 5, 0)}, F1},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", "e1c1", {Pack(96, 94, 92, 95), Pack(7, 0, 5, 0)}, D1},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", "e8g8", {Pack(26, 28, 29, 27), Pack(15, 0, 13, 0)}, F8},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", "e8c8", {Pack(26, 24, 22, 25), Pack(15, 0, 13, 0)}, D8},
  };
  for (const Case& c : cases) {
    Position p = FromFen(c.fen);
    int side = p.sideToMove;
    u16 irreversible = p.irreversiblePly;
    Made made = Make(p, c.move);
    EXPECT_EQ(made.moveClass, ClassCastling) << c.move;
    EXPECT_EQ(made.undo.squares, c.undo.squares) << c.move;
    EXPECT_EQ(made.undo.pieces, c.undo.pieces) << c.move;
    EXPECT_EQ(p.castleState[side - 1], CastleDone);
    EXPECT_EQ(p.castleState[2 - side], CastleBoth);
    EXPECT_EQ(p.irreversiblePly, irreversible);
    EXPECT_EQ(p.board[c.rookSquare] & 7, Rook);
    EXPECT_EQ(test::ConsistencyProblems(p), "") << c.move;
  }
}

TEST(MakeMove, CastlingMovesWhicheverRookSlotHoldsTheCorner) {
  // Placed h1 first, so the h-file rook sits in slot 12.
  Position p = FromFen("4k3/8/8/8/8/8/8/4K2R w K -");
  EXPECT_EQ(p.whitePieceList[12], H1);
  Make(p, "e1g1");
  EXPECT_EQ(p.whitePieceList[12], F1);
  EXPECT_EQ(test::ConsistencyProblems(p), "");
}

TEST(MakeMove, MoveClasses) {
  Position knightTakesBishop = FromFen("4k3/8/8/8/3b4/5N2/8/4K3 w - -");
  EXPECT_EQ(Make(knightTakesBishop, "f3d4").moveClass, 65u);
  Position rookTakesRook = FromFen("4k3/8/8/8/3r4/8/8/3RK3 w - -");
  EXPECT_EQ(Make(rookTakesRook, "d1d4").moveClass, 65u);
  Position queenTakesRook = FromFen("4k3/8/8/8/3r4/8/8/3QK3 w - -");
  EXPECT_EQ(Make(queenTakesRook, "d1d4").moveClass, ClassOrdinary);
  Position pawnTakesPawn = FromFen("4k3/8/8/8/3p4/4P3/8/4K3 w - -");
  EXPECT_EQ(Make(pawnTakesPawn, "e3d4").moveClass, ClassOrdinary);
  Position toSeventh = FromFen("4k3/8/4P3/8/8/8/8/4K3 w - -");
  EXPECT_EQ(Make(toSeventh, "e6e7").moveClass, ClassPawnTo7th);
  Position blackToSecond = FromFen("4k3/8/8/8/8/4p3/8/K7 b - -");
  EXPECT_EQ(Make(blackToSecond, "e3e2").moveClass, ClassPawnTo7th);
  // To the sixth: only against at most one piece, with the square ahead free and no pawn guarding.
  Position sixth = FromFen("4k3/8/8/4P3/8/8/8/r3K3 w - -");
  EXPECT_EQ(Make(sixth, "e5e6").moveClass, ClassPawnTo6th);
  Position twoPieces = FromFen("4k3/8/8/4P3/8/8/8/rn2K3 w - -");
  EXPECT_EQ(Make(twoPieces, "e5e6").moveClass, ClassOrdinary);
  Position guarded = FromFen("4k3/5p2/8/4P3/8/8/8/4K3 w - -");
  EXPECT_EQ(Make(guarded, "e5e6").moveClass, ClassOrdinary);
  Position blocked = FromFen("8/4k3/8/4P3/8/8/8/4K3 w - -");
  EXPECT_EQ(Make(blocked, "e5e6").moveClass, ClassOrdinary);
  Position blackSixth = FromFen("4k3/8/8/8/4p3/8/8/4K3 b - -");
  EXPECT_EQ(Make(blackSixth, "e4e3").moveClass, ClassPawnTo6th);
  // An en-passant capture onto the sixth rank stays an en-passant capture.
  Position ep = FromFen("4k3/3p4/8/4P3/8/8/8/4K3 b - -");
  Make(ep, "d7d5");
  EXPECT_EQ(Make(ep, "e5d6").moveClass, ClassEnPassant);
}

TEST(MakeMove, CastlingRights) {
  Position p = FromFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -");
  Position king = p;
  Make(king, "e1f1");
  EXPECT_EQ(king.castleState[0], CastleNone);
  Position rooks = p;
  Make(rooks, "h1h2");
  EXPECT_EQ(rooks.castleState[0], CastleQueenSideOnly);
  Make(rooks, "e8d8");
  EXPECT_EQ(rooks.castleState[1], CastleNone);
  Make(rooks, "a1a2");
  EXPECT_EQ(rooks.castleState[0], CastleNone);
  // Capturing on a corner removes the opponent's right there.
  Position capture = FromFen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq -");
  Make(capture, "a8a1");
  EXPECT_EQ(capture.castleState[0], CastleKingSideOnly);
  EXPECT_EQ(capture.castleState[1], CastleKingSideOnly);
  // Once no castling is left the code stays as it is.
  Position castled = FromFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -");
  Make(castled, "e1g1");
  Make(castled, "a8a1");
  EXPECT_EQ(castled.castleState[0], CastleDone);
}

TEST(MakeMove, Promotions) {
  Position p = FromFen("7k/1P6/8/8/8/8/8/4K3 w - -");
  int slot = -1;
  for (int i = 0; i < 8; ++i)
    if (p.whitePieceList[i] == 33) slot = i;
  ASSERT_GE(slot, 0);
  Position knight = p;
  Make(knight, "b7b8", Knight);
  EXPECT_EQ(knight.board[23], WhiteKnight);
  EXPECT_EQ(knight.whitePieceList[slot], 23);
  EXPECT_EQ(knight.materialScore, 315);
  EXPECT_EQ(knight.whiteMinors, 1);
  EXPECT_EQ(knight.whitePieces, 1);
  EXPECT_EQ(knight.whitePawns, 0);
  EXPECT_EQ(test::ConsistencyProblems(knight), "");
  for (int type : {Bishop, Rook, Queen}) {
    Position q = p;
    Make(q, "b7b8", type);
    EXPECT_EQ(q.board[23], type);
    EXPECT_EQ(test::ConsistencyProblems(q), "");
  }
  // The promoted man keeps its pawn slot and moves by its new code afterwards.
  Make(knight, "h8g8");
  Make(knight, "b8c6");
  EXPECT_EQ(knight.whitePieceList[slot], SquareAt(2, 6));
  Position black = FromFen("4k3/8/8/8/8/8/6p1/K7 b - -");
  Make(black, "g2g1", Rook);
  EXPECT_EQ(black.board[G1], BlackRook);
  EXPECT_EQ(black.materialScore, -504);
  EXPECT_EQ(test::ConsistencyProblems(black), "");
}

// Walks the legal tree; after every move the incremental fields must equal a recomputation,
// and the snapshot-plus-undo take-back must restore the position byte for byte.
void CheckTree(Position& p, int depth, bool promoted, int& nodes) {
  if (depth == 0) return;
  MoveList list;
  GenerateMoves(p.sideToMove, p, list);
  ForEachMove(list, [&](Move m) {
    for (int type : {Queen, Knight}) {
      Position before = p;
      bool promotes = !IsCastling(m) && (p.board[MoveFrom(m)] & 7) == Pawn && (RankOf[MoveTo(m)] % 7 == 1);
      if (type == Knight && !promotes) break;
      MoveUndo undo;
      MakeMove(p, m, undo, type);
      ++nodes;
      ASSERT_EQ(test::ConsistencyProblems(p), "") << test::ToFen(before) << " " << test::CoordinateOf(m);
      if (!promoted && !promotes) {
        ASSERT_EQ(p.pawnKey, PawnKeyOf(p));
      }
      if (!IsInCheck(before.sideToMove, p)) CheckTree(p, depth - 1, promoted || promotes, nodes);
      RestoreSquares(p, undo);
      std::memcpy(reinterpret_cast<u8*>(&p) + PositionTailOffset, reinterpret_cast<u8*>(&before) + PositionTailOffset,
                  PositionTailSize);
      ASSERT_EQ(std::memcmp(p.board + 1, before.board + 1, BoardSize - 1), 0);
      p.board[0] = before.board[0];
      ASSERT_EQ(std::memcmp(&p, &before, sizeof p), 0);
    }
  });
}

TEST(MakeMove, IncrementalFieldsAndTakeBackAlongPerftTrees) {
  const char* fens[] = {
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
      "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
      "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -",
  };
  for (const char* fen : fens) {
    Position p = FromFen(fen);
    int nodes = 0;
    CheckTree(p, 3, false, nodes);
    EXPECT_GT(nodes, 1000) << fen;
  }
}

} // namespace
} // namespace kestrin
