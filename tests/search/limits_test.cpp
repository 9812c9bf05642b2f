#include <gtest/gtest.h>

#include <cstdint>

#include "search/limits.h"
#include "support/recordingfrontend.h"

namespace kestrin {
namespace {

class SearchParams : public ::testing::Test {
protected:
  void SetUp() override { ResetSearchSettings(); }
  void TearDown() override { ResetSearchSettings(); }
};

TEST_F(SearchParams, Defaults) {
  searchSettings.maxPly = 3;
  searchSettings.hashingOn = 0;
  ResetSearchSettings();
  EXPECT_EQ(searchSettings.maxPly.load(), 28);
  EXPECT_EQ(searchSettings.maxSecondsPerMove.load(), 0);
  EXPECT_EQ(searchSettings.maxNodes.load(), 0u);
  EXPECT_EQ(searchSettings.waitFlag.load(), 0);
  EXPECT_EQ(searchSettings.timeMinutes.load(), 5);
  EXPECT_EQ(searchSettings.timeIncrement.load(), 5);
  EXPECT_EQ(searchSettings.ponderEnabled.load(), 0);
  EXPECT_EQ(searchSettings.showSearchInfo.load(), 1);
  EXPECT_EQ(searchSettings.hashSizeExponent.load(), 21);
  EXPECT_EQ(searchSettings.hashingOn.load(), 1);
}

TEST_F(SearchParams, PlyBelowOneBecomesOneWithOneMessage) {
  test::RecordingScope recording;
  SearchParamsOutcome out = ApplySearchParams({0, 5, 0, false});
  EXPECT_EQ(out.maxPly, 1);
  EXPECT_TRUE(out.plyRaised);
  EXPECT_FALSE(out.secondsReset);
  ASSERT_EQ(recording->messages.size(), 1u);
  EXPECT_EQ(recording->messages[0].first, "Max ply set to 1");
  EXPECT_EQ(recording->messages[0].second, "Out of Range");
  EXPECT_EQ(searchSettings.maxPly.load(), 1);
  EXPECT_EQ(searchSettings.maxSecondsPerMove.load(), 5);
}

TEST_F(SearchParams, NoUpperLimitOnThePly) {
  test::RecordingScope recording;
  EXPECT_EQ(ApplySearchParams({40, 0, 0, false}).maxPly, 40);
  EXPECT_TRUE(recording->messages.empty());
  EXPECT_EQ(searchSettings.maxPly.load(), 40);
}

TEST_F(SearchParams, NegativeSecondsAreReportedBeforeTheDepth) {
  test::RecordingScope recording;
  SearchParamsOutcome out = ApplySearchParams({-2, -7, 0, false});
  EXPECT_EQ(out.maxSecondsPerMove, 0);
  EXPECT_EQ(out.maxPly, 1);
  ASSERT_EQ(recording->messages.size(), 2u);
  EXPECT_EQ(recording->messages[0].first, "Seconds set to 0");
  EXPECT_EQ(recording->messages[1].first, "Max ply set to 1");
}

TEST_F(SearchParams, KilonodesAreStoredAsNodesAndShownBack) {
  SearchParamsOutcome out = ApplySearchParams({10, 0, 50, true});
  EXPECT_EQ(out.maxNodes, 50000u);
  EXPECT_EQ(out.waitFlag, 1);
  EXPECT_EQ(searchSettings.maxNodes.load(), 50000u);
  SearchParamsValues shown = CurrentSearchParams();
  EXPECT_EQ(shown.kiloNodes, 50);
  EXPECT_EQ(shown.maxPly, 10);
  EXPECT_TRUE(shown.wait);
}

TEST_F(SearchParams, NodeLimitsBeyondTheCounterSaturateInsteadOfWrapping) {
  // 5,000,000 kilonodes would wrap a 32-bit count to a small, early-stopping limit.
  EXPECT_EQ(ApplySearchParams({10, 0, 5000000, false}).maxNodes, UINT32_MAX);
  EXPECT_EQ(ApplySearchParams({10, 0, 4294967, false}).maxNodes, 4294967000u);
  EXPECT_EQ(ApplySearchParams({10, 0, -5, false}).maxNodes, 0u);
}

} // namespace
} // namespace kestrin
