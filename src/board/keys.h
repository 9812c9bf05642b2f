// Position keys: the two 32-bit Zobrist halves kept in every Position, the repetition key,
// and the game's list of repetition keys by ply.
#pragma once

#include "board/makemove.h"
#include "board/position.h"
#include "board/randomkeys.h"

namespace kestrin {

// From scratch over board bytes 20..100, with the side-to-move term when Black is to move.
u32 ComputeHashKey(const Position& position);
u32 ComputeHashLock(const Position& position);
// Sets both keys of `position` from scratch.
void RefreshHashKeys(Position& position);

// hashKey (always freshly computed) with the castling states and the en-passant square folded in.
u32 RepetitionKey(const Position& position);
// The same from the position's own hashKey, kept up to date move by move in the search.
inline u32 RepetitionKeyOfHash(const Position& position) {
  return position.hashKey ^ HashKeyTable[position.castleState[0] + 8 * position.castleState[1]] ^
         HashKeyTable[position.epSquare];
}

// The table entry of index 8 (square 0 holds no man) is the side-to-move term.
constexpr int SideTerm = 8;

// The repetition and pawn keys a move leads to, worked out without making it, so that the
// table entries its child will read can be fetched while earlier moves are searched. Exact
// for ordinary moves and captures that change no castling right; otherwise merely close,
// which costs only a useless fetch.
inline u32 RepetitionKeyAfter(const Position& p, Move m) {
  const int from = MoveFrom(m), to = MoveTo(m);
  if (from >= FirstCastleCode) return p.hashKey;
  const int mover = p.board[from], victim = p.board[to];
  const u32 key = p.hashKey ^ HashKeyTable[16 * from + mover] ^ HashKeyTable[16 * from + Empty] ^
                  HashKeyTable[16 * to + victim] ^ HashKeyTable[16 * to + mover] ^ HashKeyTable[SideTerm];
  return key ^ HashKeyTable[p.castleState[0] + 8 * p.castleState[1]] ^ HashKeyTable[NoEpSquare];
}
inline u32 PawnKeyAfter(const Position& p, Move m) {
  const int from = MoveFrom(m), to = MoveTo(m);
  if (from >= FirstCastleCode) return p.pawnKey;
  u32 key = p.pawnKey;
  const int mover = p.board[from], victim = p.board[to];
  if (victim == WhitePawn) key -= WhitePawnKeys[to];
  else if (victim == BlackPawn) key -= BlackPawnKeys[to];
  if (mover == WhitePawn) key += WhitePawnKeys[to] - WhitePawnKeys[from];
  else if (mover == BlackPawn) key += BlackPawnKeys[to] - BlackPawnKeys[from];
  return key;
}

// Brings both keys up to date right after MakeMove from the squares it reports changed.
void UpdateHashKeys(Position& position, const MoveUndo& undo);
// The null move: the other side is to move, nothing else changes; making it twice restores the position.
void MakeNullMove(Position& position);

// One repetition key per game ply, written by the game record for played moves and by the
// search for the positions on its path. Plies 600 and beyond are not kept.
constexpr int RepetitionSlots = 600;
void RecordRepetitionKey(const Position& position);
void StoreRepetitionKey(int ply, u32 key);
u32 RepetitionKeyAt(int ply);
void ClearRepetitionKeys();

// Earlier occurrences, with the same side to move and since the last capture or pawn move,
// of a position with key `key` standing at ply `plyCount`.
int CountRepetitions(u32 key, int plyCount, int irreversiblePly);
// The same for `position`: 2 or more means the position stands for the third time.
int RepetitionCount(const Position& position);

} // namespace kestrin
