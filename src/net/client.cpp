#include "net/client.h"

#include <algorithm>
#include <arpa/inet.h>
#include <csignal>
#include <ifaddrs.h>
#include <mutex>
#include <netinet/in.h>

#include "board/gameend.h"
#include "net/network.h"
#include "net/server.h"
#include "net/setup.h"
#include "notation/history.h"
#include "notation/newgame.h"
#include "notation/pgn.h"
#include "notation/transcript.h"
#include "platform/clock.h"
#include "platform/frontend.h"
#include "platform/settings.h"
#include "search/engine.h"

namespace kestrin {

NetClientState netClient;
std::atomic<int> netGame{0};

NetGameHooks& CurrentNetGameHooks() {
  static NetGameHooks hooks;
  return hooks;
}

namespace {

void RunWithEngineStopped(const std::function<void()>& work) {
  if (const auto guard = CurrentNetGameHooks().withEngineStopped) guard(work);
  else work();
}

NetView quietView;
NetView* installedView = nullptr;

int LoserToResult(int loser) { return loser == NetBlack ? WhiteWon : loser == NetWhite ? BlackWon : 0; }

bool IsColour(int colour) { return colour == NetWhite || colour == NetBlack || colour == NetOnlooker; }

void AddChatLine(const std::string& line) {
  netClient.chatLog.push_back(PrintableText(line).substr(0, ChatLineLimit));
  while (netClient.chatLog.size() > ChatLogLines) netClient.chatLog.pop_front();
  CurrentNetView().ChatChanged();
}

// The opponent's (or, for an onlooker, either player's) move.
void PlayReceivedMove(const Payload& payload) {
  if (payload.size() < 5) return;
  const int mover = payload[0];
  if (mover == netClient.localColour) return; // the echo of this copy's own move
  // A player whose game is over plays no further move, whatever a server relays.
  const bool seated = netClient.localColour == NetWhite || netClient.localColour == NetBlack;
  if (seated && gameState != GameInProgress) return;
  const std::string text = PayloadText(payload, 4);
  int played = 0;
  RunWithEngineStopped([&] {
    std::lock_guard<std::mutex> lock(GameMutex());
    if (!GamePositionAtEnd()) PositionAtPly(gamePosition, HistorySlots);
    played = PlayMoveText(text, gamePosition, 1, nullptr);
  });
  if (!played) return;
  AddTranscriptLine(1);
  if (const auto opponentMoved = CurrentNetGameHooks().opponentMoved) opponentMoved();
  CurrentFrontend().RefreshBoard();
  CurrentFrontend().RefreshPanel(false);
  SetInfoText(text);
  const int used = DecodeTime(payload.data() + 1);
  if (used >= 0) (mover == NetBlack ? blackUsed : whiteUsed) = used;
  if (netClient.localColour == NetWhite || netClient.localColour == NetBlack) {
    int result = gameState;
    if (CheckGameEnd(GameSnapshot(), 1, result)) gameState = result;
  }
}

// A table's game so far, for a copy that joins it.
void LoadMoveList(const Payload& payload) {
  const std::string text = PayloadText(payload);
  const int white = whiteUsed, black = blackUsed;
  RunWithEngineStopped([&] {
    std::lock_guard<std::mutex> lock(GameMutex());
    ResetGameRecord();
    PlayMoveTextBlock(text.c_str());
  });
  whiteUsed = white;
  blackUsed = black;
  RebuildTranscript(GameSnapshot().plyCount - 2);
  CurrentFrontend().RefreshBoard();
  CurrentFrontend().RefreshPanel(true);
}

void SetResult(int result, const char* text) {
  CurrentFrontend().Beep();
  if (text) SetInfoText(text);
  if (result) gameState = result;
  CurrentFrontend().RefreshPanel(false);
}

void SetTimeControl(const Payload& payload) {
  if (payload.size() < 8) return;
  // The time control is agreed before a game: a change while this copy plays one would only
  // move its own clock (a server of an older make relays it).
  const bool seated = netClient.localColour == NetWhite || netClient.localColour == NetBlack;
  if (seated && gameState == GameInProgress && netGame) return;
  netClient.netMinutes = std::clamp(DecodeClockValue(payload[0]), 1, 180);
  netClient.netSeconds = std::clamp(DecodeClockValue(payload[1]), 0, 180);
  const int white = DecodeTime(payload.data() + 2), black = DecodeTime(payload.data() + 5);
  if (white >= 0) whiteUsed = white;
  if (black >= 0) blackUsed = black;
  CurrentNetView().SetupChanged();
  CurrentFrontend().RefreshPanel(true);
}

} // namespace

void ResetNetClient() {
  const std::string address = netClient.address;
  netClient = NetClientState();
  netClient.address = address;
  netGame = 0;
}

NetView& CurrentNetView() { return installedView ? *installedView : quietView; }
void InstallNetView(NetView* view) { installedView = view; }

bool StartNetworking() {
  static const bool started = [] {
    std::signal(SIGPIPE, SIG_IGN);
    return true;
  }();
  return started;
}

int ConnectToServer(const std::string& address, std::uint16_t port) {
  if (OwnServer()) StopOwnServer();
  netClient.serving = false;
  const int result = OpenServerLink(address, port);
  if (result != 1) return result;
  netClient.chatLog.clear();
  CurrentNetView().ChatChanged();
  SetInfoText("Connection Successful");
  return 1;
}

int ConnectCommand(const std::string& address, std::uint16_t port) {
  StartNetworking();
  // "host:port" reaches a server started on another port; an IPv6 address has more colons.
  std::string host = address;
  const std::size_t colon = address.find(':');
  if (colon != std::string::npos && address.find(':', colon + 1) == std::string::npos) {
    const std::string digits = address.substr(colon + 1);
    const bool number =
        !digits.empty() && digits.size() <= 5 && digits.find_first_not_of("0123456789") == std::string::npos;
    const int value = number ? std::stoi(digits) : 0;
    if (value > 0 && value <= 65535) {
      host = address.substr(0, colon);
      port = static_cast<std::uint16_t>(value);
    }
  }
  const int result = ConnectToServer(host, port);
  if (result == 1) {
    netClient.localColour = NetOnlooker;
    // Network mode first: a server that closes at once (a full one) makes these sends fail,
    // and that failure must find the window in network mode to take it out again.
    EnterNetworkMode(false);
    NewGame(true);
    SendToServer(5, TextPayload(settings.playerName));
    SendToServer(1, ShortPayload(0));
  } else if (result == 3) {
    SetInfoText("Invalid IP");
  } else if (result == 2) {
    SetInfoText("No Server Found");
  }
  return result;
}

void JoinTable(int table) {
  SendToServer(20, TextPayload(""));
  netClient.table = table;
  CurrentNetView().TableChanged();
  SendToServer(1, ShortPayload(static_cast<std::uint8_t>(table)));
}

void SendNetworkMove() {
  const int colour = netClient.localColour;
  if (colour != NetWhite && colour != NetBlack) return;
  const std::string text(LastRecordedText());
  if (text.empty()) return;
  Payload payload{static_cast<std::uint8_t>(colour)};
  const auto time = EncodeTime(colour == NetWhite ? whiteUsed : blackUsed);
  payload.insert(payload.end(), time.begin(), time.end());
  const Payload textPart = TextPayload(text);
  payload.insert(payload.end(), textPart.begin(), textPart.end());
  SendToServer(4, payload);
  SetInfoText(text);
}

void ClientHandle(std::uint8_t type, const Payload& payload) {
  const int first = payload.empty() ? 0 : payload[0];
  switch (type) {
  case 2: AddChatLine(PayloadText(payload)); break;
  case 3: SetInfoText(PayloadText(payload)); break;
  case 4: PlayReceivedMove(payload); break;
  case 6: NewGame(true); break;
  case 7: SetResult(GameDrawn, "DRAW: The players have agreed on a Draw"); break;
  case 8:
    if (gameState == GameInProgress) SetResult(LoserToResult(first), nullptr);
    break;
  case 9:
    CurrentFrontend().Beep();
    SetInfoText("Server Disconnected");
    LeaveNetworkMode(true);
    break;
  case 10: SetupReceive(payload); break;
  case 11: SetResult(LoserToResult(first), nullptr); break;
  case 12: LoadMoveList(payload); break;
  case 13:
    if (first != NetWhite && first != NetBlack) break;
    netClient.localColour = first;
    OpenSetup();
    break;
  case 14:
    SetResult(GameInProgress, "CONTINUE: The players have agreed to continue");
    whiteUsed = 0;
    blackUsed = 0;
    turnStart = ClockMilliseconds();
    break;
  case 15:
    if (IsColour(first)) netClient.localColour = first;
    break;
  case 17:
  case 18:
    (type == 17 ? netClient.netWhiteName : netClient.netBlackName) =
        PrintableText(PayloadText(payload)).substr(0, NameFieldSize);
    CurrentNetView().NamesChanged();
    break;
  case 21: SetTimeControl(payload); break;
  default: break; // nothing else comes from a server
  }
}

void CheckLocalFlag(int whiteRemaining, int blackRemaining) {
  const int colour = netClient.localColour;
  if (!netGame || gameState != GameInProgress || (colour != NetWhite && colour != NetBlack)) return;
  if ((colour == NetWhite ? whiteRemaining : blackRemaining) >= 1) return;
  gameState = colour == NetWhite ? BlackWon : WhiteWon;
  SendToServer(11, ShortPayload(static_cast<std::uint8_t>(colour)));
}

void EnterNetworkMode(bool serving) {
  if (!netGame) netClient.humanSideBefore = HumanSide;
  // Both players move by hand; the engine plays for neither side.
  HumanSide = 3;
  netGame = 1;
  netClient.serving = serving;
  netClient.table = 0;
  netClient.netWhiteName.clear();
  netClient.netBlackName.clear();
  CurrentNetView().ModeChanged();
}

void LeaveNetworkMode(bool close) {
  if (close) {
    if (OwnServer()) StopOwnServer();
    else if (ServerLinkOpen()) CloseServerLink();
    else SetInfoText("Not Connected");
  }
  CloseSetup();
  if (!netGame) return;
  netGame = 0;
  netClient.serving = false;
  HumanSide = netClient.humanSideBefore;
  CurrentNetView().ModeChanged();
  CurrentFrontend().RefreshPanel(true);
}

std::string AddressesText(const std::deque<std::string>& addresses) {
  if (addresses.empty()) return {};
  std::string text = "IP(s):\n";
  for (const std::string& address : addresses) text += address + "\n";
  if (text.find("192.") != std::string::npos)
    text += "\nNote: if you're on a LAN, this IP given won't work for external connections.";
  return text;
}

void ShowMyAddresses() {
  // The interfaces' own addresses: a host name often resolves only to a loopback address here.
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return;
  std::deque<std::string> addresses;
  for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
    const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
    if (ntohl(address->sin_addr.s_addr) >> 24 == 127) continue;
    char text[INET_ADDRSTRLEN] = {};
    if (::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text)) addresses.emplace_back(text);
  }
  ::freeifaddrs(list);
  const std::string text = AddressesText(addresses);
  if (!text.empty()) SetInfoText(text);
}

bool NetClickAllowed() {
  if (!netGame) return true;
  std::lock_guard<std::mutex> lock(GameMutex());
  return gamePosition.sideToMove == netClient.localColour && GamePositionAtEnd() && gameState == GameInProgress;
}

namespace {

// The engine makes the moves entered here; the client hears of each through the platform's
// GameControl and sends it on in a network game.
const bool MoveForwardingInstalled = [] {
  CurrentGameControl().enteredMoveMade = [] {
    if (netGame) SendNetworkMove();
  };
  return true;
}();

} // namespace

} // namespace kestrin
