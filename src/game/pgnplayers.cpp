#include "game/pgnplayers.h"

#include "game/controller.h"
#include "net/client.h"
#include "platform/settings.h"
#include "search/engine.h"
#include "search/limits.h"

namespace kestrin {

PgnPlayers CurrentPgnPlayers() {
  PgnPlayers players;
  players.playerName = settings.playerName;
  players.eloRating = settings.eloRating;
  players.humanSide = HumanSide.load();
  players.timeMinutes = searchSettings.timeMinutes.load();
  players.timeIncrement = searchSettings.timeIncrement.load();
  players.netGame = netGame.load();
  if (players.netGame) {
    players.netWhiteName = netClient.netWhiteName;
    players.netBlackName = netClient.netBlackName;
    players.netMinutes = netClient.netMinutes;
    players.netSeconds = netClient.netSeconds;
  }
  return players;
}

int SavePgnGame(int resultCode, const char* fileName, int append) {
  return SavePgnGame(resultCode, fileName, append, CurrentPgnPlayers());
}

} // namespace kestrin
