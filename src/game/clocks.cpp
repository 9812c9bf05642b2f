#include "game/clocks.h"

#include <cstdio>

#include "board/gameend.h"
#include "game/controller.h"
#include "net/client.h"
#include "notation/history.h"
#include "platform/clock.h"
#include "platform/frontend.h"
#include "search/engine.h"
#include "search/searchstate.h"
#include "search/limits.h"

namespace kestrin {

namespace {

// What the last update handed out: used seconds of both sides and the plies.
int shownWhiteUsed = -1, shownBlackUsed = -1, shownPlies = -1;

} // namespace

ClockFace ComputeClocks(int firstPly, int lastPly, int whiteUsedHundredths, int blackUsedHundredths,
                        std::int64_t runningMs, int minutes, int increment) {
  long long white = whiteUsedHundredths, black = blackUsedHundredths;
  (SideToMoveAfter(firstPly, lastPly) == White ? white : black) += runningMs / 10;
  const long long game = 60LL * minutes;
  const long long whiteLeft =
      MovesMadeBy(White, firstPly, lastPly) * static_cast<long long>(increment) + game - white / 100;
  const long long blackLeft =
      MovesMadeBy(Black, firstPly, lastPly) * static_cast<long long>(increment) + game - black / 100;
  auto clamp = [](long long seconds) { return static_cast<int>(seconds < 0 ? 0 : seconds > 2000000000 ? 2000000000 : seconds); };
  return {clamp(whiteLeft), clamp(white / 100), clamp(blackLeft), clamp(black / 100)};
}

ClockFace CurrentClocks() {
  // A network game runs on its table's time control.
  const bool net = netGame != 0;
  return ComputeClocks(StartPly(), HistoryCount(), whiteUsed, blackUsed, ClockMilliseconds() - turnStart,
                       net ? netClient.netMinutes : searchSettings.timeMinutes.load(),
                       net ? netClient.netSeconds : searchSettings.timeIncrement.load());
}

std::string ClockText(int seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%d:%.2d", seconds / 60, seconds % 60);
  return text;
}

bool UpdateClocks(std::array<std::string, 4>& texts) {
  if (gameState != GameInProgress) return false;
  const int plies = HistoryCount();
  const ClockFace face = CurrentClocks();
  if (netGame != 0) CheckLocalFlag(face.whiteRemaining, face.blackRemaining);
  else if (CheckLocalTimeLoss(face, plies)) return false;
  if (face.whiteUsed == shownWhiteUsed && face.blackUsed == shownBlackUsed && plies == shownPlies) return false;
  shownWhiteUsed = face.whiteUsed;
  shownBlackUsed = face.blackUsed;
  shownPlies = plies;
  texts = {ClockText(face.whiteRemaining), ClockText(face.whiteUsed), ClockText(face.blackRemaining),
           ClockText(face.blackUsed)};
  return true;
}

void InvalidateClocks() { shownWhiteUsed = shownBlackUsed = shownPlies = -1; }

bool LocalGameHasClock() {
  return searchSettings.maxSecondsPerMove == 0 && (searchSettings.timeMinutes > 0 || searchSettings.timeIncrement > 0);
}

bool CheckLocalTimeLoss(const ClockFace& face, int plies) {
  if (netGame || gameState != GameInProgress || !LocalGameHasClock() || !GamePositionAtEnd()) return false;
  const bool whiteToMove = SideToMoveAfter(StartPly(), plies) == White;
  if ((whiteToMove ? face.whiteRemaining : face.blackRemaining) > 0) return false;
  gameState = whiteToMove ? BlackWon : WhiteWon;
  // The flag has fallen: a search for the loser's move, or a ponder, is over without a move.
  if (EngineBusy != 0) {
    AbortFlag = 3;
    WaitForEngine();
  }
  CurrentFrontend().RefreshPanel(true);
  ShowMessage(" Lost on Time ", " Game Over! ");
  return true;
}

} // namespace kestrin
