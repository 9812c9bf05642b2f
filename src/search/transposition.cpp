#include "search/transposition.h"

#include "eval/pawns.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/frontend.h"
#include "platform/hugepages.h"
#include "search/limits.h"
#include "search/searchstate.h"

namespace kestrin {

TranspositionTable transpositionTable;

namespace {

// Beyond this exponent the block would exceed 12 GiB: refused like a failed allocation.
constexpr int LargestHashSizeExponent = 30;

std::atomic<TableAllocator> tableAllocator{nullptr};
std::atomic<u8> searchGeneration{0};

void* Allocate(std::size_t bytes) {
  TableAllocator allocate = tableAllocator.load(std::memory_order_acquire);
  return allocate ? allocate(bytes) : std::malloc(bytes);
}

bool Matches(const TTEntry& e, u32 lock) { return e.lock == lock; }

// The cut test; entries from the root's own moves or from shallower searches give nothing.
bool CutValue(TTEntry& e, int depth, int ply, int alpha, int beta, i16& value) {
  if (e.depth < depth || ply <= 1) return false;
  if (e.mateDistance != 0) {
    // Mate scores are stored relative to the storing node; make them relative to this one.
    e.score = static_cast<i16>(e.score < 0 ? e.mateDistance + ply - MateValue : MateValue - e.mateDistance - ply);
  }
  if (e.bound == BoundExact || (e.bound == BoundLower && e.score >= beta) ||
      (e.bound == BoundUpper && e.score <= alpha)) {
    value = e.score;
    return true;
  }
  return false;
}

// Whether the entry's move is trusted as the child's first move.
u16 OfferedMove(const TTEntry& e, const Position& reached, int depth, int alpha, int beta, bool improved) {
  if (e.depth < depth - 2 && e.mateDistance == 0) return NoMove16;
  bool offered = e.bound == BoundExact || (alpha != beta - 1 && !improved) ||
                 (e.bound == BoundLower && (reached.sideToMove == Black || e.score + HashMoveMargin >= beta)) ||
                 (e.bound == BoundUpper && (reached.sideToMove == White || e.score - HashMoveMargin <= alpha));
  return offered ? e.move : NoMove16;
}

} // namespace

void SetTranspositionAllocator(TableAllocator allocate) { tableAllocator.store(allocate, std::memory_order_release); }

void FreeTranspositionTable() {
  std::free(transpositionTable.buckets);
  transpositionTable.buckets = nullptr;
  transpositionTable.mask = 0;
}

void AllocateTranspositionTable(int n) {
  FreeTranspositionTable();
  void* block = nullptr;
  u32 mask = 0;
  if (n >= 1 && n <= LargestHashSizeExponent) {
    mask = (u32(1) << (n - 1)) - 1;
    block = Allocate(24 * std::size_t(mask) + 120);
  }
  if (!block) {
    ShowMessage("Error Allocating Transposition Table", "Error");
    if (n > 16 || n < 1) AllocateTranspositionTable(FallbackHashSizeExponent);
    return;
  }
  // Before the table is first written, so that its pages are huge from the start.
  AdviseHugePages(block, 24 * std::size_t(mask) + 120);
  transpositionTable.buckets = static_cast<TTBucket*>(block);
  transpositionTable.mask = mask;
  ClearTranspositionTable();
  char text[48];
  std::snprintf(text, sizeof text, "# of TT Entries: %d", static_cast<int>(2 * mask));
  SetInfoText(text);
}

void ClearTranspositionTable() {
  if (transpositionTable.buckets)
    std::memset(transpositionTable.buckets, 0, sizeof(TTBucket) * (std::size_t(transpositionTable.mask) + 1));
  ClearPawnTable();
  SetInfoText("Hash Table Cleared.");
}

TTBucket* TranspositionBucket(u32 repetitionKey) {
  if (!transpositionTable.buckets) return nullptr;
  return &transpositionTable.buckets[repetitionKey & transpositionTable.mask];
}

void AdvanceSearchGeneration() { searchGeneration.fetch_add(1, std::memory_order_relaxed); }

u8 SearchGeneration() { return searchGeneration.load(std::memory_order_relaxed); }

void StoreTransposition(const Position& reached, u32 repetitionKey, int depth, int ply, int alpha, int beta,
                        int value, u16 bestMove) {
  if (!searchSettings.hashingOn.load(std::memory_order_relaxed)) return;
  if (reached.plyCount - reached.irreversiblePly >= 100) return;
  TTBucket* bucket = TranspositionBucket(repetitionKey);
  if (!bucket) return;
  u8 generation = SearchGeneration();
  // A deeper entry of the running search keeps its place; anything else gives way.
  TTEntry& e = depth < bucket->a.depth && bucket->a.age == generation ? bucket->b : bucket->a;
  e.lock = reached.hashLock;
  e.score = static_cast<i16>(value);
  e.move = bestMove;
  e.age = generation;
  e.depth = static_cast<std::int8_t>(depth);
  e.bound = value <= alpha ? BoundUpper : value >= beta ? BoundLower : BoundExact;
  int size = value < 0 ? -value : value;
  // For a mate at ply m (value +-(9999 - m)) this is m - ply, kept in 8 bits.
  e.mateDistance = size > MateThreshold ? static_cast<std::int8_t>(static_cast<u8>((15 - ply - size) & 0xFF)) : 0;
}

TTProbe ProbeTransposition(const Position& reached, u32 repetitionKey, int depth, int ply, int alpha, int beta,
                           bool improved) {
  TTProbe result{false, 0, NoMove16};
  if (!searchSettings.hashingOn.load(std::memory_order_relaxed)) return result;
  TTBucket* bucket = TranspositionBucket(repetitionKey);
  if (!bucket) return result;
  const u32 lock = reached.hashLock;
  if (Matches(bucket->a, lock)) {
    result.hasValue = CutValue(bucket->a, depth, ply, alpha, beta, result.value);
    if (!result.hasValue && Matches(bucket->b, lock))
      result.hasValue = CutValue(bucket->b, depth, ply, alpha, beta, result.value);
    if (!result.hasValue) result.hashMove = OfferedMove(bucket->a, reached, depth, alpha, beta, improved);
  } else if (Matches(bucket->b, lock)) {
    result.hasValue = CutValue(bucket->b, depth, ply, alpha, beta, result.value);
    if (!result.hasValue) result.hashMove = OfferedMove(bucket->b, reached, depth, alpha, beta, improved);
  }
  return result;
}

} // namespace kestrin
