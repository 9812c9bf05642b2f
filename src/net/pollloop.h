// An EventSource over poll(), for the headless server and the tests.
#pragma once

#include <atomic>
#include <functional>
#include <map>

#include "net/eventsource.h"

namespace kestrin {

class PollLoop : public EventSource {
public:
  PollLoop();
  ~PollLoop() override;
  PollLoop(const PollLoop&) = delete;
  PollLoop& operator=(const PollLoop&) = delete;

  void Watch(int fd, int events, std::function<void(int)> ready) override;
  void Unwatch(int fd) override;
  // Waits up to `milliseconds` (-1: no limit) and runs the handlers of the ready descriptors once.
  void RunOnce(int milliseconds);
  // Runs until Stop() (callable from a handler or, via an internal wake pipe, from a signal
  // handler or another thread).
  void Run();
  void Stop();

private:
  struct WatchEntry {
    int events;
    std::function<void(int)> ready;
  };
  std::map<int, WatchEntry> watches;
  int wakePipe[2] = {-1, -1};
  std::atomic<bool> stopping{false};
};

} // namespace kestrin
