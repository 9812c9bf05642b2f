// The network server: up to 47 remote clients beside this copy's own user (client 0), seated
// at eight tables; it relays moves, chat and setup traffic and keeps each table's game.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "net/eventsource.h"
#include "net/wire.h"

namespace kestrin {

struct GameHistory;
struct Position;

constexpr int MaxClients = 48;    // client 0 and 47 remote clients
constexpr int TableCount = 8;     // tables 0..7
constexpr int NameFieldSize = 40; // a name keeps at most this many characters

class Server {
public:
  explicit Server(EventSource& events);
  ~Server(); // stops
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Opens the listener on port (bindAddress empty: every address) and resets the tables and the
  // client list (client 0 = this copy's user, named `ownName`). Shows the failure texts through the
  // core's SetInfoText/ShowMessage and returns false on failure.
  bool Start(std::uint16_t port, const std::string& ownName, const std::string& bindAddress = "");
  void Stop(); // closes every socket, client count 0
  bool Running() const;
  // A message from client `client` (0: this copy's own user, which has no socket).
  void Handle(int client, std::uint8_t type, const Payload& payload);
  // Frames for client 0. Set by the client side. Called synchronously from inside Handle; the client
  // side queues them (it must not call Handle re-entrantly).
  std::function<void(std::uint8_t type, const Payload& payload)> deliverToLocal;
  // One line per event for a log (connection, disconnection, table event, refusal); may be empty.
  std::function<void(const std::string& line)> log;

  // Read-only views for tests and the headless server.
  int ClientCount() const;
  std::uint16_t Port() const;            // the port actually listened on (Start with 0 picks one)
  std::string ClientName(int client) const;
  int ClientTable(int client) const;     // -1 for a client number not in use
  int ClientSeat(int client) const;      // NetWhite, NetBlack or NetOnlooker; -1 when not in use
  int TableWhite(int table) const;       // client number of White, -1 when nobody sits there
  int TableBlack(int table) const;
  int TableSeated(int table) const;      // 0, 1 or 2
  int TableResult(int table) const;      // a GameResult code
  int TableMinutes(int table) const;
  int TableSeconds(int table) const;
  int TableWhiteUsed(int table) const;   // hundredths of a second
  int TableBlackUsed(int table) const;
  const GameHistory& TableRecord(int table) const;
  const Position& TablePosition(int table) const;
  std::string TableMoveList(int table) const; // the text a joining client receives as type 12

  // The most bytes queued for one client before it counts as gone (a peer that stopped reading).
  void SetOutputLimit(std::size_t bytes);

  // Sends type 9 to every client, lets their queues drain and waits for them to close, for
  // up to `milliseconds` in all, then stops: the headless server's clean stop.
  void Shutdown(int milliseconds);

private:
  struct State;
  std::unique_ptr<State> state;

  // Sockets (server.cpp).
  void WatchListener();
  void AcceptClients();
  void OnConnectionEvent(const void* connection, int events);
  // After a turn of handling: the queued output goes out and closed clients are removed.
  void FinishTurn();
  bool RemoveDroppedClients(); // true when it removed any
  void RemoveClient(int client);
  // Routing: client 0 through deliverToLocal, the others through their connections.
  void SendToClient(int client, std::uint8_t type, const Payload& payload);
  void SendToTable(int table, std::uint8_t type, const Payload& payload);
  void SendToAll(std::uint8_t type, const Payload& payload);
  void Show(const std::string& text); // the information line and the log
  void Log(const std::string& text);

  // Messages (serverhandle.cpp).
  void Dispatch(int client, std::uint8_t type, const Payload& payload);
  void JoinTable(int client, const Payload& payload);
  void PlayMove(int client, const Payload& payload);
  void ReadyOrNewGame(int client);
  void SetupTraffic(int client, const Payload& payload);
  void GetUp(int client);
  void StartTableGame(int table);
  void TableNotice(int table, const std::string& text); // type 3 to the table, and the log
  void SendNames(int table);
  bool WithinAllowance(int client); // a message other than a move: false when it is to be dropped
  std::string GuestName(int client) const;
  std::string UniqueName(int client, std::string name) const;
  void EndFullRecord(int table);
  Payload TimeInfo(int table) const;
};

} // namespace kestrin
