#include "board/keys.h"

#include <atomic>

#include "board/randomkeys.h"

namespace kestrin {

namespace {

constexpr int FirstKeyedByte = 20, LastKeyedByte = 100;

// The search writes its path while the window thread may record a move on another slot;
// relaxed atomics keep that free of data races at the cost of a plain load or store.
std::atomic<u32> RepetitionKeys[RepetitionSlots];

u32 BoardSum(const Position& p, const u32* table) {
  u32 key = 0;
  for (int s = FirstKeyedByte; s <= LastKeyedByte; ++s) key ^= table[16 * s + p.board[s]];
  if (p.sideToMove == Black) key ^= table[SideTerm];
  return key;
}

} // namespace

u32 ComputeHashKey(const Position& position) { return BoardSum(position, HashKeyTable); }

u32 ComputeHashLock(const Position& position) { return BoardSum(position, HashLockTable); }

void RefreshHashKeys(Position& position) {
  position.hashKey = ComputeHashKey(position);
  position.hashLock = ComputeHashLock(position);
}

u32 RepetitionKey(const Position& p) {
  Position fresh = p;
  fresh.hashKey = ComputeHashKey(p);
  return RepetitionKeyOfHash(fresh);
}

void UpdateHashKeys(Position& p, const MoveUndo& undo) {
  u32 key = p.hashKey, lock = p.hashLock;
#pragma GCC unroll 4
  for (int i = 0; i < 4; ++i) {
    int square = (undo.squares >> (8 * i)) & 0xFF;
    if (i >= 2 && square == 0) continue;
    int before = (undo.pieces >> (8 * i)) & 0xFF;
    int now = p.board[square];
    key ^= HashKeyTable[16 * square + before] ^ HashKeyTable[16 * square + now];
    lock ^= HashLockTable[16 * square + before] ^ HashLockTable[16 * square + now];
  }
  p.hashKey = key ^ HashKeyTable[SideTerm];
  p.hashLock = lock ^ HashLockTable[SideTerm];
}

void MakeNullMove(Position& p) {
  p.sideToMove = p.sideToMove == White ? Black : White;
  p.hashKey ^= HashKeyTable[SideTerm];
  p.hashLock ^= HashLockTable[SideTerm];
}

void StoreRepetitionKey(int ply, u32 key) {
  if (ply >= 0 && ply < RepetitionSlots) RepetitionKeys[ply].store(key, std::memory_order_relaxed);
}

u32 RepetitionKeyAt(int ply) {
  return ply >= 0 && ply < RepetitionSlots ? RepetitionKeys[ply].load(std::memory_order_relaxed) : 0;
}

void RecordRepetitionKey(const Position& position) { StoreRepetitionKey(position.plyCount, RepetitionKey(position)); }

void ClearRepetitionKeys() {
  for (auto& key : RepetitionKeys) key.store(0, std::memory_order_relaxed);
}

int CountRepetitions(u32 key, int plyCount, int irreversiblePly) {
  int start = irreversiblePly - 1;
  if ((start ^ plyCount) & 1) ++start;
  if (start < 0) start += 2;
  int end = plyCount < RepetitionSlots ? plyCount : RepetitionSlots;
  int count = 0;
  for (int i = start; i < end; i += 2) count += RepetitionKeys[i].load(std::memory_order_relaxed) == key;
  return count;
}

int RepetitionCount(const Position& position) {
  return CountRepetitions(RepetitionKey(position), position.plyCount, position.irreversiblePly);
}

} // namespace kestrin
