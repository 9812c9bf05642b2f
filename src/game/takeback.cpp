#include "game/takeback.h"

#include <mutex>

#include "board/gameend.h"
#include "game/controller.h"
#include "notation/history.h"
#include "notation/transcript.h"
#include "platform/frontend.h"
#include "search/engine.h"
#include "search/searchstate.h"

namespace kestrin {

namespace {

bool AgainstComputer() {
  const int human = HumanSide;
  return human == 1 || human == 2;
}

// With `judge` the game's state follows the position reached: a finished game goes on from
// a position before its end, and one played forward to its end is finished again.
void GoTo(int ply, bool judge) {
  Position now;
  {
    std::lock_guard<std::mutex> lock(GameMutex());
    PositionAtPly(gamePosition, ply);
    now = gamePosition;
  }
  int result = GameInProgress;
  if (judge) gameState = CheckGameEnd(now, 0, result) ? result : GameInProgress;
  controller.selectedSquare = NoSelection;
  AddTranscriptLine(0);
  CurrentFrontend().RefreshBoard();
  CurrentFrontend().RefreshPanel(true);
}

// Runs `step` with the engine idle; an analysis is taken up again on the position reached.
bool WithEngineIdle(int plies, int direction) {
  if (netGame || plies == 0) return false;
  const bool analysing = EngineBusy == 1 && AnalyseRequest == 1;
  if (EngineBusy != 0) {
    AbortFlag = 3;
    WaitForEngine();
  }
  // The engine may have played while it was being stopped: count again on what stands now.
  plies = direction < 0 ? TakeBackPlies() : RedoPlies();
  if (plies > 0) GoTo(GamePositionNow().plyCount + direction * plies, true);
  if (analysing) StartEngine(1);
  return plies > 0;
}

} // namespace

int TakeBackPlies() {
  const Position now = GamePositionNow();
  const int behind = now.plyCount - StartPly();
  int plies = 1;
  // Against the computer the human's move goes with the reply it got.
  if (AgainstComputer() && now.sideToMove == HumanSide) plies = 2;
  if (plies > behind) plies = behind;
  // Never leave the computer to move in a position taken back to: it would move at once.
  if (AgainstComputer() && plies == 1 && now.sideToMove == HumanSide) plies = 0;
  return plies < 0 ? 0 : plies;
}

int RedoPlies() {
  const Position now = GamePositionNow();
  const int ahead = HistoryCount() - now.plyCount + 1;
  if (ahead <= 0) return 0;
  int plies = AgainstComputer() && now.sideToMove == HumanSide ? 2 : 1;
  return plies > ahead ? ahead : plies;
}

bool TakeBackMove() { return WithEngineIdle(TakeBackPlies(), -1); }
bool RedoMove() {
  if (!WithEngineIdle(RedoPlies(), +1)) return false;
  // Played forward to the end of the record with the computer to move: it answers.
  if (GamePositionAtEnd() && EngineBusy == 0) StartEngine(0);
  return true;
}

bool ShowPly(int ply) {
  if (EngineBusy == 1 || ply < 0) return false;
  GoTo(StartPly() + ply, false);
  return true;
}

} // namespace kestrin
