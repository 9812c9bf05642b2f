#include "board/position.h"

#include <cstring>

#include "board/randomkeys.h"
#include "board/tables.h"

namespace kestrin {

namespace {

void EmptyBoard(Position& p) {
  std::memset(p.board, OffBoard, sizeof p.board);
  for (int row = 0; row < 8; ++row)
    for (int file = 0; file < 8; ++file) p.board[SquareOf(file, row)] = Empty;
}

// The first free slot in [first, last], or -1.
int FreeSlot(const u8* list, int first, int last) {
  for (int slot = first; slot <= last; ++slot)
    if (list[slot] == NoSquare) return slot;
  return -1;
}

void RecomputeScores(Position& p) {
  int pst = 0, material = 0;
  for (int row = 0; row < 8; ++row)
    for (int file = 0; file < 8; ++file) {
      int code = p.board[SquareOf(file, row)];
      if (code == Empty || (code & 7) == King) continue;
      pst += PieceSquareTable[code][SquareOf(file, row)];
      material += PieceValue[code];
    }
  p.pstScore = static_cast<i16>(pst);
  p.materialScore = static_cast<i16>(material);
  p.pawnKey = PawnKeyOf(p);
}

} // namespace

void SetStartPosition(Position& p) {
  std::memset(&p, 0, sizeof p);
  EmptyBoard(p);
  static const u8 backRank[8] = {Rook, Knight, Bishop, Queen, King, Bishop, Knight, Rook};
  static const u8 backSlot[8] = {12, 8, 10, 14, 15, 11, 9, 13};
  for (int file = 0; file < 8; ++file) {
    int whitePawnSquare = SquareOf(file, 6), blackPawnSquare = SquareOf(file, 1);
    p.board[whitePawnSquare] = WhitePawn;
    p.whitePieceList[file] = static_cast<u8>(whitePawnSquare);
    p.board[blackPawnSquare] = BlackPawn;
    p.blackPieceList[file] = static_cast<u8>(blackPawnSquare);
    int whiteSquare = SquareOf(file, 7), blackSquare = SquareOf(file, 0);
    p.board[whiteSquare] = backRank[file];
    p.whitePieceList[backSlot[file]] = static_cast<u8>(whiteSquare);
    p.board[blackSquare] = static_cast<u8>(backRank[file] + BlackOffset);
    p.blackPieceList[backSlot[file]] = static_cast<u8>(blackSquare);
  }
  p.plyCount = 1;
  p.irreversiblePly = 1;
  p.epSquare = NoEpSquare;
  p.sideToMove = White;
  p.whitePieces = p.blackPieces = 7;
  p.whitePawns = p.blackPawns = 8;
  p.whiteMinors = p.blackMinors = 4;
}

void ClearPosition(Position& p) {
  p.castleState[0] = p.castleState[1] = CastleBoth;
  p.materialScore = p.pstScore = 0;
  p.whitePieces = p.blackPieces = p.whitePawns = p.blackPawns = p.whiteMinors = p.blackMinors = 0;
  p.epSquare = NoEpSquare;
  p.sideToMove = White;
  p.plyCount = 1;
  p.irreversiblePly = 1;
  std::memset(p.whitePieceList, NoSquare, sizeof p.whitePieceList);
  std::memset(p.blackPieceList, NoSquare, sizeof p.blackPieceList);
  EmptyBoard(p);
}

bool PlacePiece(Position& p, int file, int row, int code) {
  if (file < 0 || file > 7 || row < 0 || row > 7) return false;
  int s = SquareOf(file, row);
  if (p.board[s] != Empty) return false;
  const bool white = code >= WhitePawn && code <= WhiteKing;
  const bool black = code >= BlackPawn && code <= BlackKing;
  // Anything but one of the twelve men would stand on the board without a slot, where the
  // generators and the evaluation take every code for a man.
  if (!white && !black) return false;
  u8* list = white ? p.whitePieceList : p.blackPieceList;
  const int type = code & 7;
  int slot = -1;
  switch (type) {
  case Pawn: slot = FreeSlot(list, 0, 7); break;
  case Knight: slot = FreeSlot(list, 8, 9); break;
  case Bishop: slot = FreeSlot(list, 10, 11); break;
  case Rook: slot = FreeSlot(list, 12, 13); break;
  case Queen: slot = FreeSlot(list, 14, 14); break;
  case King: slot = FreeSlot(list, 15, 15); break;
  }
  // A piece beyond its own slots stands where a promoted pawn would: in a free pawn slot.
  if (slot < 0 && type != Pawn && type != King) slot = FreeSlot(list, 0, 7);
  if (slot < 0) return false;
  list[slot] = static_cast<u8>(s);
  if (type == Pawn) {
    ++(white ? p.whitePawns : p.blackPawns);
  } else if (type != King) {
    ++(white ? p.whitePieces : p.blackPieces);
    if (type == Bishop || type == Knight) ++(white ? p.whiteMinors : p.blackMinors);
  }
  p.board[s] = static_cast<u8>(code);
  RecomputeScores(p);
  return true;
}

u32 PawnKeyOf(const Position& p) {
  u32 key = 0;
  // A promoted man keeps its pawn slot; the pawn record skips it, so the key must too.
  for (int slot = 0; slot < 8; ++slot) {
    const int white = p.whitePieceList[slot], black = p.blackPieceList[slot];
    if (white != NoSquare && p.board[white] == WhitePawn) key += WhitePawnKeys[white];
    if (black != NoSquare && p.board[black] == BlackPawn) key += BlackPawnKeys[black];
  }
  return key;
}

} // namespace kestrin
