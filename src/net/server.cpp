#include "net/server.h"

#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "net/serverstate.h"
#include "notation/transcript.h"
#include "platform/frontend.h"

namespace kestrin {

namespace {

constexpr int ListenBacklog = 16;
// Bytes read from one client per readiness event, so that a flood cannot starve the others.
constexpr std::size_t ReadBudget = 64 * 1024;

const char* CloseReason(int error) {
  switch (error) {
    case ECONNRESET: return "\n(Reason: Connection Reset by Client)";
    case ENETDOWN:
    case ENETUNREACH: return "\n(Reason: Network Failed)";
    case ECONNABORTED:
    case ETIMEDOUT: return "\n(Reason: Failed or Timed Out.)";
    default: return "";
  }
}

// Opens a listening socket on the address (empty: every IPv4 address), or returns -1 with
// `bindFailed` telling whether the socket could be made at all.
int OpenListener(std::uint16_t port, const std::string& address, bool& bindFailed) {
  addrinfo hints{};
  hints.ai_family = address.empty() ? AF_INET : AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  bindFailed = true;
  if (getaddrinfo(address.empty() ? nullptr : address.c_str(), service.c_str(), &hints, &found) != 0) return -1;
  const int fd = socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    bindFailed = false;
    freeaddrinfo(found);
    return -1;
  }
  // A server restarted at once finds its port in the TIME_WAIT of its last connections.
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  const bool ok = bind(fd, found->ai_addr, found->ai_addrlen) == 0 && listen(fd, ListenBacklog) == 0;
  freeaddrinfo(found);
  if (!ok) {
    close(fd);
    return -1;
  }
  return fd;
}

} // namespace

Server::Server(EventSource& events) : state(std::make_unique<State>(events)) {}

Server::~Server() { Stop(); }

bool Server::Start(std::uint16_t port, const std::string& ownName, const std::string& bindAddress) {
  Stop();
  bool bindFailed = false;
  state->listener = OpenListener(port, bindAddress, bindFailed);
  if (state->listener < 0) {
    const char* text = bindFailed
                           ? "ERROR:\n(on Server Startup)\nUndefined or this computer is already running a server."
                           : "Error on Listener Setup.";
    Log(text);
    ShowMessage(text, "Error");
    return false;
  }
  sockaddr_storage bound{};
  socklen_t size = sizeof bound;
  getsockname(state->listener, reinterpret_cast<sockaddr*>(&bound), &size);
  state->port = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6&>(bound).sin6_port
                                                  : reinterpret_cast<sockaddr_in&>(bound).sin_port);
  for (auto& table : state->tables) table.Reset();
  state->clients.clear();
  state->clients.push_back(ServerClient{nullptr, ownName.substr(0, NameFieldSize), 0, NetOnlooker});
  WatchListener();
  Show("Waiting for connections....");
  return true;
}

void Server::Stop() {
  if (state->listener >= 0) {
    state->events.Unwatch(state->listener);
    close(state->listener);
    state->listener = -1;
  }
  state->clients.clear(); // the connections close their sockets
}

bool Server::Running() const { return state->listener >= 0; }

void Server::Shutdown(int milliseconds) {
  if (!Running()) return;
  SendToAll(9, TextPayload(""));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  for (auto& client : state->clients) {
    Connection* connection = client.connection.get();
    while (connection && connection->Open() && connection->Queued() > 0) {
      using std::chrono::milliseconds;
      const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now()).count();
      pollfd waiting{connection->Fd(), POLLOUT, 0};
      if (left <= 0 || poll(&waiting, 1, static_cast<int>(left)) <= 0) break;
      connection->Flush();
    }
  }
  Stop();
}

void Server::WatchListener() {
  state->listenerPaused = false;
  state->events.Watch(state->listener, EventSource::Readable, [this](int) { AcceptClients(); });
}

