// Making a move on a position. There is no unmake: callers work on a copy, or restore
// the 64-byte tail from a snapshot and write the MoveUndo pairs back onto the board.
#pragma once

#include "board/position.h"

namespace kestrin {

// Byte i of `squares` is a changed square, byte i of `pieces` what it held before; unused pairs are 0.
struct MoveUndo {
  u32 squares;
  u32 pieces;
};

// Applies a generated move of the side to move. `promotionType` (3 bishop, 4 knight, 5 rook,
// 6 queen) is the white type a promoting pawn becomes. Returns the move class.
u32 MakeMove(Position& position, Move move, u32& undoSquares, u32& undoPieces, int promotionType);

inline u32 MakeMove(Position& position, Move move, MoveUndo& undo, int promotionType) {
  return MakeMove(position, move, undo.squares, undo.pieces, promotionType);
}

// A pawn move onto the last rank: the caller picks the piece it becomes.
inline bool IsPromotion(const Position& position, Move move) {
  const int from = MoveFrom(move), to = MoveTo(move);
  return from < FirstCastleCode && (position.board[from] & 7) == Pawn && (to < A8 + 8 || to > A1 - 1);
}

// Puts the board squares of `undo` back (byte 0 of the board may receive a 0).
inline void RestoreSquares(Position& position, const MoveUndo& undo) {
  for (int i = 3; i >= 0; --i) position.board[(undo.squares >> (8 * i)) & 0xFF] = (undo.pieces >> (8 * i)) & 0xFF;
}

} // namespace kestrin
