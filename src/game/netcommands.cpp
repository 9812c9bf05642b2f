// The Internet menu: the window's commands for network play, run through the network client.
#include "game/controller.h"

#include "board/gameend.h"
#include "game/commands.h"
#include "net/client.h"
#include "net/network.h"
#include "net/wire.h"
#include "notation/history.h"
#include "search/engine.h"

namespace kestrin {

bool NetCommandEnabled(int id) {
  const bool connected = netGame != 0;
  const bool playing = gameState == GameInProgress;
  switch (id) {
  case command::NetNewGame: return connected && (!playing || (GamePositionNow().plyCount == 1 && HistoryCount() == 0));
  case command::NetContinue:
  case command::NetJoinTable:
  case command::NetDisconnect: return connected;
  case command::NetDraw:
  case command::NetResign: return connected && playing;
  case command::NetConnect:
  case command::NetStartServer: return !connected;
  case command::NetMyAddress: return true;
  default: return false;
  }
}

bool RunNetCommand(int id) {
  switch (id) {
  case command::NetNewGame: SendToServer(6, ShortPayload(1)); return true;
  case command::NetContinue: SendToServer(14, ShortPayload(1)); return true;
  case command::NetDraw: SendToServer(7, ShortPayload(1)); return true;
  case command::NetResign: SendToServer(8, ShortPayload(1)); return true;
  case command::NetStartServer: StartServerCommand(); return true;
  case command::NetDisconnect: LeaveNetworkMode(true); return true;
  case command::NetMyAddress: ShowMyAddresses(); return true;
  default: return false; // the dialogs: Connect and Join Table
  }
}

} // namespace kestrin
