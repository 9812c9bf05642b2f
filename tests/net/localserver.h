// A server on a poll loop in the test's own thread, with scripted clients whose waits run
// that loop, and client 0's frames kept as they arrive.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "net/pollloop.h"
#include "net/server.h"
#include "support/scriptedclient.h"

namespace kestrin::test {

struct LocalServer {
  PollLoop loop;
  Server server{loop};
  std::vector<Frame> local; // what client 0 received
  std::vector<std::unique_ptr<ScriptedClient>> clients;

  explicit LocalServer(std::size_t outputLimit = 0) {
    if (outputLimit) server.SetOutputLimit(outputLimit);
    server.deliverToLocal = [this](std::uint8_t type, const Payload& payload) { local.push_back({type, payload}); };
    server.Start(0, "Host", "127.0.0.1");
  }
  // Connects a client, waits until the server has it and, with a name, introduces it.
  ScriptedClient& Connect(const std::string& name = "") {
    clients.push_back(std::make_unique<ScriptedClient>([this] { loop.RunOnce(1); }));
    ScriptedClient& client = *clients.back();
    Settle(0); // closings still pending would hide the new client in the count
    const int before = server.ClientCount();
    client.Connect("127.0.0.1", server.Port());
    for (int i = 0; i < 200 && server.ClientCount() == before; ++i) loop.RunOnce(5);
    if (!name.empty()) client.Send(5, TextPayload(name));
    Settle();
    return client;
  }
  // Runs the loop until the traffic has passed, then lets every client read it.
  void Settle(int waitMs = 2) {
    for (int i = 0; i < 8; ++i) loop.RunOnce(waitMs);
    for (auto& client : clients) client->Poll();
  }
};

} // namespace kestrin::test
