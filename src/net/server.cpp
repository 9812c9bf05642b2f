#include "net/server.h"

#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <vector>

#include "net/serverstate.h"
#include "notation/transcript.h"
#include "platform/frontend.h"

namespace kestrin {

namespace {

// A burst of connects waits in the kernel rather than for a SYN retry a second later.
constexpr int ListenBacklog = SOMAXCONN;
// Bytes read from one client per readiness event, so that a flood cannot starve the others;
// the longest frame (a move list) still arrives in one read.
constexpr std::size_t ReadBudget = 16 * 1024;

const char* CloseReason(int error) {
  switch (error) {
    case ECONNRESET: return "\n(Reason: Connection Reset by Client)";
    case ENETDOWN:
    case ENETUNREACH: return "\n(Reason: Network Failed)";
    case ECONNABORTED:
    case ETIMEDOUT: return "\n(Reason: Failed or Timed Out.)";
    case ENOBUFS: return "\n(Reason: Not reading what the server sends)";
    case EPROTO: return "\n(Reason: Sent data that is not a message)";
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
  state->clients.emplace_back();
  state->clients[0].name = PrintableText(ownName).substr(0, NameFieldSize);
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
  state->events.Unwatch(state->listener);
  close(state->listener);
  state->listener = -1;
  SendToAll(9, TextPayload(""));
  // Closing a socket with unread input resets the connection, and a reset throws away what
  // the peer has not read yet: the goodbye among it. So each connection sends what it has,
  // then its end of stream, and reads (and drops) whatever the peer still sends until the
  // peer closes too or the time is up. All connections at once: one slow peer costs no other.
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  std::vector<Connection*> pending;
  std::vector<bool> writeShut;
  for (auto& client : state->clients)
    if (client.connection && client.connection->Open()) pending.push_back(client.connection.get());
  writeShut.assign(pending.size(), false);
  for (;;) {
    std::vector<pollfd> fds;
    std::vector<std::size_t> which;
    for (std::size_t i = 0; i < pending.size(); ++i) {
      Connection& connection = *pending[i];
      if (!connection.Open()) continue;
      if (connection.Queued() == 0 && !writeShut[i]) {
        shutdown(connection.Fd(), SHUT_WR);
        writeShut[i] = true;
      }
      fds.push_back({connection.Fd(), static_cast<short>(POLLIN | (writeShut[i] ? 0 : POLLOUT)), 0});
      which.push_back(i);
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (fds.empty() || left <= 0 || poll(fds.data(), fds.size(), static_cast<int>(left)) < 0) break;
    for (std::size_t j = 0; j < fds.size(); ++j) {
      Connection& connection = *pending[which[j]];
      if (fds[j].revents & POLLOUT) connection.Flush();
      if (!(fds[j].revents & (POLLIN | POLLERR | POLLHUP)) || !connection.Open()) continue;
      std::uint8_t discard[16 * 1024];
      ssize_t n;
      while ((n = recv(connection.Fd(), discard, sizeof discard, 0)) > 0) {
      }
      if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) connection.Close(n == 0 ? 0 : errno);
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
    client.name = GuestName(number);
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
    if (connection.Reader().Broken()) connection.Close(EPROTO);
  }
  FinishTurn();
}

void Server::FinishTurn() {
  if (state->handling > 0) return;
  do {
    // One write per client for everything this turn gave it.
    for (auto& client : state->clients)
      if (client.connection && client.connection->Queued() > 0 && !client.connection->WaitingForWrite())
        client.connection->Flush();
  } while (RemoveDroppedClients());
}

bool Server::RemoveDroppedClients() {
  bool removed = false;
  for (int k = 1; k < ClientCount();) {
    const Connection& connection = *state->clients[k].connection;
    if (connection.Open()) {
      ++k;
      continue;
    }
    const int error = connection.CloseError();
    const std::string name = state->clients[k].named ? " (" + state->clients[k].name + ")" : "";
    ++state->handling;
    Dispatch(k, 22, {});
    --state->handling;
    const std::string text = "Client " + std::to_string(k) + " is disconnected" + CloseReason(error);
    SetInfoText(text);
    Log("Client " + std::to_string(k) + name + " is disconnected" + CloseReason(error));
    removed = true;
    k = 1; // the notices may have dropped an earlier client
  }
  return removed;
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
  FinishTurn();
}

void Server::SendToClient(int client, std::uint8_t type, const Payload& payload) {
  if (client < 0 || client >= ClientCount()) return;
  if (client == 0) {
    if (deliverToLocal) deliverToLocal(type, payload);
    return;
  }
  state->clients[client].connection->Queue(EncodeFrame(type, payload));
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
  log(PrintableText(line));
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
