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
