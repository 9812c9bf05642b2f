// The clock, the two kinds of event the engine thread waits on.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/clock.h"
#include "platform/events.h"

namespace kestrin {
namespace {

using namespace std::chrono_literals;

std::int64_t FixedClock() { return 123456; }

TEST(Clock, CountsWallTimeAndCanBeSubstituted) {
  SetClockSource(&FixedClock);
  EXPECT_EQ(ClockMilliseconds(), 123456);
  SetClockSource(nullptr); // back to the real clock, which counts wall time, not processor time
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
