#include "net/network.h"

#include <cerrno>
#include <cstdio>
#include <deque>
#include <limits>
#include <memory>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "net/client.h"
#include "net/connection.h"
#include "net/server.h"
#include "platform/frontend.h"
#include "platform/settings.h"
#include "search/engine.h"

namespace kestrin {

namespace {

// A connect that gets no answer within this time counts as failed.
constexpr int ConnectWaitMs = 5000;
// Output waiting for a server that stops reading; beyond it a message is not sent.
constexpr std::size_t LinkOutputLimit = 256 * 1024;
constexpr std::size_t LinkReadBudget = 1 << 20;

EventSource* events = nullptr;

struct LocalMessage {
  bool toServer;
  std::uint8_t type;
  Payload payload;
  const char* closeReason = nullptr; // shown after the message: why the link to the server closed
};
std::deque<LocalMessage> localQueue;
bool draining = false;

// The own server watches its sockets through this: after each of its handlers the local
// messages it queued for this copy are run, outside the server's handler.
class DrainingEvents : public EventSource {
public:
  void Watch(int fd, int wanted, std::function<void(int)> ready) override {
    if (!events) return;
    events->Watch(fd, wanted, [ready = std::move(ready)](int happened) {
      ready(happened);
      DrainLocalMessages();
    });
  }
  void Unwatch(int fd) override {
    if (events) events->Unwatch(fd);
  }
};
DrainingEvents drainingEvents;
std::unique_ptr<Server> server;

// The socket to a remote server. A closed one is kept until the next is opened: it may be
// closed from inside its own handler.
std::unique_ptr<Connection> link;
std::unique_ptr<Connection> retiredLink;

const char* CloseReason(int error) {
  switch (error) {
  case ECONNRESET: return "Connection Reset by Server";
  case ENETDOWN:
  case ENETUNREACH: return "Network Failed";
  case ECONNABORTED:
  case ETIMEDOUT: return "Failed or Timed Out";
  default: return nullptr;
  }
}

// However the link closed (the server said so, a read or a send failed), the window leaves
// network mode the same way: as if the server had said it goes, after what it said before (a
// handler still running, a box open, may have left earlier messages queued).
void LinkClosed(int error) {
  localQueue.push_back({false, 9, {}, CloseReason(error)});
  DrainLocalMessages();
}

void OnLink(int happened) {
  Connection* connection = link.get();
  if (!connection) return;
  if (happened & EventSource::Writable) connection->Flush();
  if (happened & EventSource::Readable) connection->Receive(LinkReadBudget);
  Frame frame;
  while (connection->Reader().Next(frame)) localQueue.push_back({false, frame.type, std::move(frame.payload)});
  const bool closed = !connection->Open() || connection->Reader().Broken();
  const int error = connection->CloseError();
  DrainLocalMessages();
  // A message may have closed the link already (the server said it goes away).
  if (!closed || link.get() != connection) return;
  LinkClosed(error);
}

int ConnectOne(const addrinfo* address) {
  const int fd = ::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                          address->ai_protocol);
  if (fd < 0) return -1;
  int result = ::connect(fd, address->ai_addr, address->ai_addrlen);
  if (result < 0 && errno == EINPROGRESS) {
    pollfd p{fd, POLLOUT, 0};
    int error = 0;
    socklen_t length = sizeof error;
    result = ::poll(&p, 1, ConnectWaitMs) == 1 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 &&
                     error == 0
                 ? 0
                 : -1;
  }
  if (result == 0) return fd;
  ::close(fd);
  return -2;
}

} // namespace

void InstallEventSource(EventSource* source) {
  if (source == events) return;
  // Sockets watched by the old source are closed while it still exists.
  StopOwnServer();
  link.reset();
  retiredLink.reset();
  events = source;
}

void DrainLocalMessages() {
  if (draining) return;
  draining = true;
  while (!localQueue.empty()) {
    LocalMessage message = std::move(localQueue.front());
    localQueue.pop_front();
    if (!message.toServer) {
      ClientHandle(message.type, message.payload);
      if (message.closeReason) SetInfoText(message.closeReason);
    } else if (server && server->Running()) server->Handle(0, message.type, message.payload);
  }
  draining = false;
}

void SendToServer(std::uint8_t type, const Payload& payload) {
  if (server && server->Running()) {
    localQueue.push_back({true, type, payload});
    DrainLocalMessages();
    return;
  }
  if (!link || !link->Open()) return;
  const std::vector<std::uint8_t> frame = EncodeFrame(type, payload);
  if (link->Queued() + frame.size() > LinkOutputLimit) {
    CurrentFrontend().Beep();
    SetInfoText(" Cannot Send Message ");
    return;
  }
  link->Send(frame);
  if (!link->Open()) {
    char text[64];
    std::snprintf(text, sizeof text, "Send Error. Server Down? (%d)", link->CloseError());
    SetInfoText(text);
    LinkClosed(link->CloseError());
  }
}

bool StartServerCommand(std::uint16_t port) {
  StartNetworking();
  CloseServerLink();
  if (!server) {
    server = std::make_unique<Server>(drainingEvents);
    server->deliverToLocal = [](std::uint8_t type, const Payload& payload) {
      localQueue.push_back({false, type, payload});
    };
  }
  if (!server->Start(port, settings.playerName)) return false;
  netClient.chatLog.clear();
  CurrentNetView().ChatChanged();
  netClient.localColour = NetOnlooker;
  EnterNetworkMode(true);
  NewGame(true);
  SendToServer(5, TextPayload(settings.playerName));
  SendToServer(1, ShortPayload(0));
  return true;
}

Server* OwnServer() { return server && server->Running() ? server.get() : nullptr; }

void StopOwnServer() {
  if (server) server->Stop();
  localQueue.clear();
}

int OpenServerLink(const std::string& address, std::uint16_t port) {
  CloseServerLink();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (address.empty() || ::getaddrinfo(address.c_str(), service.c_str(), &hints, &found) != 0 || !found) {
    SetInfoText("Address Lookup Unsuccessful");
    return 3;
  }
  int fd = -1;
  bool socketMade = false;
  for (const addrinfo* a = found; a && fd < 0; a = a->ai_next) {
    fd = ConnectOne(a);
    socketMade = socketMade || fd != -1;
  }
  ::freeaddrinfo(found);
  if (!socketMade) return 0;
  if (fd < 0) {
    ShowMessage("Error on connection", "Error");
    return 2;
  }
  retiredLink.reset();
  if (!events) {
    ::close(fd);
    return 0;
  }
  link = std::make_unique<Connection>(*events, fd, std::numeric_limits<std::size_t>::max(), OnLink);
  return 1;
}

bool ServerLinkOpen() { return link != nullptr; }

void CloseServerLink() {
  if (!link) return;
  link->Close(0);
  retiredLink = std::move(link);
  localQueue.clear();
}

} // namespace kestrin
