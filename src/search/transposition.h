// The transposition table: two-entry buckets indexed by the repetition key, checked by hashLock.
#pragma once

#include <cstddef>
#include <cstdint>

#include "board/position.h"

namespace kestrin {

struct TTEntry {
  u32 lock;         // hashLock of the stored position
  i16 score;        // centipawns from White's point of view
  u16 move;         // from | to << 8 of the best move, NoMove16 when none
  u8 age;           // search generation that wrote the entry
  std::int8_t mateDistance;  // 0, or plies from the storing node to the mate
  std::int8_t depth;         // remaining depth of the search behind the score
  u8 bound;         // BoundExact, BoundUpper or BoundLower
};
static_assert(sizeof(TTEntry) == 12);
static_assert(offsetof(TTEntry, score) == 4 && offsetof(TTEntry, move) == 6 && offsetof(TTEntry, age) == 8);
static_assert(offsetof(TTEntry, mateDistance) == 9 && offsetof(TTEntry, depth) == 10 && offsetof(TTEntry, bound) == 11);

struct TTBucket {
  TTEntry a, b;
};
static_assert(sizeof(TTBucket) == 24);

constexpr u8 BoundExact = 0;
constexpr u8 BoundUpper = 1; // the score was at or below alpha
constexpr u8 BoundLower = 2; // the score was at or above beta
constexpr int HashMoveMargin = 140;
constexpr int DefaultHashSizeExponent = 21;
constexpr int FallbackHashSizeExponent = 15;

struct TranspositionTable {
  TTBucket* buckets = nullptr; // mask + 1 buckets, or none when even the fallback allocation failed
  u32 mask = 0;
};
extern TranspositionTable transpositionTable;

// Replaces the table by one of 2^(n-1) buckets; on failure reports it and falls back to
// n = 15 when n was larger than 16. Without any table nothing is stored or found. Callers
// stop the search first.
void AllocateTranspositionTable(int n);
void FreeTranspositionTable();
void ClearTranspositionTable();
// The allocation function of the table (std::malloc unless tests replace it; nullptr restores it).
using TableAllocator = void* (*)(std::size_t bytes);
void SetTranspositionAllocator(TableAllocator allocate);

// The bucket of a repetition key, or nullptr without a table.
TTBucket* TranspositionBucket(u32 repetitionKey);

// Asks for the bucket of a position about to be probed ahead of time: the table is far larger
// than the caches, and the work between the move and the probe hides much of the wait. One
// bucket in four straddles two cache lines, and a probe that misses the first entry reads the
// second: both ends are asked for.
inline void PrefetchTransposition(u32 repetitionKey) {
  if (!transpositionTable.buckets) return;
  const char* bucket = reinterpret_cast<const char*>(&transpositionTable.buckets[repetitionKey & transpositionTable.mask]);
  __builtin_prefetch(bucket);
  __builtin_prefetch(bucket + sizeof(TTBucket) - 1);
}

// The search generation: advanced at the start of every search, written into every entry.
void AdvanceSearchGeneration();
u8 SearchGeneration();

// Stores the result of the search of `reached` (the position after a move of the node at
// `ply`, its keys up to date): remaining depth `depth`, the node's alpha and beta, the
// value and the child's best move.
void StoreTransposition(const Position& reached, u32 repetitionKey, int depth, int ply, int alpha, int beta,
                        int value, u16 bestMove);

struct TTProbe {
  bool hasValue;  // `value` replaces the child search
  i16 value;
  u16 hashMove;   // the child's first move, NoMove16 when none is offered
};
// Looks `reached` up before its search; `improved` tells whether a move of the node at
// `ply` has already raised its bound.
TTProbe ProbeTransposition(const Position& reached, u32 repetitionKey, int depth, int ply, int alpha, int beta,
                           bool improved);

} // namespace kestrin
