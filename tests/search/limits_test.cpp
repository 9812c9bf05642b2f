// The "Search Params" dialog's rules, and how much time a move gets and takes.
#include <gtest/gtest.h>

#include "notation/history.h"
#include "notation/newgame.h"
#include "platform/clock.h"
#include "search/engine.h"
#include "search/limits.h"
#include "search/searchstate.h"
#include "search/think.h"
#include "search/transposition.h"
#include "support/fixtures.h"
#include "support/recordingfrontend.h"

namespace kestrin {
namespace {

TEST(SearchParams, OutOfRangeValuesAreCorrectedAndReported) {
  const struct {
    SearchParamsValues entered;
    long long ply, seconds, nodes;
    std::size_t messages;
  } cases[] = {
      {{0, 5, 0, false}, 1, 5, 0, 1},
      {{-2, -7, 0, false}, 1, 0, 0, 2},
      {{10, 0, 5000000, false}, 10, 0, UINT32_MAX, 0}, // saturates instead of wrapping
  };
  for (const auto& c : cases) {
    test::RecordingScope recording;
    ApplySearchParams(c.entered);
    const SearchParamsValues now = CurrentSearchParams();
    EXPECT_EQ(std::vector<long long>({now.maxPly, now.maxSecondsPerMove, searchSettings.maxNodes, now.wait}),
              std::vector<long long>({c.ply, c.seconds, c.nodes, c.entered.wait}));
    EXPECT_EQ(recording->messages.size(), c.messages);
  }
  ResetSearchSettings();
}

void AllocateAtPly(double remaining, int movesToGo, double increment, int ply) {
  Position game = test::FromFen("4k3/8/8/8/8/8/8/4K3 w - -");
  game.plyCount = ply;
  ResetGameRecord(&game);
  AllocateTime(remaining, movesToGo, increment);
}

TEST(TimeControl, AllocationFromTheClock) {
  const struct {
    double remaining, movesToGo, increment, ply, target, extra;
  } cases[] = {
      {300, 0, 5, 1, 10.35, 17.6},   // 5 minutes + 5 s: a 56th of the clock plus the increment
      {300, 40, 0, 79, 149.75, 0},   // the last move before the control: half, and no extra time
      {0.8, 0, 2, 1, 0.15, 0},       // near the end of the clock never more than half of what is usable
      {1e30, 0, 0, 1, 17857, 30357}, // a clock beyond any real one counts as a million seconds
  };
  for (const auto& c : cases) {
    AllocateAtPly(c.remaining, c.movesToGo, c.increment, c.ply);
    EXPECT_NEAR(search.targetSeconds, c.target, c.target * 0.01) << c.remaining << " " << c.ply;
    EXPECT_NEAR(search.extraSeconds, c.extra, c.extra * 0.01) << c.remaining << " " << c.ply;
  }
}

TEST(TimeControl, EachSideIsBudgetedFromItsOwnClock) {
  ResetGameRecord();
  searchSettings.timeIncrement = 0;
  whiteUsed = 29000; // White has 10 s of the 5 minutes left, Black all of them
  SetTimeTarget(White);
  const float white = search.targetSeconds;
  SetTimeTarget(Black);
  const float black = search.targetSeconds;
  whiteUsed = 0;
  ResetSearchSettings();
  EXPECT_LT(white * 10, black);
}

TEST(TimeControl, SuddenDeathLastsALongGame) {
  // Every move also costs 10 ms outside the search; 150 moves each must fit in 5 or 10 seconds.
  for (double clock : {5.0, 10.0})
    for (int ply = 1; ply < 300; ply += 2) {
      AllocateAtPly(clock, 0, 0, ply);
      ASSERT_LT(search.targetSeconds, clock / 2) << "ply " << ply;
      clock -= search.targetSeconds + 0.01;
      ASSERT_GT(clock, 0) << "lost on time at ply " << ply;
    }
}

std::int64_t MillionNodesASecond() { return search.nodeCount / 1000; }

TEST(TimeControl, AShortThinkEndsSoonAfterItsTarget) {
  if (!transpositionTable.buckets) AllocateTranspositionTable(18);
  ResetSearchState();
  SetClockSource(MillionNodesASecond);
  search.targetSeconds = 0.05f;
  search.extraSeconds = 0;
  Position position = test::FromFen("r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4");
  Think(position, 1, 28);
  SetClockSource(nullptr);
  EXPECT_LE(search.nodeCount, 52500u); // 50 ms and at most 5% more
  EXPECT_GT(search.nodeCount, 20000u); // the prediction stops no iteration before half the target
}

} // namespace
} // namespace kestrin
