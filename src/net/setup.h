// The Netgame Setup dialog's rules: the two seated players agree on colours and the time
// control and declare themselves ready; the game starts when both are. The dialogs of both
// players talk through type 10 messages relayed by the server.
#pragma once

#include "net/wire.h"

namespace kestrin {

struct NetSetupState {
  bool open = false;
  int localReady = 0;
  int opponentReady = 0;
  int practice = 0; // the check box beside "Practice Session"
};
extern NetSetupState netSetup;

// The server gave this copy a seat for a new game (type 13): the dialog opens, and no game is
// in progress until both players are ready.
void OpenSetup();
// Forgets the dialog and both ready flags without telling anyone (network mode left).
void CloseSetup();

// The dialog's controls. The first three only show why not while either player is ready.
void SetupChooseColour(int colour); // 1 White, 2 Black
void SetupTogglePractice();
void SetupSetTime(int minutes, int seconds);
void SetupReady(bool ready);
void SetupCloseBox();

// A type 10 message from the opponent's dialog.
void SetupReceive(const Payload& payload);

} // namespace kestrin
