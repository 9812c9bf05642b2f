// A blocking network client for tests: connects to this machine, sends frames and waits, for up
// to three seconds, for frames of a type, keeping the rest unread. With a pump (a server's loop
// in the same thread) waiting runs the pump instead of sleeping.
#pragma once

#include <functional>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "net/wire.h"

namespace kestrin::test {

// A move as a client sends it: the mover's colour, its time used and the move text.
inline Payload MovePayload(int colour, std::string_view text, std::array<std::uint8_t, 3> time = {1, 1, 1}) {
  Payload p{static_cast<std::uint8_t>(colour), time[0], time[1], time[2]}, move = TextPayload(text);
  p.insert(p.end(), move.begin(), move.end());
  return p;
}

class ScriptedClient {
public:
  explicit ScriptedClient(std::function<void()> pump = {}) : pump(std::move(pump)) {}
  ~ScriptedClient() { Close(); }
  // To 127.0.0.1; a receive buffer of that many bytes makes a reader the kernel cannot cover for.
  bool Connect(std::uint16_t port, int receiveBuffer = 0);
  void Close();
  bool Send(std::uint8_t type, const Payload& payload) { return SendBytes(EncodeFrame(type, payload)); }
  bool SendBytes(const std::vector<std::uint8_t>& bytes);
  // The first unread frame of `type`; frames of other types before it stay unread.
  std::optional<Frame> WaitFor(std::uint8_t type);
  bool WaitClosed() { return Wait([this] { return !Poll(); }); } // true once the peer has closed
  std::vector<Frame> Take() { return Poll(), std::exchange(unread, {}); } // every unread frame, oldest first
  bool Poll();                                                      // reads what has arrived; false once closed

private:
  bool Wait(const std::function<bool()>& done);
  std::function<void()> pump;
  int fd = -1;
  FrameReader reader;
  std::vector<Frame> unread;
};

} // namespace kestrin::test
