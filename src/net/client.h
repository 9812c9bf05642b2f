// The client side of network play: this copy's seat at a table, the names and time control of
// that table, the chat log, and what it does with each message the server sends. The server's
// own user runs the same logic as client 0.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "net/wire.h"

namespace kestrin {

constexpr std::size_t ChatLogLines = 20;
constexpr std::size_t ChatLineLimit = 300;
constexpr std::size_t AddressLimit = 50; // the address typed in the Connect dialog

struct NetClientState {
  int localColour = NetOnlooker;
  int netMinutes = 5; // the table's time control: minutes for the game, seconds per move
  int netSeconds = 5;
  std::string netWhiteName;
  std::string netBlackName;
  std::deque<std::string> chatLog; // oldest first
  std::string address;             // the Connect dialog's current address
  bool serving = false;            // this copy runs the server
  int table = 0;                   // the table last joined
  int humanSideBefore = 1;         // the game mode to return to after network play
};
extern NetClientState netClient;

// Set by the network client while a network game is connected: the commands that would
// disturb it do nothing then.
extern std::atomic<int> netGame;

// What the client asks of the window's game controller, which sits beside it and fills these
// in (game/controller.cpp): stopping the engine around a change of the game (it resumes
// afterwards what it was doing), turning the board to a newly taken seat, and noting a move
// the opponent made so that its squares are framed. Empty, the work just runs and there is
// no board to turn or frame.
struct NetGameHooks {
  void (*withEngineStopped)(const std::function<void()>& work) = nullptr;
  void (*seatTaken)(int colour) = nullptr;
  void (*opponentMoved)() = nullptr;
};
NetGameHooks& CurrentNetGameHooks();

// Clears the client state and the network-mode flag (not the connection) for a fresh start.
void ResetNetClient();

// What the window shows of network play beyond the core's front end; the quiet one does nothing.
class NetView {
public:
  virtual ~NetView() = default;
  virtual void ModeChanged() {}  // network mode entered or left: title, menus, chat window, layout
  virtual void ChatChanged() {}  // the chat log has a new line or was emptied
  virtual void NamesChanged() {} // netWhiteName or netBlackName
  virtual void TableChanged() {} // another table joined
  virtual void SetupChanged() {} // the setup dialog opened, closed or has new values to show
};
NetView& CurrentNetView();
void InstallNetView(NetView* view); // not owned; nullptr: the quiet one

// Prepares the process for sockets once (a peer that goes away must not end the program).
bool StartNetworking();
// Connects to a server: 1 connected, 2 connect failed, 3 address not found, 0 no socket.
int ConnectToServer(const std::string& address, std::uint16_t port);
// The Connect dialog's "Connect": connects and, connected, introduces this copy and joins table 0.
// An address "host:port" names its own port.
int ConnectCommand(const std::string& address, std::uint16_t port = NetPort);
// "Join Table": gets up from the present table and joins `table`.
void JoinTable(int table);
// Sends the last recorded move of the game position as this copy's move.
void SendNetworkMove();
// Acts on a message from the server.
void ClientHandle(std::uint8_t type, const Payload& payload);
// The clock update's flag-fall rule: the local player's remaining whole seconds.
void CheckLocalFlag(int whiteRemaining, int blackRemaining);
// Enters network mode (as the server or as a client of one).
void EnterNetworkMode(bool serving);
// Leaves network mode; with `close` the connection is closed or the server stopped.
void LeaveNetworkMode(bool close);
// "&Tell me My IP": this machine's addresses in the information line.
void ShowMyAddresses();
// The information text of ShowMyAddresses for a list of dotted addresses ("" for none).
std::string AddressesText(const std::deque<std::string>& addresses);

// Whether a click on the board may start or finish a move: in a network game only on this
// copy's own turn, at the latest position of a game in progress.
bool NetClickAllowed();

} // namespace kestrin
