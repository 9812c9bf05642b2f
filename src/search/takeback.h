// Make and take back inside the search: the 64-byte tail of the position is saved per ply
// and the squares a move changed are put back from its undo words.
#pragma once

#include <cstring>

#include "board/makemove.h"
#include "search/searchstate.h"

namespace kestrin {

inline void SaveTail(int ply) {
  std::memcpy(reinterpret_cast<u8*>(&search.snapshots[ply]) + PositionTailOffset,
              reinterpret_cast<const u8*>(&search.work) + PositionTailOffset, PositionTailSize);
}

inline void TakeBack(int ply, const MoveUndo& undo) {
  std::memcpy(reinterpret_cast<u8*>(&search.work) + PositionTailOffset,
              reinterpret_cast<const u8*>(&search.snapshots[ply]) + PositionTailOffset, PositionTailSize);
  RestoreSquares(search.work, undo);
}

// Row `ply` of the principal-variation table becomes `entry` followed by row ply + 1.
inline void PvFromChild(int ply, u32 entry) {
  u32* row = search.pvTable[ply];
  const u32* child = search.pvTable[ply + 1];
  const u32 room = ply < SearchPlies - 2 ? u32(SearchPlies - 2 - ply) : 0;
  u32 length = child[0];
  if (length > room) length = room;
  row[1] = entry;
  for (u32 i = 1; i <= length; ++i) row[i + 1] = child[i];
  row[0] = length + 1;
}

inline void PvSingle(int ply, u32 entry) {
  search.pvTable[ply][0] = 1;
  search.pvTable[ply][1] = entry;
}

inline int QueenBonus(const u8* pieceList) { return pieceList[QueenSlot] != NoSquare; }

} // namespace kestrin
