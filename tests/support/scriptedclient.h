// A blocking network client for tests: connects, sends frames, waits with time-outs for
// frames of a given type and keeps every frame it received. With a pump, waiting runs the
// pump (a server's loop in the same thread) instead of sleeping.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "net/wire.h"

namespace kestrin::test {

class ScriptedClient {
public:
  explicit ScriptedClient(std::function<void()> pump = {});
  ~ScriptedClient();
  ScriptedClient(const ScriptedClient&) = delete;
  ScriptedClient& operator=(const ScriptedClient&) = delete;

  bool Connect(const std::string& host, std::uint16_t port, int timeoutMs = 3000);
  void Close();
  bool Connected() const { return fd >= 0 && !closed; }

  bool Send(std::uint8_t type, const Payload& payload);
  bool SendBytes(const std::vector<std::uint8_t>& bytes);

  // Reads what has arrived, without waiting; false once the server closed the connection.
  bool Poll();
  // The first unread frame of `type` (earlier frames of other types stay unread).
  std::optional<Frame> WaitFor(std::uint8_t type, int timeoutMs = 3000);
  // True once the server closed the connection, within the time-out.
  bool WaitClosed(int timeoutMs = 3000);

  // Frames not taken by WaitFor or Take, oldest first; Take empties them.
  const std::deque<Frame>& Unread() const { return unread; }
  std::vector<Frame> Take();
  // Every frame received since connecting.
  const std::vector<Frame>& Received() const { return received; }

private:
  bool Wait(const std::function<bool()>& done, int timeoutMs);

  std::function<void()> pump;
  int fd = -1;
  bool closed = false;
  FrameReader reader;
  std::deque<Frame> unread;
  std::vector<Frame> received;
};

} // namespace kestrin::test
