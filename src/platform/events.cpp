#include "platform/events.h"

#include <chrono>

namespace kestrin {

void AutoResetEvent::Set() {
  {
    std::lock_guard lock(mutex);
    signalled = true;
  }
  changed.notify_one();
}

void AutoResetEvent::Wait() {
  std::unique_lock lock(mutex);
  changed.wait(lock, [this] { return signalled; });
  signalled = false;
}

bool AutoResetEvent::WaitFor(int milliseconds) {
  std::unique_lock lock(mutex);
  if (!changed.wait_for(lock, std::chrono::milliseconds(milliseconds < 0 ? 0 : milliseconds),
                        [this] { return signalled; }))
    return false;
  signalled = false;
  return true;
}

void ManualResetEvent::Set() {
  {
    std::lock_guard lock(mutex);
    signalled = true;
  }
  changed.notify_all();
}

void ManualResetEvent::Reset() {
  std::lock_guard lock(mutex);
  signalled = false;
}

bool ManualResetEvent::IsSet() {
  std::lock_guard lock(mutex);
  return signalled;
}

void ManualResetEvent::Wait() {
  std::unique_lock lock(mutex);
  changed.wait(lock, [this] { return signalled; });
}

bool ManualResetEvent::WaitFor(int milliseconds) {
  std::unique_lock lock(mutex);
  return changed.wait_for(lock, std::chrono::milliseconds(milliseconds < 0 ? 0 : milliseconds),
                          [this] { return signalled; });
}

} // namespace kestrin
