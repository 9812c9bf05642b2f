#include "net/connection.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace kestrin {

Connection::Connection(EventSource& eventSource, int socket, std::size_t limit, std::function<void(int)> handler)
    : events(eventSource), fd(socket), outputLimit(limit), ready(std::move(handler)) {
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  fcntl(fd, F_SETFD, FD_CLOEXEC);
  // Frames are small and each is wanted at once: no waiting to merge them.
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  if (ready) events.Watch(fd, EventSource::Readable, ready);
}

void Connection::SetReady(std::function<void(int)> handler) {
  ready = std::move(handler);
  if (open) events.Watch(fd, EventSource::Readable | (watchingWrites ? EventSource::Writable : 0), ready);
}

Connection::~Connection() {
  if (fd >= 0) {
    events.Unwatch(fd);
    close(fd);
  }
}

void Connection::Close(int error) {
  if (!open) return;
  open = false;
  closeError = error;
  out.clear();
  sent = 0;
  // Stop hearing from the socket; it is closed when the connection is destroyed.
  events.Unwatch(fd);
  shutdown(fd, SHUT_RDWR);
}

void Connection::Send(const std::vector<std::uint8_t>& frame) {
  Queue(frame);
  Flush();
}

void Connection::Queue(const std::vector<std::uint8_t>& frame) {
  if (!open) return;
  if (Queued() + frame.size() > outputLimit) {
    Close(ENOBUFS);
    return;
  }
  if (sent > 0 && sent == out.size()) {
    out.clear();
    sent = 0;
  }
  out.insert(out.end(), frame.begin(), frame.end());
}

void Connection::Flush() {
  while (open && sent < out.size()) {
    const ssize_t n = send(fd, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      break;
    } else {
      Close(n < 0 ? errno : 0);
      return;
    }
  }
  if (!open) return;
  if (sent == out.size()) {
    out.clear();
    sent = 0;
  } else if (sent >= 65536) {
    out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(sent));
    sent = 0;
  }
  UpdateWatch();
}

void Connection::UpdateWatch() {
  const bool want = Queued() > 0;
  if (want == watchingWrites) return;
  watchingWrites = want;
  events.Watch(fd, EventSource::Readable | (want ? EventSource::Writable : 0), ready);
}

void Connection::Receive(std::size_t budget) {
  std::uint8_t chunk[4096];
  while (open && budget > 0) {
    const ssize_t n = recv(fd, chunk, sizeof chunk < budget ? sizeof chunk : budget, 0);
    if (n > 0) {
      reader.Feed(chunk, static_cast<std::size_t>(n));
      budget -= static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      break;
    } else {
      Close(n < 0 ? errno : 0);
    }
  }
}

} // namespace kestrin
