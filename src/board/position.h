// The position record: a flat 184-byte block copied by value.
#pragma once

#include <cstddef>
#include <type_traits>

#include "board/types.h"

namespace kestrin {

struct Position {
  u8 board[BoardSize];
  u8 sideToMove;
  u8 epSquare;
  u32 pawnKey;
  u32 hashLock;
  u32 hashKey;
  u16 plyCount;
  u16 irreversiblePly;
  i16 pstScore;
  i16 materialScore;
  u8 castleState[2];
  u8 whitePieces;
  u8 blackPieces;
  u8 blackPawns;
  u8 whitePawns;
  u8 blackMinors;
  u8 whiteMinors;
  u8 blackPieceList[16];
  u8 whitePieceList[16];
};

static_assert(sizeof(Position) == 184, "a position is one 184-byte block");
static_assert(std::is_trivially_copyable_v<Position>);
static_assert(offsetof(Position, sideToMove) == 122);
static_assert(offsetof(Position, pawnKey) == 124);
static_assert(offsetof(Position, castleState) == 144);
static_assert(offsetof(Position, blackPieceList) == 152);
static_assert(offsetof(Position, whitePieceList) == 168);

// The non-board tail that MakeMove may change, restored from a snapshot on take-back.
constexpr std::size_t PositionTailOffset = 120;
constexpr std::size_t PositionTailSize = 64;

// Castling states (one per side).
constexpr u8 CastleBoth = 0;
constexpr u8 CastleKingSideOnly = 1;
constexpr u8 CastleQueenSideOnly = 2;
constexpr u8 CastleNone = 3;
constexpr u8 CastleDone = 4;

inline u8* PieceListOf(Position& p, int side) { return side == White ? p.whitePieceList : p.blackPieceList; }
inline const u8* PieceListOf(const Position& p, int side) {
  return side == White ? p.whitePieceList : p.blackPieceList;
}
inline int KingSquare(const Position& p, int side) { return PieceListOf(p, side)[KingSlot]; }
inline int Opponent(int side) { return 3 - side; }

void SetStartPosition(Position& position);
void ClearPosition(Position& position);
// Puts a man on (file 0..7, row 0..7 from the top): in its own slot, or a piece beyond its
// own slots (a third rook, a second queen) in a free pawn slot as a promotion leaves it.
// Returns false, changing nothing, on an occupied square, for a code that is not one of the
// twelve men, or when the man's side has no free slot for it.
bool PlacePiece(Position& position, int file, int row, int code);
// The pawn key from scratch: the sum of the pawn-key values of the pawns on the board (a
// promoted man in a pawn slot is no pawn). MakeMove keeps the field up to date.
u32 PawnKeyOf(const Position& position);

} // namespace kestrin
