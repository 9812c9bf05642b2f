#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/clock.h"
#include "platform/events.h"
#include "platform/frontend.h"
#include "support/recordingfrontend.h"

namespace kestrin {
namespace {

using namespace std::chrono_literals;

TEST(Clock, CountsWallTimeWhileTheThreadSleeps) {
  std::int64_t before = ClockMilliseconds();
  std::this_thread::sleep_for(30ms);
  std::int64_t after = ClockMilliseconds();
  // A processor-time clock would barely move here.
  EXPECT_GE(after - before, 30);
}

std::int64_t FixedClock() { return 123456; }

TEST(Clock, ASourceCanBeSubstitutedAndRestored) {
  SetClockSource(&FixedClock);
  EXPECT_EQ(ClockMilliseconds(), 123456);
  SetClockSource(nullptr);
  EXPECT_NE(ClockMilliseconds(), 123456);
}

TEST(AutoResetEvent, ASetWithoutWaiterStaysPendingForOneWait) {
  AutoResetEvent event;
  event.Set();
  EXPECT_TRUE(event.WaitFor(0));
  EXPECT_FALSE(event.WaitFor(5)); // consumed by the first wait
}

TEST(AutoResetEvent, ReleasesOneWaitingThreadPerSet) {
  AutoResetEvent event;
  std::atomic<int> released{0};
  std::thread a([&] { event.Wait(); ++released; });
  std::thread b([&] { event.Wait(); ++released; });
  event.Set();
  while (released.load() < 1) std::this_thread::sleep_for(1ms);
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(released.load(), 1);
  event.Set();
  a.join();
  b.join();
  EXPECT_EQ(released.load(), 2);
}

TEST(ManualResetEvent, StaysSetForEveryWaitUntilReset) {
  ManualResetEvent event;
  EXPECT_FALSE(event.IsSet());
  EXPECT_FALSE(event.WaitFor(5));
  event.Set();
  EXPECT_TRUE(event.WaitFor(0));
  EXPECT_TRUE(event.WaitFor(0));
  std::thread waiter([&] { event.Wait(); });
  waiter.join();
  event.Reset();
  EXPECT_FALSE(event.IsSet());
  EXPECT_FALSE(event.WaitFor(5));
}

TEST(ManualResetEvent, WakesAThreadWaitingWithTimeOut) {
  ManualResetEvent event;
  std::atomic<bool> result{false};
  std::thread waiter([&] { result = event.WaitFor(10000); });
  std::this_thread::sleep_for(10ms);
  event.Set();
  waiter.join();
  EXPECT_TRUE(result.load());
}

TEST(Frontend, TheQuietOneServesUntilAnotherIsInstalled) {
  QuietFrontend* quiet = dynamic_cast<QuietFrontend*>(&CurrentFrontend());
  ASSERT_NE(quiet, nullptr);
  EXPECT_EQ(CurrentFrontend().AskPromotion(), 6);
  EXPECT_FALSE(CurrentFrontend().AskYesNo("Save?", "Question"));
  CurrentFrontend().SetClipboardText("1. e2-e4 ");
  EXPECT_EQ(CurrentFrontend().ClipboardText(), "1. e2-e4 ");
  {
    test::RecordingScope recording;
    SetInfoText("Hash Table Cleared.");
    ShowMessage("Seconds set to 0", "Out of Range");
    EXPECT_EQ(recording->infoTexts, std::vector<std::string>{"Hash Table Cleared."});
    ASSERT_EQ(recording->messages.size(), 1u);
    EXPECT_EQ(recording->messages[0].second, "Out of Range");
  }
  EXPECT_NE(dynamic_cast<QuietFrontend*>(&CurrentFrontend()), nullptr);
}

} // namespace
} // namespace kestrin
