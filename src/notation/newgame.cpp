#include "notation/newgame.h"

#include "board/gameend.h"
#include "board/keys.h"
#include "notation/history.h"
#include "notation/transcript.h"
#include "platform/clock.h"
#include "platform/frontend.h"

namespace kestrin {

void ResetGameRecord(const Position* start) {
  whiteUsed = 0;
  blackUsed = 0;
  if (start) {
    gamePosition = *start;
  } else {
    SetStartPosition(gamePosition);
  }
  startPosition = gamePosition;
  ClearHistory(nullptr);
  // Keys of an earlier game would otherwise be counted as repetitions of this one.
  ClearRepetitionKeys();
  gameState = GameInProgress;
  turnStart = ClockMilliseconds();
}

void StartNewGame(bool show) {
  if (const auto newGame = CurrentGameControl().newGame) return newGame(show);
  // No engine thread: nothing to stop, and no other thread to keep out of the record.
  ResetGameRecord();
  CurrentFrontend().RefreshPanel(true);
  if (show) {
    RebuildTranscript(gamePosition.plyCount - 2);
    CurrentFrontend().RefreshPanel(true);
    CurrentFrontend().RefreshBoard();
    SetInfoText("The Game Begins..");
  }
}

} // namespace kestrin
