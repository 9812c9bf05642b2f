#include <gtest/gtest.h>

#include <cstdlib>

#include "board/keys.h"
#include "search/limits.h"
#include "search/transposition.h"
#include "support/fixtures.h"
#include "support/recordingfrontend.h"

namespace kestrin {
namespace {

class Transposition : public ::testing::Test {
protected:
  void SetUp() override {
    ResetSearchSettings();
    AllocateTranspositionTable(8); // 128 buckets
    reached = test::FromFen("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -");
    RefreshHashKeys(reached);
  }
  void TearDown() override { ResetSearchSettings(), FreeTranspositionTable(); }
  // Stored as the result of a child search of the node at ply 3 with the window -50, 50.
  void Store(const Position& p, int depth, int value, u16 move) {
    StoreTransposition(p, RepetitionKey(p), depth, 3, -50, 50, value, move);
  }
  TTProbe Probe(const Position& p, int depth, int ply) {
    return ProbeTransposition(p, RepetitionKey(p), depth, ply, -50, 50, false);
  }
  Position reached;
};

void* Refuse(std::size_t) { return nullptr; }
void* RefuseLarge(std::size_t bytes) { return bytes > (std::size_t(1) << 20) ? nullptr : std::malloc(bytes); }

TEST_F(Transposition, AllocationAndItsFailures) {
  test::RecordingScope recording;
  SetTranspositionAllocator(&RefuseLarge);
  AllocateTranspositionTable(22); // refused: n = 15 instead, the setting kept
  EXPECT_EQ(transpositionTable.mask, (1u << 14) - 1);
  EXPECT_EQ(searchSettings.hashSizeExponent.load(), DefaultHashSizeExponent);
  SetTranspositionAllocator(&Refuse);
  AllocateTranspositionTable(16); // no fallback at 16 and below: no table at all
  SetTranspositionAllocator(nullptr);
  EXPECT_EQ(recording->messages.size(), 2u);
  Store(reached, 4, 10, 0x1234);
  EXPECT_FALSE(Probe(reached, 4, 3).hasValue);
  ClearTranspositionTable();
}

TEST_F(Transposition, WhatIsStoredAndFound) {
  // Nothing is stored at the 50-move count.
  Store(reached, 6, 10, 0x1111);
  Position late = reached;
  late.plyCount = 140;
  for (int irreversible : {40, 41}) {
    late.irreversiblePly = static_cast<u16>(irreversible);
    Store(late, 9, 70, 0x7777);
    EXPECT_EQ(TranspositionBucket(RepetitionKey(late))->a.move, irreversible == 41 ? 0x7777 : 0x1111);
  }
  ClearTranspositionTable();
  // Mate scores are kept relative to the storing node (ply 3) and read relative to the probing one.
  const struct {
    int value, probePly, read;
  } mates[] = {{9992, 5, 9999 - 4 - 5}, {-9992, 4, 4 + 4 - 9999}, {9900, 9, 9900}};
  for (const auto& m : mates) {
    Store(reached, 5, m.value, 0x1111);
    EXPECT_EQ(Probe(reached, 5, m.probePly).value, m.read) << m.value;
  }
  // Never a value for the root's own moves, only the move.
  EXPECT_TRUE(!Probe(reached, 5, 1).hasValue && Probe(reached, 5, 1).hashMove == 0x1111);
}

} // namespace
} // namespace kestrin
