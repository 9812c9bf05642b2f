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

namespace {
using Clock = std::chrono::steady_clock;
int MillisecondsLeft(Clock::time_point deadline) {
  return static_cast<int>(std::max<long>(
      0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count()));
}
} // namespace

ScriptedClient::ScriptedClient(std::function<void()> pumpFunction) : pump(std::move(pumpFunction)) {}

ScriptedClient::~ScriptedClient() { Close(); }

bool ScriptedClient::Connect(const std::string& host, std::uint16_t port, int timeoutMs) {
  Close();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
  fd = socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  const bool started = fd >= 0 && (connect(fd, found->ai_addr, found->ai_addrlen) == 0 || errno == EINPROGRESS);
  freeaddrinfo(found);
  const int on = 1;
  if (fd >= 0) setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  closed = false;
  reader = FrameReader();
  unread.clear();
  received.clear();
  if (!started) {
    Close();
    return false;
  }
  int error = -1;
  const bool ok = Wait(
      [&] {
        pollfd p{fd, POLLOUT, 0};
        if (poll(&p, 1, 0) <= 0) return false;
        socklen_t size = sizeof error;
        getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size);
        return true;
      },
      timeoutMs);
  if (!ok || error != 0) Close();
  return fd >= 0;
}

void ScriptedClient::Close() {
  if (fd >= 0) close(fd);
  fd = -1;
}

bool ScriptedClient::Send(std::uint8_t type, const Payload& payload) { return SendBytes(EncodeFrame(type, payload)); }

bool ScriptedClient::SendBytes(const std::vector<std::uint8_t>& bytes) {
  std::size_t sent = 0;
  Wait(
      [&] {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n > 0) sent += static_cast<std::size_t>(n);
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) closed = true;
        return closed || sent == bytes.size();
      },
      3000);
  return sent == bytes.size();
}

bool ScriptedClient::Poll() {
  std::uint8_t chunk[8192];
  while (fd >= 0 && !closed) {
    const ssize_t n = recv(fd, chunk, sizeof chunk, 0);
    if (n > 0) {
      reader.Feed(chunk, static_cast<std::size_t>(n));
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
      break;
    } else {
      closed = true;
    }
  }
  Frame frame;
  while (reader.Next(frame)) {
    received.push_back(frame);
    unread.push_back(std::move(frame));
  }
  return fd >= 0 && !closed;
}

std::optional<Frame> ScriptedClient::WaitFor(std::uint8_t type, int timeoutMs) {
  std::optional<Frame> result;
  Wait(
      [&] {
        Poll();
        auto it = std::find_if(unread.begin(), unread.end(), [&](const Frame& f) { return f.type == type; });
        if (it == unread.end()) return closed;
        result = std::move(*it);
        unread.erase(it);
        return true;
      },
      timeoutMs);
  return result;
}

bool ScriptedClient::WaitClosed(int timeoutMs) {
  return Wait([&] { return !Poll(); }, timeoutMs);
}

std::vector<Frame> ScriptedClient::Take() {
  Poll();
  std::vector<Frame> frames(unread.begin(), unread.end());
  unread.clear();
  return frames;
}

bool ScriptedClient::Wait(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (done()) return true;
    if (MillisecondsLeft(deadline) == 0) return false;
    if (pump) {
      pump();
    } else {
      pollfd p{fd, POLLIN, 0};
      poll(&p, 1, std::min(MillisecondsLeft(deadline), 5));
    }
  }
}

} // namespace kestrin::test
