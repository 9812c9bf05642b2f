// A server on a poll loop in the test's thread, scripted clients whose waits run that loop,
// and what client 0 received.
#pragma once

#include <memory>

#include "net/pollloop.h"
#include "net/server.h"
#include "support/scriptedclient.h"

namespace kestrin::test {

struct LocalServer {
  PollLoop loop;
  Server server{loop};
  std::vector<Frame> local;
  std::vector<std::unique_ptr<ScriptedClient>> clients;

  LocalServer() {
    server.deliverToLocal = [this](std::uint8_t type, const Payload& p) { local.push_back({type, p}); };
    server.Start(0, "Host", "127.0.0.1");
  }
  // Runs the loop until the traffic has passed (each pass waits up to `waitMs`).
  void Settle(int waitMs = 2) {
    for (int i = 0; i < 8; ++i) loop.RunOnce(waitMs);
  }
  // A client the server has accepted, introduced by `name` unless it is empty.
  ScriptedClient& Connect(const std::string& name = "", int receiveBuffer = 0) {
    auto& client = *clients.emplace_back(std::make_unique<ScriptedClient>([this] { loop.RunOnce(1); }));
    Settle(0); // a closing still pending would hide the new client in the count
    const int before = server.ClientCount();
    client.Connect(server.Port(), receiveBuffer);
    for (int i = 0; i < 200 && server.ClientCount() == before; ++i) loop.RunOnce(5);
    if (!name.empty()) client.Send(5, TextPayload(name));
    Settle();
    return client;
  }
};

} // namespace kestrin::test
