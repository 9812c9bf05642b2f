#include "support/scriptedclient.h"

#include <arpa/inet.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace kestrin::test {

// A loopback connect completes in the kernel's backlog, so a server in this thread needs no turn.
bool ScriptedClient::Connect(std::uint16_t port, int receiveBuffer) {
  sockaddr_in address{};
  address.sin_family = AF_INET, address.sin_port = htons(port), address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  if (receiveBuffer) setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) Close();
  return fd >= 0;
}

void ScriptedClient::Close() {
  if (fd >= 0) close(fd);
  fd = -1;
}

// Blocking: the frames tests send fit the socket's buffer whole.
bool ScriptedClient::SendBytes(const std::vector<std::uint8_t>& bytes) {
  return fd >= 0 && send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

bool ScriptedClient::Poll() {
  std::uint8_t chunk[8192];
  ssize_t n = 0;
  while (fd >= 0 && (n = recv(fd, chunk, sizeof chunk, MSG_DONTWAIT)) > 0) reader.Feed(chunk, std::size_t(n));
  for (Frame frame; reader.Next(frame);) unread.push_back(frame);
  return fd >= 0 && n < 0 && errno == EAGAIN;
}

std::optional<Frame> ScriptedClient::WaitFor(std::uint8_t type) {
  std::optional<Frame> found;
  Wait([&] {
    const bool open = Poll();
    auto it = std::find_if(unread.begin(), unread.end(), [&](const Frame& f) { return f.type == type; });
    if (it != unread.end()) found = *it, unread.erase(it);
    return found || !open;
  });
  return found;
}

bool ScriptedClient::Wait(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    pollfd p{fd, POLLIN, 0};
    pump ? pump() : void(poll(&p, 1, 2));
  }
  return true;
}

} // namespace kestrin::test