void Server::AcceptClients() {
  for (;;) {
    const int fd = accept4(state->listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    const int error = fd < 0 ? errno : 0;
    if (error == EINTR) continue;
    if (fd < 0 && error != EAGAIN && error != EWOULDBLOCK) Show("Failed Connection Attempt...");
    if (error == EMFILE || error == ENFILE) {
      // The attempt stays pending and the listener stays readable: listen again when a client leaves.
      state->events.Unwatch(state->listener);
      state->listenerPaused = true;
    }
    if (fd < 0) return;
    if (static_cast<int>(state->clients.size()) >= MaxClients) {
      // Refused at once rather than left waiting in the backlog.
      close(fd);
      Show("Server Full...\n(Connection Attempted)");
      continue;
    }
    const int number = static_cast<int>(state->clients.size());
    ServerClient client;
    client.name = "Guest" + std::to_string(number);
    client.connection = std::make_unique<Connection>(state->events, fd, state->outputLimit, nullptr);
    const Connection* key = client.connection.get();
    // Clients move down when an earlier one leaves, so the handler finds its number each time.
    client.connection->SetReady([this, key](int events) { OnConnectionEvent(key, events); });
    state->clients.push_back(std::move(client));
    Show("Client " + std::to_string(number) + " Connected");
  }
}

void Server::OnConnectionEvent(const void* key, int events) {
  int number = 0;
  while (number < ClientCount() && state->clients[number].connection.get() != key) ++number;
  if (number == ClientCount()) return;
  Connection& connection = *state->clients[number].connection;
  if (events & EventSource::Writable) connection.Flush();
  if (events & EventSource::Readable) {
    connection.Receive(ReadBudget);
    ++state->handling;
    Frame frame;
    while (connection.Reader().Next(frame)) {
      // Type 22 is the server's own notice of a closed connection, never a client's message.
      if (frame.type != 22) Dispatch(number, frame.type, frame.payload);
    }
    --state->handling;
    // A length no message has: the stream cannot be followed any further.
    if (connection.Reader().Broken()) connection.Close(0);
  }
  RemoveDroppedClients();
}

void Server::RemoveDroppedClients() {
  if (state->handling > 0) return;
  for (int k = 1; k < ClientCount();) {
    const Connection& connection = *state->clients[k].connection;
    if (connection.Open()) {
      ++k;
      continue;
    }
    const int error = connection.CloseError();
    ++state->handling;
    Dispatch(k, 22, {});
    --state->handling;
    Show("Client " + std::to_string(k) + " is disconnected" + CloseReason(error));
    k = 1; // the notices may have dropped an earlier client
  }
}

void Server::RemoveClient(int client) {
  if (client <= 0 || client >= ClientCount()) return;
  state->clients.erase(state->clients.begin() + client);
  if (state->listenerPaused) WatchListener();
  // Seat references above the removed client move down with their clients; the removed
  // client itself has left its seat before it is removed.
  for (auto& table : state->tables) {
    if (table.white > client) --table.white;
    if (table.black > client) --table.black;
  }
}

void Server::Handle(int client, std::uint8_t type, const Payload& payload) {
  if (client < 0 || client >= ClientCount()) return;
  ++state->handling;
  Dispatch(client, type, payload);
  --state->handling;
  RemoveDroppedClients();
}

void Server::SendToClient(int client, std::uint8_t type, const Payload& payload) {
  if (client < 0 || client >= ClientCount()) return;
  if (client == 0) {
    if (deliverToLocal) deliverToLocal(type, payload);
    return;
  }
  state->clients[client].connection->Send(EncodeFrame(type, payload));
}

void Server::SendToTable(int table, std::uint8_t type, const Payload& payload) {
  for (int k = 0; k < ClientCount(); ++k)
    if (state->clients[k].table == table) SendToClient(k, type, payload);
}

void Server::SendToAll(std::uint8_t type, const Payload& payload) {
  for (int k = 0; k < ClientCount(); ++k) SendToClient(k, type, payload);
}

void Server::Show(const std::string& text) {
  SetInfoText(text);
  Log(text);
}

void Server::Log(const std::string& text) {
  if (!log) return;
  std::string line = text;
  for (char& c : line)
    if (c == '\n') c = ' ';
  log(line);
}

void Server::SetOutputLimit(std::size_t bytes) { state->outputLimit = bytes; }

int Server::ClientCount() const { return static_cast<int>(state->clients.size()); }
std::uint16_t Server::Port() const { return state->port; }

namespace {
template <typename Clients, typename Field>
auto ClientField(const Clients& clients, int client, Field field, decltype(clients[0].*field) none) {
  return client >= 0 && client < static_cast<int>(clients.size()) ? clients[client].*field : none;
}
} // namespace

std::string Server::ClientName(int client) const {
  return ClientField(state->clients, client, &ServerClient::name, "");
}
int Server::ClientTable(int client) const { return ClientField(state->clients, client, &ServerClient::table, -1); }
int Server::ClientSeat(int client) const { return ClientField(state->clients, client, &ServerClient::seat, -1); }

// Table numbers outside 0..7 read table 0: these views serve tests and the headless server.
template <typename State>
const ServerTable& TableAt(const State& s, int table) {
  return s.tables[table >= 0 && table < TableCount ? table : 0];
}
int Server::TableWhite(int table) const { return TableAt(*state, table).white; }
int Server::TableBlack(int table) const { return TableAt(*state, table).black; }
int Server::TableSeated(int table) const { return TableAt(*state, table).seated; }
int Server::TableResult(int table) const { return TableAt(*state, table).result; }
int Server::TableMinutes(int table) const { return TableAt(*state, table).minutes; }
int Server::TableSeconds(int table) const { return TableAt(*state, table).seconds; }
int Server::TableWhiteUsed(int table) const { return TableAt(*state, table).whiteUsed; }
int Server::TableBlackUsed(int table) const { return TableAt(*state, table).blackUsed; }
const GameHistory& Server::TableRecord(int table) const { return TableAt(*state, table).record; }
const Position& Server::TablePosition(int table) const { return TableAt(*state, table).position; }
std::string Server::TableMoveList(int table) const {
  std::string text(MaxFrameLength, '\0');
  text.resize(static_cast<std::size_t>(TranscriptToText(&TableAt(*state, table).record, text.data(),
                                                         static_cast<int>(text.size()))));
  return text;
}

} // namespace kestrin
