#include "board/makemove.h"

#include <bit>

#include "board/randomkeys.h"
#include "board/slots.h"
#include "board/tables.h"

namespace kestrin {

namespace {

// Empties the first slot among those in `slots` (a bit per slot) that holds `square`.
void ClearSlotHolding(u8* list, unsigned slots, int square) {
  if (const unsigned holding = SlotsHolding(list, static_cast<u8>(square)) & slots)
    list[std::countr_zero(holding)] = NoSquare;
}

u32 MakeCastling(Position& p, int code, u32& undoSquares, u32& undoPieces) {
  struct Castling {
    u8 king, kingTo, corner, rookTo, side;
  };
  static const Castling castlings[4] = {
      {E1, G1, H1, F1, 0}, {E1, C1, A1, D1, 0}, {E8, G8, H8, F8, 1}, {E8, C8, A8, D8, 1}};
  const Castling& c = castlings[code - CastleWhiteShort];
  u8* board = p.board;
  undoSquares = c.king | (c.kingTo << 8) | (c.corner << 16) | (u32(c.rookTo) << 24);
  undoPieces = board[c.king] | (board[c.kingTo] << 8) | (board[c.corner] << 16) | (u32(board[c.rookTo]) << 24);
  u8 rook = board[c.corner];
  board[c.rookTo] = rook;
  board[c.kingTo] = board[c.king];
  board[c.king] = Empty;
  board[c.corner] = Empty;
  p.epSquare = NoEpSquare;
  u8* list = c.side == 0 ? p.whitePieceList : p.blackPieceList;
  list[KingSlot] = c.kingTo;
  // A set-up position may hold the corner rook in either rook slot; move the one that is there.
  int rookSlot = list[12] == c.corner ? 12 : list[13] == c.corner ? 13 : (code & 1) ? 12 : 13;
  list[rookSlot] = c.rookTo;
  p.castleState[c.side] = CastleDone;
  p.pstScore = static_cast<i16>(p.pstScore + PieceSquareTable[rook][c.rookTo] - PieceSquareTable[rook][c.corner]);
  return ClassCastling;
}

// What a move from or onto a square takes from each side's castling, White's in the low byte and
// Black's in the high one: a king leaving its square loses both sides (CastleNone is 3), a move
// from or onto a corner the side of that corner (2 the short, 1 the long). Nearly every move
// touches none of these squares, and one look tells.
struct CastlingLosses {
  u16 from[128];
  u16 to[128];
};
constexpr CastlingLosses Losses = [] {
  CastlingLosses t{};
  t.from[E1] = CastleNone;
  t.from[E8] = CastleNone << 8;
  for (int black = 0; black <= 1; ++black) {
    const int shift = black ? 8 : 0;
    const int shortCorner = black ? H8 : H1, longCorner = black ? A8 : A1;
    t.from[shortCorner] = t.to[shortCorner] = u16(2 << shift);
    t.from[longCorner] = t.to[longCorner] = u16(1 << shift);
  }
  return t;
}();

// A side that has castled or can no longer castle keeps its state.
inline void LoseRights(u8& state, unsigned lost) {
  if (state < CastleNone) state = static_cast<u8>(state | lost);
}

} // namespace

u32 MakeMove(Position& p, Move move, u32& undoSquares, u32& undoPieces, int promotionType) {
  const int from = MoveFrom(move), to = MoveTo(move), slot = MoveSlot(move);
  p.sideToMove = p.sideToMove == White ? Black : White;
  ++p.plyCount;
  if (from >= FirstCastleCode) return MakeCastling(p, from, undoSquares, undoPieces);

  u8* board = p.board;
  int mover = board[from];
  undoSquares = from * 256 + to;
  undoPieces = mover * 256 + board[to];
  u32 result = ClassOrdinary;
  const bool whiteMover = mover < BlackOffset;

  if (const unsigned lost = Losses.from[from] | Losses.to[to]) {
    LoseRights(p.castleState[0], lost & 0xFF);
    LoseRights(p.castleState[1], lost >> 8);
  }

  int victim = board[to];
  if (victim == Empty) {
    if (to == p.epSquare && (mover & 7) == Pawn) {
      result = ClassEnPassant;
      int c = whiteMover ? to + 10 : to - 10;
      int captured = board[c];
      undoSquares |= u32(c) << 16;
      undoPieces |= u32(captured) << 16;
      board[c] = Empty;
      if (whiteMover) {
        p.pawnKey -= BlackPawnKeys[c];
        --p.blackPawns;
        ClearSlotHolding(p.blackPieceList, 0xFFu, c);
      } else {
        p.pawnKey -= WhitePawnKeys[c];
        --p.whitePawns;
        ClearSlotHolding(p.whitePieceList, 0xFFu, c);
      }
      p.materialScore = static_cast<i16>(p.materialScore - PieceValue[captured]);
      p.pstScore = static_cast<i16>(p.pstScore - PieceSquareTable[captured][c]);
    }
  } else {
    p.irreversiblePly = static_cast<u16>(p.plyCount + 1);
    const bool whiteVictim = victim < BlackOffset;
    if ((victim & 7) == Pawn) {
      if (whiteVictim) {
        p.pawnKey -= WhitePawnKeys[to];
        --p.whitePawns;
      } else {
        p.pawnKey -= BlackPawnKeys[to];
        --p.blackPawns;
      }
    } else {
      int balance = PieceValue[victim] + PieceValue[mover];
      if (balance > -70 && balance < 70) result = static_cast<u32>(to);
      --(whiteVictim ? p.whitePieces : p.blackPieces);
      if (PieceValue[victim] > -400 && PieceValue[victim] < 400) --(whiteVictim ? p.whiteMinors : p.blackMinors);
    }
    p.materialScore = static_cast<i16>(p.materialScore - PieceValue[victim]);
    p.pstScore = static_cast<i16>(p.pstScore - PieceSquareTable[victim][to]);
    ClearSlotHolding(whiteVictim ? p.whitePieceList : p.blackPieceList, 0xFFFFu, to);
  }

  if ((mover & 7) != King)
    p.pstScore = static_cast<i16>(p.pstScore + PieceSquareTable[mover][to] - PieceSquareTable[mover][from]);
  p.epSquare = NoEpSquare;

  if (mover == WhitePawn) {
    p.pawnKey += WhitePawnKeys[to] - WhitePawnKeys[from];
    p.irreversiblePly = static_cast<u16>(p.plyCount + 1);
    if (from - to > 12 && (board[to - 1] == BlackPawn || board[to + 1] == BlackPawn)) p.epSquare = u8(from - 10);
    int rank = RankOf[to];
    if (rank == 7) {
      result = ClassPawnTo7th;
    } else if (rank == 6 && result != ClassEnPassant && p.blackPieces <= 1 && board[to - 10] == Empty &&
               board[to - 9] != BlackPawn && board[to - 11] != BlackPawn) {
      result = ClassPawnTo6th;
    } else if (rank == 8) {
      if (promotionType < Bishop || promotionType > Queen) promotionType = Queen;
      p.pawnKey -= WhitePawnKeys[to]; // the new piece keeps the slot but is no pawn
      p.materialScore = static_cast<i16>(p.materialScore + PieceValue[promotionType] - 100);
      if (promotionType < Rook) ++p.whiteMinors;
      ++p.whitePieces;
      --p.whitePawns;
      p.pstScore = static_cast<i16>(p.pstScore + PieceSquareTable[promotionType][to] - PieceSquareTable[WhitePawn][to]);
      mover = promotionType;
    }
  } else if (mover == BlackPawn) {
    p.pawnKey += BlackPawnKeys[to] - BlackPawnKeys[from];
    p.irreversiblePly = static_cast<u16>(p.plyCount + 1);
    if (to - from > 12 && (board[to - 1] == WhitePawn || board[to + 1] == WhitePawn)) p.epSquare = u8(from + 10);
    int rank = RankOf[to];
    if (rank == 2) {
      result = ClassPawnTo7th;
    } else if (rank == 3 && result != ClassEnPassant && p.whitePieces <= 1 && board[to + 10] == Empty &&
               board[to + 9] != WhitePawn && board[to + 11] != WhitePawn) {
      result = ClassPawnTo6th;
    } else if (rank == 1) {
      if (promotionType < Bishop || promotionType > Queen) promotionType = Queen;
      p.pawnKey -= BlackPawnKeys[to];
      p.materialScore = static_cast<i16>(p.materialScore + 100 - PieceValue[promotionType]);
      if (promotionType < Rook) ++p.blackMinors;
      ++p.blackPieces;
      --p.blackPawns;
      int code = promotionType + BlackOffset;
      p.pstScore = static_cast<i16>(p.pstScore + PieceSquareTable[code][to] - PieceSquareTable[BlackPawn][to]);
      mover = code;
    }
  }

  board[to] = static_cast<u8>(mover);
  board[from] = Empty;
  (whiteMover ? p.whitePieceList : p.blackPieceList)[slot] = static_cast<u8>(to);
  return result;
}

} // namespace kestrin
