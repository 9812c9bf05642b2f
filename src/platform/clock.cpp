#include "platform/clock.h"

#include <atomic>
#include <chrono>

namespace kestrin {

namespace {

std::atomic<ClockSource> clockSource{nullptr};

} // namespace

std::int64_t ClockMilliseconds() {
  if (ClockSource source = clockSource.load(std::memory_order_acquire)) return source();
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}

void SetClockSource(ClockSource source) { clockSource.store(source, std::memory_order_release); }

} // namespace kestrin
