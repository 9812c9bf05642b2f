// The players of the game on the board as a game file names them, gathered from the settings,
// the game mode and the network table, none of which the PGN writer may know.
#pragma once

#include "notation/pgn.h"

namespace kestrin {

// The players of the game on the board as the settings and the game mode name them
// (a network game fills in its own names and time control).
PgnPlayers CurrentPgnPlayers();

// SavePgnGame with CurrentPgnPlayers().
int SavePgnGame(int resultCode, const char* fileName, int append);

} // namespace kestrin
