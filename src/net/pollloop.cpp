#include "net/pollloop.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace kestrin {

PollLoop::PollLoop() {
  if (pipe(wakePipe) == 0) {
    for (int fd : wakePipe) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    for (int fd : wakePipe) fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
}

PollLoop::~PollLoop() {
  for (int fd : wakePipe)
    if (fd >= 0) close(fd);
}

void PollLoop::Watch(int fd, int events, std::function<void(int)> ready) {
  watches[fd] = WatchEntry{events, std::move(ready)};
}

void PollLoop::Unwatch(int fd) { watches.erase(fd); }

void PollLoop::RunOnce(int milliseconds) {
  std::vector<pollfd> fds;
  fds.reserve(watches.size() + 1);
  fds.push_back({wakePipe[0], POLLIN, 0});
  for (const auto& [fd, entry] : watches) {
    short wanted = 0;
    if (entry.events & Readable) wanted |= POLLIN;
    if (entry.events & Writable) wanted |= POLLOUT;
    fds.push_back({fd, wanted, 0});
  }
  if (poll(fds.data(), fds.size(), milliseconds) <= 0) return;
  if (fds[0].revents) {
    char drain[64];
    while (read(wakePipe[0], drain, sizeof drain) > 0) {
    }
  }
  for (std::size_t i = 1; i < fds.size(); ++i) {
    if (!fds[i].revents) continue;
    // A handler may have dropped or replaced this watch meanwhile.
    auto found = watches.find(fds[i].fd);
    if (found == watches.end()) continue;
    int events = 0;
    // Errors and hang-ups are reported as readable: the read then tells what happened.
    if (fds[i].revents & (POLLIN | POLLERR | POLLHUP | POLLNVAL)) events |= Readable;
    if (fds[i].revents & POLLOUT) events |= Writable;
    events &= found->second.events | Readable;
    if (!events) continue;
    auto ready = found->second.ready; // the handler may unwatch itself
    ready(events);
  }
}

void PollLoop::Run() {
  while (!stopping.exchange(false)) RunOnce(-1);
}

void PollLoop::Stop() {
  stopping = true;
  if (wakePipe[1] >= 0) {
    const char byte = 1;
    // Async-signal-safe; a full pipe already holds a wake-up.
    [[maybe_unused]] ssize_t written = write(wakePipe[1], &byte, 1);
  }
}

} // namespace kestrin
