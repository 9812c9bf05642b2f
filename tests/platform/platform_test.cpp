// The settings file "Kchess.dft" (thirteen lines read and written back, and files a user or an
// editor may leave there), the clock, and the two kinds of event the engine thread waits on.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "platform/clock.h"
#include "platform/events.h"
#include "platform/settings.h"
#include "search/limits.h"
#include "search/output.h"
#include "support/scratchdir.h"

namespace kestrin {
namespace {

TEST(SettingsFile, ReadWrittenBackAndKeptSane) {
  ResetSettings();
  test::ScratchDirectory scratch;
  ReadSettings();
  EXPECT_EQ(settings.playerName, "Human") << "a missing file keeps the defaults";
  const char* full = "Kasparov\n192.168.1.7\n10\n3\n28\n2200\n1\n0\n23\n1\n0\n0\n0\n";
  test::WriteFileBytes(SettingsFileName, full);
  ReadSettings();
  const int numbers[] = {settings.gameMinutes,    settings.secondsPerMove,    settings.reservedPly, settings.eloRating,
                         settings.ponderEnabled,  settings.showSearchInfo,    settings.hashSizeExponent,
                         settings.reservedFlag,   settings.highlightLastMove, settings.whitePovEvals, settings.reservedZero};
  EXPECT_EQ(settings.playerName + "|" + settings.connectAddress, "Kasparov|192.168.1.7");
  EXPECT_EQ(std::vector<int>(std::begin(numbers), std::end(numbers)),
            (std::vector<int>{10, 3, 28, 2200, 1, 0, 23, 1, 0, 0, 0}));
  std::remove(SettingsFileName);
  ASSERT_TRUE(WriteSettings());
  EXPECT_EQ(test::ReadFileBytes(SettingsFileName), full);
  // Put in force: time control, pondering, search information, table size, point of view.
  ApplySettings();
  EXPECT_EQ((std::vector<int>{searchSettings.timeMinutes, searchSettings.timeIncrement, searchSettings.ponderEnabled,
                              searchSettings.showSearchInfo, searchSettings.hashSizeExponent, EvalsFromWhitePov}),
            (std::vector<int>{10, 3, 1, 0, 23, 0}));
  ResetSearchSettings();
  EvalsFromWhitePov = 1;

  // A short file, Windows line ends, a name too long (its rest is read as the address),
  // values no menu offers, and noise.
  const std::pair<std::string, std::string> cases[] = {
      {"Anna Lee\r\n10.0.0.1\r\n7\r\n3\r\n", "Anna Lee|10.0.0.1|7|3|21"},
      {std::string(45, 'n') + "\n1.2.3.4\n9\n", std::string(37, 'n') + "|" + std::string(7, 'n') + "|1|5|21"},
      {"x\ny\n-5\n-1\n28\n-70\n7\n9\n99\n1\n5\n-3\n0\n", "x|y|5|5|21"}};
  for (const auto& [text, read] : cases) {
    ResetSettings();
    test::WriteFileBytes(SettingsFileName, text);
    ReadSettings();
    EXPECT_EQ(settings.playerName + "|" + settings.connectAddress + "|" + std::to_string(settings.gameMinutes) + "|" +
                  std::to_string(settings.secondsPerMove) + "|" + std::to_string(settings.hashSizeExponent), read) << text;
    EXPECT_TRUE(settings.eloRating >= 0 && settings.ponderEnabled == 0 && settings.whitePovEvals == 1) << text;
  }
  ResetSettings();
}

using namespace std::chrono_literals;

TEST(Clock, CountsWallTimeNotProcessorTime) {
  const std::int64_t before = ClockMilliseconds();
  std::this_thread::sleep_for(30ms);
  EXPECT_GE(ClockMilliseconds() - before, 30);
}

TEST(Events, AutoResetServesOneWaitPerSetAndManualResetEveryWaitUntilReset) {
  AutoResetEvent automatic;
  automatic.Set();
  EXPECT_TRUE(automatic.WaitFor(0)) << "a set without a waiter stays pending";
  EXPECT_FALSE(automatic.WaitFor(5)) << "and is consumed by one wait";
  ManualResetEvent manual;
  EXPECT_FALSE(manual.WaitFor(5));
  std::atomic<bool> woken{false};
  std::thread waiter([&] { woken = manual.WaitFor(10000); });
  manual.Set();
  waiter.join();
  EXPECT_TRUE(woken.load() && manual.WaitFor(0) && manual.IsSet());
  manual.Reset();
  EXPECT_FALSE(manual.WaitFor(5));
}

} // namespace
} // namespace kestrin
