// What the server does with each message of a client: seats, offers, moves and the
// tables' games.
#include <algorithm>
#include <array>

#include "board/gameend.h"
#include "net/serverstate.h"
#include "notation/movetext.h"
#include "platform/clock.h"

namespace kestrin {

namespace {

constexpr const char* EmptySeatName = "-Empty-";
// A chat line is cut here: the clients' chat log keeps no longer lines.
constexpr std::size_t MaxChatLine = 300;
// Messages other than moves a client may send at once, and how many more each second: far
// beyond what a person types or clicks, far below what would slow the other tables.
constexpr double AllowanceBurst = 20;
constexpr double AllowancePerSecond = 5;
// The setup dialog's limits for a time control.
constexpr int MinMinutes = 1, MaxMinutes = 180, MinSeconds = 0, MaxSeconds = 180;

Payload EmptyText() { return TextPayload(""); }

// At most `limit` bytes, never ending inside a UTF-8 letter.
std::string CutName(std::string name, std::size_t limit = NameFieldSize) {
  if (name.size() <= limit) return name;
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
  name.resize(end);
  return name;
}

} // namespace

void ServerTable::ClearFlags() { drawFlags = continueFlags = newGameFlags = {}; }

void ServerTable::NewGame() {
  ClearFlags();
  ClearHistory(&record);
  keys = {};
  result = GameInProgress;
  whiteUsed = blackUsed = 0;
  SetStartPosition(position);
}

void ServerTable::Reset() {
  NewGame();
  white = black = -1;
  seated = 0;
  minutes = seconds = 5;
}

bool ServerTable::InSetup() const { return result == GameInProgress && HistoryCount(&record) == 0; }

int ServerTable::Repetitions() const {
  const u32 key = RepetitionKey(position);
  int start = position.irreversiblePly - 1;
  if ((start ^ position.plyCount) & 1) ++start;
  if (start < 0) start += 2;
  const int end = position.plyCount < RepetitionSlots ? position.plyCount : RepetitionSlots;
  int count = 0;
  for (int i = start; i < end; i += 2) count += keys[static_cast<std::size_t>(i)] == key;
  return count;
}

std::string Server::GuestName(int client) const { return UniqueName(client, ""); }

// A name no other client has and that no empty seat shows ("-Empty-"): a player must not pass
// for another or make a taken seat look free. Clashes get a number: "Bob(2)".
std::string Server::UniqueName(int client, std::string name) const {
  name = PrintableText(name);
  const auto first = name.find_first_not_of(' ');
  name = first == std::string::npos ? "" : name.substr(first, name.find_last_not_of(' ') - first + 1);
  name = name.empty() ? "Guest" + std::to_string(client) : CutName(name);
  const auto taken = [&](const std::string& candidate) {
    if (candidate == EmptySeatName) return true;
    for (int k = 0; k < ClientCount(); ++k)
      if (k != client && state->clients[static_cast<std::size_t>(k)].name == candidate) return true;
    return false;
  };
  std::string candidate = name;
  for (int n = 2; taken(candidate); ++n) {
    const std::string suffix = std::string("(").append(std::to_string(n)).append(")");
    candidate = CutName(name, NameFieldSize - suffix.size());
    candidate += suffix;
  }
  return candidate;
}

bool Server::WithinAllowance(int client) {
  if (client == 0) return true; // this copy's own user
  ServerClient& sender = state->clients[static_cast<std::size_t>(client)];
  const std::int64_t now = ClockMilliseconds();
  const double refill = sender.allowanceAt < 0 ? AllowanceBurst : std::max<std::int64_t>(0, now - sender.allowanceAt) * AllowancePerSecond / 1000;
  sender.allowance = std::min(AllowanceBurst, sender.allowance + refill);
  sender.allowanceAt = now;
  // Told once per flood, again only after a pause that refilled the allowance: the notice
  // must not become a flood of its own.
  if (sender.allowance >= AllowanceBurst) sender.toldOverAllowance = false;
  if (sender.allowance >= 1) {
    sender.allowance -= 1;
    return true;
  }
  if (!sender.toldOverAllowance) {
    sender.toldOverAllowance = true;
    SendToClient(client, 3, TextPayload("< Too many messages: some were dropped >"));
    Log("Dropping messages from " + sender.name + ": too many");
  }
  return false;
}

void Server::Dispatch(int client, std::uint8_t type, const Payload& payload) {
  if (type != 4 && type != 22 && !WithinAllowance(client)) return;
  ServerClient& sender = state->clients[client];
  const int t = sender.table, seat = sender.seat;
  ServerTable& table = state->tables[static_cast<std::size_t>(t)];
  const bool seated = seat == NetWhite || seat == NetBlack;
  const std::string name = sender.name;
  switch (type) {
    case 1: JoinTable(client, payload); break;
    case 2: {
      std::string line(1, '[');
      line += std::to_string(t) + "] " + name + "> " + PrintableText(PayloadText(payload)).substr(0, MaxChatLine);
      SendToAll(2, TextPayload(line));
      break;
    }
    case 4: PlayMove(client, payload); break;
    case 5:
      sender.name = UniqueName(client, PayloadText(payload));
      sender.named = true;
      SendToAll(2, TextPayload("** " + sender.name + " Connected **"));
      break;
    case 6: ReadyOrNewGame(client); break;
    case 7:
      // A finished game takes no further result until a new game or a continued one.
      if (!seated || table.result != GameInProgress) break;
      table.drawFlags[static_cast<std::size_t>(seat)] = true;
      if (table.drawFlags[NetWhite] && table.drawFlags[NetBlack]) {
        table.ClearFlags();
        SendToTable(t, 7, EmptyText());
        table.result = GameDrawn;
        Log("Table " + std::to_string(t) + ": draw agreed");
      } else {
        TableNotice(t, "<" + name + " requests a Draw!>");
      }
      break;
    case 8:
      if (!seated || table.result != GameInProgress) break;
      table.result = seat == NetBlack ? WhiteWon : BlackWon;
      table.ClearFlags();
      SendToTable(t, 8, ShortPayload(static_cast<std::uint8_t>(seat)));
      TableNotice(t, "<" + name + " Resigns!>");
      break;
    case 10: SetupTraffic(client, payload); break;
    case 11:
      if (!((seat == NetWhite && table.white == client) || (seat == NetBlack && table.black == client))) break;
      if (table.result != GameInProgress) break;
      table.result = seat == NetWhite ? BlackWon : WhiteWon;
      TableNotice(t, "<" + name + " Lost on Time>");
      SendToTable(t, 11, ShortPayload(static_cast<std::uint8_t>(seat)));
      break;
    case 14:
      if (!seated) break;
      table.continueFlags[static_cast<std::size_t>(seat)] = true;
      if (table.continueFlags[NetWhite] && table.continueFlags[NetBlack]) {
        table.ClearFlags();
        table.whiteUsed = table.blackUsed = 0;
        table.result = GameInProgress;
        SendToTable(t, 14, EmptyText());
        Log("Table " + std::to_string(t) + ": game continued");
      } else {
        TableNotice(t, "<" + name + " requests to Continue Game!>");
      }
      break;
    case 20: GetUp(client); break;
    case 22:
      GetUp(client);
      if (client != 0) {
        const std::string line = "** " + name + " Disconnected **";
        RemoveClient(client);
        SendToAll(2, TextPayload(line));
      } else {
        SendToAll(9, EmptyText());
      }
      break;
    default: break; // not a message a client sends
  }
}

void Server::JoinTable(int client, const Payload& payload) {
  if (payload.empty()) return;
  const int n = static_cast<std::int8_t>(payload[0]);
  if (n < 0 || n >= TableCount) {
    SendToClient(client, 3, TextPayload("< Table " + std::to_string(n) + " does not exist >"));
    Log("Refused " + state->clients[client].name + ": table " + std::to_string(n) + " does not exist");
    return;
  }
  // A player leaves its seat before it leaves for any table, so that no table keeps
  // a player who sits elsewhere.
  if (state->clients[client].seat != NetOnlooker) GetUp(client);
  ServerClient& sender = state->clients[client];
  if (n != sender.table) {
    const std::string left = "** " + sender.name + " left table " + std::to_string(sender.table) + " **";
    SendToTable(sender.table, 2, TextPayload(left));
  }
  sender.table = n;
  sender.seat = NetOnlooker;
  const std::string joined = "** " + sender.name + " joined table " + std::to_string(n) + " **";
  SendToTable(n, 2, TextPayload(joined));
  Log(joined);
  SendToClient(client, 15, ShortPayload(NetOnlooker));
  SendToClient(client, 21, TimeInfo(n));
  const ServerTable& table = state->tables[static_cast<std::size_t>(n)];
  if (table.seated == 2) {
    SendToClient(client, 12, TextPayload(TableMoveList(n)));
    SendToClient(client, 17, TextPayload(state->clients[table.white].name));
    SendToClient(client, 18, TextPayload(state->clients[table.black].name));
    return;
  }
  SendToClient(client, 18, TextPayload(EmptySeatName));
  SendToClient(client, 17, TextPayload(table.seated == 1 ? state->clients[table.white].name : EmptySeatName));
  SendToClient(client, 6, EmptyText());
}

void Server::PlayMove(int client, const Payload& payload) {
  const ServerClient& sender = state->clients[client];
  const int t = sender.table, seat = sender.seat;
  ServerTable& table = state->tables[static_cast<std::size_t>(t)];
  if (!((seat == NetWhite && table.white == client) || (seat == NetBlack && table.black == client))) return;
  // Colour byte, three time bytes, then the text. The move must be the mover's own, on its
  // turn, and legal on the table's board; anything else is neither relayed nor recorded,
  // so that every table's record stays a legal game.
  if (payload.size() < 5 || payload[0] != seat || table.position.sideToMove != seat) return;
  // A finished game takes no more moves until a new game or a continued one.
  if (table.result != GameInProgress) return;
  if (HistoryCount(&table.record) >= MaxRecordedPlies) {
    // A continued game whose record is full: it cannot go on.
    SendToClient(client, 3, TextPayload("Hit Maximum Move Number"));
    EndFullRecord(t);
    return;
  }
  const Position before = table.position;
  if (PlayMoveText(PayloadText(payload, 4), table.position, 1, &table.record) == 0) return;
  if (before.plyCount < RepetitionSlots) table.keys[before.plyCount] = RepetitionKey(before);
  SendToTable(t, 4, payload);
  table.ClearFlags();
  const int used = DecodeTime(payload.data() + 1);
  if (used >= 0) (seat == NetBlack ? table.blackUsed : table.whiteUsed) = used;
  int result = table.result;
  if (CheckGameEnd(table.position, 0, result, table.Repetitions()) == 1) {
    table.result = result;
    TableNotice(t, result == WhiteWon ? "White Wins" : result == BlackWon ? "Black Wins" : "Draw.");
  } else if (HistoryCount(&table.record) >= MaxRecordedPlies) {
    EndFullRecord(t);
  }
}

// The record holds no further move: the game ends drawn at every board of the table rather
// than with a move the table cannot keep, after which the players' boards would differ.
void Server::EndFullRecord(int t) {
  ServerTable& table = state->tables[static_cast<std::size_t>(t)];
  table.result = GameDrawn;
  table.ClearFlags();
  SendToTable(t, 7, EmptyText());
  TableNotice(t, "Hit Maximum Move Number");
}

void Server::ReadyOrNewGame(int client) {
  ServerClient& sender = state->clients[client];
  const int t = sender.table;
  ServerTable& table = state->tables[static_cast<std::size_t>(t)];
  if (table.seated == 2) {
    // Onlookers' requests have no effect.
    if (sender.seat == NetOnlooker) return;
    table.newGameFlags[static_cast<std::size_t>(sender.seat)] = true;
    if (table.newGameFlags[NetWhite] && table.newGameFlags[NetBlack])
      StartTableGame(t);
    else
      TableNotice(t, "<" + sender.name + " requests New Game!>");
    return;
  }
  if (table.seated == 1 && table.white == client) return;
  sender.seat = table.seated == 0 ? NetWhite : NetBlack;
  (sender.seat == NetWhite ? table.white : table.black) = client;
  TableNotice(t, "<" + sender.name + " is Ready to Play>");
  if (++table.seated == 1) {
    SendToTable(t, 17, TextPayload(sender.name));
  } else {
    StartTableGame(t);
    SendNames(t);
  }
}

void Server::StartTableGame(int t) {
  ServerTable& table = state->tables[static_cast<std::size_t>(t)];
  table.NewGame();
  SendToTable(t, 6, EmptyText());
  SendToClient(table.white, 13, ShortPayload(NetWhite));
  SendToClient(table.black, 13, ShortPayload(NetBlack));
  Log("Table " + std::to_string(t) + ": new game, " + state->clients[table.white].name + " against " +
      state->clients[table.black].name);
}

void Server::SetupTraffic(int client, const Payload& payload) {
  const ServerClient& sender = state->clients[client];
  const int t = sender.table, seat = sender.seat;
  ServerTable& table = state->tables[static_cast<std::size_t>(t)];
  // Setup belongs to the two players: an onlooker may neither talk into it nor set the clocks.
  if (seat == NetOnlooker || payload.empty()) return;
  // Colours and clocks are agreed before the game: once it runs (or has ended), a seat swap
  // would hand a player the opponent's pieces and a new clock could flag the opponent at once.
  const bool changesGame = payload[0] == 't' || payload[0] == 'c';
  if (changesGame && !table.InSetup()) return;
  Payload relayed = payload;
  if (payload[0] == 't' && payload.size() >= 3) {
    table.minutes = std::clamp(DecodeClockValue(payload[1]), MinMinutes, MaxMinutes);
    table.seconds = std::clamp(DecodeClockValue(payload[2]), MinSeconds, MaxSeconds);
    relayed[1] = EncodeClockValue(table.minutes);
    relayed[2] = EncodeClockValue(table.seconds);
  }
  const int opponent = seat == NetWhite ? table.black : table.white;
  if (opponent >= 0) SendToClient(opponent, 10, relayed);
  if (payload[0] == 't' && payload.size() >= 3) {
    SendToTable(t, 21, TimeInfo(t));
  } else if (payload[0] == 'c' && payload.size() >= 2 && payload[1] == seat && table.seated == 2) {
    std::swap(table.white, table.black);
    state->clients[table.white].seat = NetWhite;
    state->clients[table.black].seat = NetBlack;
    SendNames(t);
  }
}

void Server::GetUp(int client) {
  ServerClient& sender = state->clients[client];
  const int t = sender.table, seat = sender.seat;
  if (seat == NetOnlooker) return;
  ServerTable& table = state->tables[static_cast<std::size_t>(t)];
  SendToTable(t, 8, ShortPayload(static_cast<std::uint8_t>(seat)));
  if (table.white >= 0) state->clients[table.white].seat = NetOnlooker;
  if (table.seated == 2 && table.black >= 0) state->clients[table.black].seat = NetOnlooker;
  table.white = table.black = -1;
  table.seated = 0;
  TableNotice(t, sender.name + " got up.\nTable open.");
  table.ClearFlags();
  SendToTable(t, 18, TextPayload(EmptySeatName));
  SendToTable(t, 17, TextPayload(EmptySeatName));
}

void Server::TableNotice(int t, const std::string& text) {
  SendToTable(t, 3, TextPayload(text));
  Log("Table " + std::to_string(t) + ": " + text);
}

void Server::SendNames(int t) {
  const ServerTable& table = state->tables[static_cast<std::size_t>(t)];
  SendToTable(t, 17, TextPayload(state->clients[table.white].name));
  SendToTable(t, 18, TextPayload(state->clients[table.black].name));
}

Payload Server::TimeInfo(int t) const {
  const ServerTable& table = state->tables[static_cast<std::size_t>(t)];
  const auto white = EncodeTime(table.whiteUsed), black = EncodeTime(table.blackUsed);
  return {EncodeClockValue(table.minutes), EncodeClockValue(table.seconds), white[0], white[1], white[2],
          black[0], black[1], black[2]};
}

} // namespace kestrin
