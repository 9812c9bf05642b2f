#include "support/scriptedclient.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace kestrin::test {

bool ScriptedClient::Connect(const std::string& host, std::uint16_t port, int timeoutMs) {
  Close();
  addrinfo hints{}, *found = nullptr;
  hints.ai_socktype = SOCK_STREAM;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
  fd = socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  const bool started = connect(fd, found->ai_addr, found->ai_addrlen) == 0 || errno == EINPROGRESS;
  freeaddrinfo(found);
  int error = 1;
  socklen_t size = sizeof error;
  if (started && Wait([&] { pollfd p{fd, POLLOUT, 0}; return poll(&p, 1, 0) > 0; }, timeoutMs))
    getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size);
  if (error != 0) Close();
  return fd >= 0;
}

void ScriptedClient::Close() {
  if (fd >= 0) close(fd);
  fd = -1;
  reader = FrameReader();
  unread.clear();
}

bool ScriptedClient::SendBytes(const std::vector<std::uint8_t>& bytes) {
  std::size_t sent = 0;
  return Wait([&] {
    const ssize_t n = fd < 0 ? -1 : send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    sent += n > 0 ? static_cast<std::size_t>(n) : 0;
    return sent == bytes.size() || (n < 0 && errno != EAGAIN);
  }, 3000) && sent == bytes.size();
}

bool ScriptedClient::Poll() {
  std::uint8_t chunk[8192];
  ssize_t n = 0;
  while (fd >= 0 && (n = recv(fd, chunk, sizeof chunk, 0)) > 0) reader.Feed(chunk, static_cast<std::size_t>(n));
  for (Frame frame; reader.Next(frame);) unread.push_back(frame);
  return fd >= 0 && n < 0 && errno == EAGAIN;
}

std::optional<Frame> ScriptedClient::WaitFor(std::uint8_t type, int timeoutMs) {
  std::optional<Frame> found;
  Wait([&] {
    const bool open = Poll();
    auto it = std::find_if(unread.begin(), unread.end(), [&](const Frame& f) { return f.type == type; });
    if (it != unread.end()) found = *it, unread.erase(it);
    return found || !open;
  }, timeoutMs);
  return found;
}

bool ScriptedClient::WaitClosed(int timeoutMs) { return Wait([&] { return !Poll(); }, timeoutMs); }

std::vector<Frame> ScriptedClient::Take() {
  Poll();
  std::vector<Frame> frames(unread.begin(), unread.end());
  unread.clear();
  return frames;
}

bool ScriptedClient::Wait(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    pollfd p{fd, POLLIN, 0};
    pump ? pump() : void(poll(&p, 1, 2));
  }
  return true;
}

} // namespace kestrin::test
