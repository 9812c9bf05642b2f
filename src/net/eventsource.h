// How socket readiness reaches the network handlers: a poll() loop in the core, a socket
// notifier in the window.
#pragma once

#include <functional>

namespace kestrin {

class EventSource {
public:
  enum : int { Readable = 1, Writable = 2 };
  virtual ~EventSource() = default;
  // Calls ready(events) whenever fd is ready for any of `events`; replaces an earlier watch of fd.
  virtual void Watch(int fd, int events, std::function<void(int events)> ready) = 0;
  virtual void Unwatch(int fd) = 0;
};

} // namespace kestrin
