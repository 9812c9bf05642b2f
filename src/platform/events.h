// The two kinds of event that order the window (or protocol) thread and the engine thread.
#pragma once

#include <condition_variable>
#include <mutex>

namespace kestrin {

// Set releases exactly one wait, which resets the event; a Set with nobody waiting
// stays pending until the next wait.
class AutoResetEvent {
public:
  void Set();
  void Wait();
  // Waits at most `milliseconds`; true when the event was set (and is now consumed).
  bool WaitFor(int milliseconds);

private:
  std::mutex mutex;
  std::condition_variable changed;
  bool signalled = false;
};

// Stays set, releasing every wait, until Reset.
class ManualResetEvent {
public:
  void Set();
  void Reset();
  bool IsSet();
  void Wait();
  // Waits at most `milliseconds`; true when the event is set.
  bool WaitFor(int milliseconds);

private:
  std::mutex mutex;
  std::condition_variable changed;
  bool signalled = false;
};

} // namespace kestrin
