#include "game/gameresult.h"

#include "board/gameend.h"
#include "board/keys.h"
#include "game/clocks.h"
#include "game/controller.h"
#include "notation/history.h"

namespace kestrin {

namespace {

GameEnd noted; // the end seen first, kept while the game stays over

} // namespace

const char* ResultToken(int result) {
  switch (result) {
  case WhiteWon: return "1-0";
  case BlackWon: return "0-1";
  case GameDrawn: return "1/2-1/2";
  default: return "*";
  }
}

GameEnd EndShownBy(const Position& position) {
  GameEnd end;
  const int status = MateStatus(position, position.sideToMove);
  if (status == Checkmated) end = {position.sideToMove == Black ? WhiteWon : BlackWon, "checkmate"};
  else if (status == Stalemated) end = {GameDrawn, "stalemate"};
  else if (RepetitionCount(position) > 1) end = {GameDrawn, "repetition"};
  else if (position.plyCount - position.irreversiblePly >= 100) end = {GameDrawn, "fifty moves"};
  else if (IsInsufficientMaterial(position)) end = {GameDrawn, "insufficient material"};
  return end;
}

GameEnd CurrentGameEnd() {
  const int state = gameState;
  if (state == GameInProgress) return noted = GameEnd();
  if (noted.result == state) return noted;
  GameEnd end = EndShownBy(GamePositionNow());
  if (end.result != state) {
    end.result = state;
    const ClockFace face = CurrentClocks();
    const int loserLeft = state == WhiteWon ? face.blackRemaining : face.whiteRemaining;
    end.reason = state == GameDrawn ? "agreement" : loserLeft <= 0 ? "time" : "resignation";
  }
  return noted = end;
}

std::string ResultLine(const GameEnd& end) {
  if (end.result == GameInProgress) return {};
  std::string line = std::string(ResultToken(end.result)) + "  ";
  if (end.result == GameDrawn) return line + "Draw by " + end.reason;
  line += end.result == WhiteWon ? "White wins" : "Black wins";
  if (end.reason == "time") return line + " on time";
  if (end.reason == "resignation") return line + (end.result == WhiteWon ? ", Black resigns" : ", White resigns");
  return line + " by " + end.reason;
}

std::string WindowTitleFor(const Position& position, const GameEnd& end) {
  const std::string name = "Kestrin Chess 2.82 - ";
  if (end.result != GameInProgress) return name + ResultLine(end);
  return name + (position.sideToMove == White ? "White to move" : "Black to move");
}

} // namespace kestrin
