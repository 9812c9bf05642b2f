// Pawn structure: everything the evaluation knows about pawns, computed once per pawn
// configuration and cached by the position's pawn key.
#pragma once

#include "board/position.h"

namespace kestrin {

struct PawnEntry {
  u32 key;       // the pawn key this record was computed for
  u8 whiteFiles; // bit f-1 set for a file f with White pawns, passed pawns' files removed
  u8 blackFiles;
  i16 structure; // islands, doubled, passed, isolated and backward pawns
  u8 flags;      // the Pawns...On... bits below
  i16 middlegame;
  i16 endgame;
};
static_assert(sizeof(PawnEntry) == 16, "a pawn record fills 16 bytes");

// Rook-pawn flags of a PawnEntry; a side without pawns has both of its flags.
constexpr u8 BlackPawnsOnA = 1;
constexpr u8 BlackPawnsOnH = 2;
constexpr u8 WhitePawnsOnA = 4;
constexpr u8 WhitePawnsOnH = 8;

constexpr int PawnTableSize = 131072;
constexpr u32 PawnTableMask = PawnTableSize - 1;
extern PawnEntry PawnHashTable[PawnTableSize];

// On for a side that can no longer castle and keeps its king on files a-d: its pawns are
// then placed by the queen-side table.
struct PawnSelectorFlags {
  bool white;
  bool black;
};
extern PawnSelectorFlags PawnSelectors;

// Computes the record of the position's pawns, stores it in its slot and returns it.
PawnEntry EvaluatePawns(const Position& position);
// The cached record for the position's pawn key, computed on a miss.
PawnEntry ProbePawns(const Position& position);
// Asks for the slot of the position's pawn record ahead of the evaluation that reads it.
inline void PrefetchPawns(u32 pawnKey) { __builtin_prefetch(&PawnHashTable[pawnKey & PawnTableMask]); }
// Sets the selectors for the coming search or display; a change clears the table first,
// so that every cached record was computed under the selectors in force.
void PreparePawnSelectors(const Position& position);
void ClearPawnTable();
// The start-up state: an empty table and both selectors off.
void ResetPawnTable();

} // namespace kestrin
