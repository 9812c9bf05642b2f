// Network frames at the server: the input's frames are handled as client 0's, and the same
// bytes arrive from a remote client over a loopback socket, so that reassembly, bad lengths
// and every message type meet the tables' state left by earlier inputs.
#include "harness.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "net/pollloop.h"
#include "net/server.h"

using namespace kestrin;

namespace {

PollLoop* loop;
Server* server;
int remote = -1;

void Pump() {
  for (int i = 0; i < 16; ++i) loop->RunOnce(0);
}

// A remote client the server has accepted (again, after it dropped the last one).
void Connect() {
  remote = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(server->Port());
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const int before = server->ClientCount();
  // libFuzzer's timeout alarm can interrupt the blocking connect; the kernel still completes
  // it, and the wait below sees the server accept it.
  if (connect(remote, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 && errno != EINTR)
    abort();
  for (int i = 0; i < 1000 && server->ClientCount() == before; ++i) loop->RunOnce(1);
}

// Reads what the server sent; false when it closed the connection.
bool Drain() {
  char buffer[8192];
  for (;;) {
    const ssize_t got = recv(remote, buffer, sizeof buffer, MSG_DONTWAIT);
    if (got > 0) continue;
    return got < 0;
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::StartEngine(false);
  if (!server) {
    loop = new PollLoop;
    server = new Server(*loop);
    server->deliverToLocal = [](std::uint8_t, const Payload&) {};
    if (!server->Start(0, "Host", "127.0.0.1")) abort();
  }
  if (remote < 0) Connect();
  FrameReader reader;
  reader.Feed(data, size);
  Frame frame;
  while (reader.Next(frame)) server->Handle(0, frame.type, frame.payload);
  send(remote, data, size, MSG_DONTWAIT | MSG_NOSIGNAL);
  Pump();
  if (!Drain()) {
    close(remote);
    remote = -1;
    Pump();
  }
  return 0;
}
