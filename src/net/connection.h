// One non-blocking TCP connection: frames in through a FrameReader, frames out through a
// bounded queue, and the reason it closed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "net/eventsource.h"
#include "net/wire.h"

namespace kestrin {

class Connection {
public:
  // Takes `fd` (made non-blocking here); once `ready` is set it runs on the socket's activity.
  Connection(EventSource& events, int fd, std::size_t outputLimit, std::function<void(int events)> ready = {});
  void SetReady(std::function<void(int events)> ready);
  ~Connection(); // unwatches and closes
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  int Fd() const { return fd; }
  // Queues a frame and writes what the socket takes now. Passing the queue's bound or a
  // failing socket closes the connection (Open() turns false); nothing ever waits.
  void Send(const std::vector<std::uint8_t>& frame);
  // Only queues a frame (same bound); a later Flush writes it, so that many frames for one
  // peer leave in one write.
  void Queue(const std::vector<std::uint8_t>& frame);
  // Writes queued bytes the socket takes now.
  void Flush();
  // The socket took less than was queued: the rest goes when it is writable again.
  bool WaitingForWrite() const { return watchingWrites; }
  // Reads what the socket holds into the reader (at most `budget` bytes this time, so one
  // flooding peer cannot starve the others). End of stream or an error closes the connection.
  void Receive(std::size_t budget);
  FrameReader& Reader() { return reader; }
  std::size_t Queued() const { return out.size() - sent; }

  bool Open() const { return open; }
  // The errno that closed the connection (0: closed by the peer or by us; ENOBUFS: the queue's
  // bound was passed; EPROTO: the peer sent what no frame is).
  int CloseError() const { return closeError; }
  void Close(int error);

private:
  void UpdateWatch();

  EventSource& events;
  int fd;
  std::size_t outputLimit;
  std::function<void(int)> ready;
  FrameReader reader;
  std::vector<std::uint8_t> out;
  std::size_t sent = 0;
  bool open = true;
  bool watchingWrites = false;
  int closeError = 0;
};

} // namespace kestrin
