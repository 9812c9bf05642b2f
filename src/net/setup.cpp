#include "net/setup.h"

#include <algorithm>

#include "board/gameend.h"
#include "net/client.h"
#include "net/network.h"
#include "notation/history.h"
#include "platform/frontend.h"
#include "search/engine.h"

namespace kestrin {

NetSetupState netSetup;

namespace {

constexpr int MaxClockValue = 180;

void SendSetup(char code, std::uint8_t value) {
  SendToServer(10, Payload{static_cast<std::uint8_t>(code), value, 0});
}

// The colour, check box and time controls change nothing while either player is ready.
bool ChangesAllowed() {
  if (netSetup.localReady) SetInfoText("INFO: Deselect ready to make changes.");
  else if (netSetup.opponentReady) SetInfoText("INFO: Cannot make changes when opponent is ready.");
  else return true;
  return false;
}

void StartNetGame() {
  netSetup = NetSetupState();
  NewGame(true);
  if (const auto seatTaken = CurrentNetGameHooks().seatTaken) seatTaken(netClient.localColour);
  CurrentFrontend().RefreshBoard();
  CurrentNetView().SetupChanged();
}

} // namespace

void OpenSetup() {
  netSetup = NetSetupState();
  netSetup.open = true;
  gameState = GameDrawn;
  CurrentNetView().SetupChanged();
  CurrentFrontend().RefreshPanel(false);
}

void CloseSetup() {
  const bool wasOpen = netSetup.open;
  netSetup = NetSetupState();
  if (wasOpen) CurrentNetView().SetupChanged();
}

void SetupChooseColour(int colour) {
  if (!ChangesAllowed() || (colour != NetWhite && colour != NetBlack)) return;
  SendSetup('c', colour == NetWhite ? NetBlack : NetWhite);
  netClient.localColour = colour;
  CurrentNetView().SetupChanged();
}

void SetupTogglePractice() {
  if (!ChangesAllowed()) return;
  netSetup.practice = netSetup.practice ? 0 : 1;
  SendSetup('z', static_cast<std::uint8_t>(netSetup.practice));
  CurrentNetView().SetupChanged();
}

void SetupSetTime(int minutes, int seconds) {
  if (!ChangesAllowed()) return;
  minutes = std::clamp(minutes, 1, MaxClockValue);
  seconds = std::clamp(seconds, 0, MaxClockValue);
  SendToServer(10, Payload{'t', EncodeClockValue(minutes), EncodeClockValue(seconds), 0});
}

void SetupReady(bool ready) {
  netSetup.localReady = ready ? 1 : 0;
  SendSetup('r', ready ? 1 : 0);
  CurrentNetView().SetupChanged();
  if (ready && netSetup.opponentReady) StartNetGame();
}

void SetupCloseBox() {
  SendSetup('q', 1);
  SendToServer(20, TextPayload(""));
  CloseSetup();
}

void SetupReceive(const Payload& payload) {
  if (payload.empty()) return;
  const int value = payload.size() > 1 ? payload[1] : 0;
  switch (payload[0]) {
  case 'c':
    // Colours are agreed before the game; during one a swap would move the opponent's men.
    if (gameState == GameInProgress) return;
    if (value == NetWhite || value == NetBlack) netClient.localColour = value;
    break;
  case 'z': netSetup.practice = value ? 1 : 0; break;
  case 'r':
    netSetup.opponentReady = value ? 1 : 0;
    if (netSetup.opponentReady && netSetup.localReady) {
      StartNetGame();
      return;
    }
    break;
  case 'q': CloseSetup(); return;
  default: return; // a time change comes back from the server as the table's time control
  }
  CurrentNetView().SetupChanged();
}

} // namespace kestrin
