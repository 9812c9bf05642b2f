#include "notation/newgame.h"

#include "board/gameend.h"
#include "board/keys.h"
#include "notation/history.h"
#include "platform/clock.h"

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

} // namespace kestrin
