#include <gtest/gtest.h>

#include "search/bench.h"
#include "search/limits.h"

namespace kestrin {
namespace {

// The node total of the bench positions at depth 6, each searched from a cleared table. Any
// change in move ordering, pruning, extensions or evaluation moves it; an intended change
// records the new figure here, in the same commit, and says why.
constexpr int SignatureDepth = 6;
constexpr u64 SignatureNodes = 2393056;

TEST(BenchSignature, NodeTotalOfTheBenchPositions) {
  ResetSearchSettings();
  u64 total = 0;
  for (const BenchPosition& b : BenchPositions()) {
    BenchResult result{};
    ASSERT_TRUE(BenchSearch(b.fen, SignatureDepth, result)) << b.name;
    total += result.nodes;
  }
  EXPECT_EQ(total, SignatureNodes);
}

} // namespace
} // namespace kestrin
