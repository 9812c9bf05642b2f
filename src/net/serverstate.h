// The server's clients and tables, shared by its socket side (server.cpp) and its message
// handler (serverhandle.cpp).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "board/gameend.h"
#include "board/keys.h"
#include "board/position.h"
#include "net/connection.h"
#include "net/server.h"
#include "notation/history.h"

namespace kestrin {

struct ServerClient {
  std::unique_ptr<Connection> connection; // none for client 0
  std::string name;
  bool named = false; // the client has introduced itself
  int table = 0;
  int seat = NetOnlooker;
  // Messages other than moves each take one unit of this allowance, which refills with time:
  // no client can make the server announce more than a person would.
  double allowance = 0;
  std::int64_t allowanceAt = -1; // when it was last refilled, in clock milliseconds; -1: full
  bool toldOverAllowance = false;
};

struct ServerTable {
  int white = -1, black = -1; // client numbers, -1 for a free seat
  int seated = 0;
  // One flag per colour, indexed by NetWhite and NetBlack.
  std::array<bool, 3> drawFlags{}, continueFlags{}, newGameFlags{};
  int result = GameInProgress;
  Position position{};
  int whiteUsed = 0, blackUsed = 0;
  int minutes = 5, seconds = 5;
  GameHistory record{};
  // The repetition key of the position at each ply, as the main record keeps them.
  std::array<u32, RepetitionSlots> keys{};

  void Reset();
  void ClearFlags();
  // A fresh game: the standard position, an empty record, clocks at zero, in progress.
  void NewGame();
  // Earlier occurrences of the current position (2 or more: it stands for the third time).
  int Repetitions() const;
  // Between the table's new game and its first move, while colours and clocks may be agreed.
  bool InSetup() const;
};

struct Server::State {
  explicit State(EventSource& source) : events(source) {}

  EventSource& events;
  int listener = -1;
  bool listenerPaused = false; // no descriptor was left for a new client
  std::uint16_t port = 0;
  std::size_t outputLimit = 256 * 1024;
  int handling = 0; // nesting depth of message handling; dropped clients are removed at 0
  std::vector<ServerClient> clients;
  std::array<ServerTable, TableCount> tables;
};

} // namespace kestrin
