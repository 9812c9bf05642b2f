// A blocking network client for tests: connects, sends frames and waits, with time-outs, for
// frames of a type, keeping the rest unread. With a pump (a server's loop in the same thread)
// waiting runs the pump instead of sleeping.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "net/wire.h"

namespace kestrin::test {

class ScriptedClient {
public:
  explicit ScriptedClient(std::function<void()> pump = {}) : pump(std::move(pump)) {}
  ~ScriptedClient() { Close(); }
  bool Connect(const std::string& host, std::uint16_t port, int timeoutMs = 3000);
  void Close();
  bool Connected() { return Poll(); }
  bool Send(std::uint8_t type, const Payload& payload) { return SendBytes(EncodeFrame(type, payload)); }
  bool SendBytes(const std::vector<std::uint8_t>& bytes);
  // The first unread frame of `type`; frames of other types before it stay unread.
  std::optional<Frame> WaitFor(std::uint8_t type, int timeoutMs = 3000);
  bool WaitClosed(int timeoutMs = 3000); // true once the peer has closed
  std::vector<Frame> Take();             // every unread frame, oldest first
  bool Poll();                           // reads what has arrived; false once closed

private:
  bool Wait(const std::function<bool()>& done, int timeoutMs);
  std::function<void()> pump;
  int fd = -1;
  FrameReader reader;
  std::deque<Frame> unread;
};

} // namespace kestrin::test
