#include <gtest/gtest.h>

#include <cstdlib>

#include "search/keys.h"
#include "search/limits.h"
#include "search/transposition.h"
#include "support/fixtures.h"
#include "support/recordingfrontend.h"

namespace kestrin {
namespace {

using test::FromFen;

constexpr int SmallExponent = 8; // 128 buckets

Position Keyed(const char* fen) {
  Position p = FromFen(fen);
  RefreshHashKeys(p);
  return p;
}

class Transposition : public ::testing::Test {
protected:
  void SetUp() override {
    ResetSearchSettings();
    AllocateTranspositionTable(SmallExponent);
    reached = Keyed("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -");
    key = RepetitionKey(reached);
  }
  void TearDown() override {
    ResetSearchSettings();
    FreeTranspositionTable();
  }
  TTBucket& Bucket() { return *TranspositionBucket(key); }
  // Another position of the same bucket: only the lock differs.
  Position Neighbour() {
    Position other = reached;
    other.hashLock ^= 0x5A5A5A5A;
    return other;
  }

  Position reached;
  u32 key = 0;
};

TEST_F(Transposition, AllocationReportsItsSizeAndStartsEmpty) {
  test::RecordingScope recording;
  AllocateTranspositionTable(SmallExponent);
  EXPECT_EQ(transpositionTable.mask, 127u);
  EXPECT_EQ(recording->infoTexts, (std::vector<std::string>{"Hash Table Cleared.", "# of TT Entries: 254"}));
  for (u32 i = 0; i <= transpositionTable.mask; ++i) {
    EXPECT_EQ(transpositionTable.buckets[i].a.lock, 0u);
    EXPECT_EQ(transpositionTable.buckets[i].b.depth, 0);
  }
}

std::size_t lastRequest = 0;
void* RecordSize(std::size_t bytes) {
  lastRequest = bytes;
  return std::malloc(bytes);
}
void* Refuse(std::size_t) { return nullptr; }
void* RefuseLarge(std::size_t bytes) { return bytes > (std::size_t(1) << 20) ? nullptr : std::malloc(bytes); }

TEST_F(Transposition, TheBlockHoldsEveryBucket) {
  SetTranspositionAllocator(&RecordSize);
  AllocateTranspositionTable(19);
  SetTranspositionAllocator(nullptr);
  EXPECT_EQ(transpositionTable.mask, 262143u);
  EXPECT_EQ(lastRequest, 24u * 262143u + 120u);
  EXPECT_GE(lastRequest, sizeof(TTBucket) * (transpositionTable.mask + 1));
}

TEST_F(Transposition, AFailedAllocationFallsBackToExponentFifteen) {
  test::RecordingScope recording;
  SetTranspositionAllocator(&RefuseLarge);
  AllocateTranspositionTable(22);
  SetTranspositionAllocator(nullptr);
  ASSERT_EQ(recording->messages.size(), 1u);
  EXPECT_EQ(recording->messages[0], (std::pair<std::string, std::string>{"Error Allocating Transposition Table", "Error"}));
  EXPECT_EQ(transpositionTable.mask, (1u << 14) - 1);
  EXPECT_EQ(recording->LastInfo(), "# of TT Entries: 32766");
  EXPECT_EQ(searchSettings.hashSizeExponent.load(), 21); // the chosen setting is kept
}

TEST_F(Transposition, WithoutAnyTableNothingIsStoredOrFound) {
  test::RecordingScope recording;
  SetTranspositionAllocator(&Refuse);
  AllocateTranspositionTable(16); // no fallback at 16 and below
  SetTranspositionAllocator(nullptr);
  EXPECT_EQ(recording->messages.size(), 1u);
  EXPECT_EQ(transpositionTable.buckets, nullptr);
  StoreTransposition(reached, key, 4, 3, -50, 50, 10, 0x1234);
  TTProbe probe = ProbeTransposition(reached, key, 4, 3, -50, 50, false);
  EXPECT_FALSE(probe.hasValue);
  EXPECT_EQ(probe.hashMove, NoMove16);
  ClearTranspositionTable(); // harmless without a table
}

TEST_F(Transposition, ExponentsNoAllocationCouldServeAreRefusedLikeAFailure) {
  test::RecordingScope recording;
  AllocateTranspositionTable(99);
  EXPECT_EQ(recording->messages.size(), 1u);
  EXPECT_EQ(transpositionTable.mask, (1u << 14) - 1);
  AllocateTranspositionTable(-3);
  EXPECT_EQ(recording->messages.size(), 2u);
  EXPECT_EQ(transpositionTable.mask, (1u << 14) - 1);
}

TEST_F(Transposition, ClearingForgetsEverything) {
  StoreTransposition(reached, key, 4, 3, -50, 50, 10, 0x1234);
  ASSERT_TRUE(ProbeTransposition(reached, key, 4, 3, -50, 50, false).hasValue);
  test::RecordingScope recording;
  ClearTranspositionTable();
  EXPECT_EQ(recording->LastInfo(), "Hash Table Cleared.");
  TTProbe probe = ProbeTransposition(reached, key, 4, 3, -50, 50, false);
  EXPECT_FALSE(probe.hasValue);
  EXPECT_EQ(probe.hashMove, NoMove16);
}

TEST_F(Transposition, EntryFieldsAsStored) {
  AdvanceSearchGeneration();
  StoreTransposition(reached, key, 6, 3, -50, 50, 10, 0x3E52);
  const TTEntry& e = Bucket().a;
  EXPECT_EQ(e.lock, reached.hashLock);
  EXPECT_EQ(e.score, 10);
  EXPECT_EQ(e.move, 0x3E52);
  EXPECT_EQ(e.age, SearchGeneration());
  EXPECT_EQ(e.depth, 6);
  EXPECT_EQ(e.mateDistance, 0);
  // The bound: ties with alpha are upper bounds, ties with beta lower bounds.
  StoreTransposition(reached, key, 6, 3, -50, 50, -50, 0);
  EXPECT_EQ(Bucket().a.bound, BoundUpper);
  StoreTransposition(reached, key, 6, 3, -50, 50, 50, 0);
  EXPECT_EQ(Bucket().a.bound, BoundLower);
  StoreTransposition(reached, key, 6, 3, -50, 50, 49, 0);
  EXPECT_EQ(Bucket().a.bound, BoundExact);
}

TEST_F(Transposition, ShallowerResultsOfTheSameSearchGoToTheSecondEntry) {
  Position other = Neighbour();
  StoreTransposition(reached, key, 6, 3, -50, 50, 10, 0x1111);
  StoreTransposition(other, key, 3, 3, -50, 50, 20, 0x2222);
  EXPECT_EQ(Bucket().a.move, 0x1111);
  EXPECT_EQ(Bucket().b.move, 0x2222);
  // B is overwritten whenever it is chosen, whatever it held.
  StoreTransposition(other, key, 1, 3, -50, 50, 30, 0x3333);
  EXPECT_EQ(Bucket().b.move, 0x3333);
  // As deep as A in the same search: A gives way.
  StoreTransposition(other, key, 6, 3, -50, 50, 40, 0x4444);
  EXPECT_EQ(Bucket().a.move, 0x4444);
  EXPECT_EQ(Bucket().b.move, 0x3333);
}

TEST_F(Transposition, ADeepEntryOfAnEarlierSearchGivesWay) {
  StoreTransposition(reached, key, 6, 3, -50, 50, 10, 0x1111);
  AdvanceSearchGeneration();
  StoreTransposition(Neighbour(), key, 3, 3, -50, 50, 20, 0x2222);
  EXPECT_EQ(Bucket().a.move, 0x2222);
  EXPECT_EQ(Bucket().a.age, SearchGeneration());
  EXPECT_EQ(Bucket().b.lock, 0u);
}

TEST_F(Transposition, NothingIsStoredWithHashingOffOrAtTheFiftyMoveCount) {
  searchSettings.hashingOn = 0;
  StoreTransposition(reached, key, 6, 3, -50, 50, 10, 0x1111);
  EXPECT_EQ(Bucket().a.lock, 0u);
  searchSettings.hashingOn = 1;
  Position late = reached;
  late.plyCount = 140;
  late.irreversiblePly = 40;
  StoreTransposition(late, key, 6, 3, -50, 50, 10, 0x1111);
  EXPECT_EQ(Bucket().a.lock, 0u);
  late.irreversiblePly = 41;
  StoreTransposition(late, key, 6, 3, -50, 50, 10, 0x1111);
  EXPECT_EQ(Bucket().a.lock, late.hashLock);
  // Switched off, stored entries stay but are not found.
  searchSettings.hashingOn = 0;
  EXPECT_EQ(ProbeTransposition(late, key, 6, 3, -50, 50, false).hashMove, NoMove16);
  searchSettings.hashingOn = 1;
  EXPECT_EQ(ProbeTransposition(late, key, 6, 3, -50, 50, false).value, 10);
}

TEST_F(Transposition, MateScoresAreKeptRelativeToTheStoringNode) {
  // Mate delivered at ply 7, stored at ply 3: four plies away.
  StoreTransposition(reached, key, 5, 3, -50, 50, 9992, 0x1111);
  EXPECT_EQ(Bucket().a.mateDistance, 4);
  TTProbe probe = ProbeTransposition(reached, key, 5, 5, -50, 50, false);
  ASSERT_TRUE(probe.hasValue);
  EXPECT_EQ(probe.value, 9999 - 4 - 5);
  EXPECT_EQ(Bucket().a.score, 9990); // the adjustment is written back

  StoreTransposition(reached, key, 5, 3, -50, 50, -9992, 0x1111);
  EXPECT_EQ(Bucket().a.mateDistance, 4);
  probe = ProbeTransposition(reached, key, 5, 4, -50, 50, false);
  ASSERT_TRUE(probe.hasValue);
  EXPECT_EQ(probe.value, 4 + 4 - 9999);

  StoreTransposition(reached, key, 5, 3, -50, 50, 9900, 0x1111); // not beyond 9900: an ordinary score
  EXPECT_EQ(Bucket().a.mateDistance, 0);
  EXPECT_EQ(ProbeTransposition(reached, key, 5, 9, -50, 50, false).value, 9900);
}

TEST_F(Transposition, TheCutTestNeedsDepthAndANodeBelowTheRoot) {
  StoreTransposition(reached, key, 4, 3, -50, 50, 10, 0x1111);
  EXPECT_TRUE(ProbeTransposition(reached, key, 4, 2, -50, 50, false).hasValue);
  EXPECT_FALSE(ProbeTransposition(reached, key, 5, 2, -50, 50, false).hasValue);
  TTProbe atRoot = ProbeTransposition(reached, key, 4, 1, -50, 50, false);
  EXPECT_FALSE(atRoot.hasValue);
  EXPECT_EQ(atRoot.hashMove, 0x1111);
}

TEST_F(Transposition, BoundsGiveValuesOnlyOutsideTheWindow) {
  StoreTransposition(reached, key, 4, 3, 0, 100, 100, 0x1111); // lower bound 100
  EXPECT_EQ(ProbeTransposition(reached, key, 4, 3, 0, 100, false).value, 100);
  EXPECT_FALSE(ProbeTransposition(reached, key, 4, 3, 0, 101, false).hasValue);
  StoreTransposition(reached, key, 4, 3, 0, 100, 0, 0x1111); // upper bound 0
  EXPECT_TRUE(ProbeTransposition(reached, key, 4, 3, 0, 100, false).hasValue);
  EXPECT_FALSE(ProbeTransposition(reached, key, 4, 3, -1, 100, false).hasValue);
}

TEST_F(Transposition, TheSecondEntryIsTriedWhenTheFirstGivesNoValue) {
  StoreTransposition(reached, key, 8, 3, 20, 40, 10, 0x1111); // A: upper bound 10, deep
  StoreTransposition(reached, key, 6, 3, 20, 40, 25, 0x2222); // B: exact 25
  TTProbe probe = ProbeTransposition(reached, key, 5, 3, 0, 30, false);
  ASSERT_TRUE(probe.hasValue);
  EXPECT_EQ(probe.value, 25);
  // Neither cuts: A's move is offered.
  probe = ProbeTransposition(reached, key, 7, 3, 0, 30, false);
  EXPECT_FALSE(probe.hasValue);
  EXPECT_EQ(probe.hashMove, 0x1111);
}

TEST_F(Transposition, TheSecondEntryAloneGivesItsValueOrMove) {
  StoreTransposition(Neighbour(), key, 8, 3, -50, 50, 10, 0x1111);
  StoreTransposition(reached, key, 2, 3, -50, 50, 25, 0x2222);
  ASSERT_EQ(Bucket().b.lock, reached.hashLock);
  EXPECT_EQ(ProbeTransposition(reached, key, 2, 3, -50, 50, false).value, 25);
  TTProbe probe = ProbeTransposition(reached, key, 4, 3, -50, 50, false);
  EXPECT_FALSE(probe.hasValue);
  EXPECT_EQ(probe.hashMove, 0x2222);
}

// The offering rule for an entry of depth 4 probed at depth 6 (so no value), by bound,
// window, improvement and side to move.
TEST_F(Transposition, HashMoveOffering) {
  auto offered = [&](const Position& p, int value, int storeAlpha, int storeBeta, int alpha, int beta, bool improved,
                     int storeDepth = 4, int probeDepth = 6) {
    u32 k = RepetitionKey(p);
    StoreTransposition(p, k, storeDepth, 3, storeAlpha, storeBeta, value, 0x4321);
    return ProbeTransposition(p, k, probeDepth, 3, alpha, beta, improved).hashMove == 0x4321;
  };
  Position whiteToMove = reached;
  Position blackToMove = Keyed("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq -");

  // Too shallow: more than two plies short.
  EXPECT_FALSE(offered(whiteToMove, 10, -50, 50, -50, 50, false, 3, 6));
  EXPECT_TRUE(offered(whiteToMove, 10, -50, 50, -50, 50, false, 4, 6));
  // ... unless it carries a mate.
  EXPECT_TRUE(offered(whiteToMove, 9990, -50, 50, 0, 1, true, 1, 6));
  // Exact: always, even in a null window after an improvement.
  EXPECT_TRUE(offered(whiteToMove, 10, -50, 50, 0, 1, true));
  // Open window and nothing improved yet: any bound.
  EXPECT_TRUE(offered(whiteToMove, -300, -50, 50, 0, 100, false));
  // Null window: a lower bound needs Black to move or a score within 140 of beta.
  EXPECT_TRUE(offered(whiteToMove, 60, -50, 50, 199, 200, false));
  EXPECT_FALSE(offered(whiteToMove, 60, -50, 50, 200, 201, false));
  EXPECT_TRUE(offered(blackToMove, 60, -50, 50, 999, 1000, false));
  // An open window after an improvement counts like a null window.
  EXPECT_FALSE(offered(whiteToMove, 60, -50, 50, 0, 1000, true));
  EXPECT_TRUE(offered(whiteToMove, 60, -50, 50, 0, 1000, false));
  // Upper bounds: White to move, or a score within 140 of alpha.
  EXPECT_TRUE(offered(whiteToMove, -60, -50, 50, 999, 1000, true));
  EXPECT_TRUE(offered(blackToMove, -60, -50, 50, -200, -199, false));
  EXPECT_FALSE(offered(blackToMove, -60, -50, 50, -201, -200, false));
}

TEST_F(Transposition, PositionsDifferingInRightsShareEntriesOnlyThroughACommonBucket) {
  Position noRights = Keyed("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w - -");
  ASSERT_EQ(noRights.hashLock, reached.hashLock);
  u32 otherKey = RepetitionKey(noRights);
  ASSERT_NE(otherKey, key);
  StoreTransposition(reached, key, 4, 3, -50, 50, 10, 0x1111);
  bool sameBucket = (otherKey & transpositionTable.mask) == (key & transpositionTable.mask);
  EXPECT_EQ(ProbeTransposition(noRights, otherKey, 4, 3, -50, 50, false).hasValue, sameBucket);
  // With a single bucket they always meet.
  AllocateTranspositionTable(1);
  StoreTransposition(reached, key, 4, 3, -50, 50, 10, 0x1111);
  EXPECT_TRUE(ProbeTransposition(noRights, otherKey, 4, 3, -50, 50, false).hasValue);
}

} // namespace
} // namespace kestrin
