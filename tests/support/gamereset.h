// Puts the program-wide game state back to a fresh game for a test, and reads the game's record.
#pragma once

#include <string>

#include "board/types.h"
#include "notation/history.h"
#include "notation/moveentry.h"
#include "notation/newgame.h"
#include "platform/clock.h"
#include "platform/frontend.h"

namespace kestrin::test {

inline void ResetGame() {
  SetClockSource(nullptr);
  WinboardMode = 0;
  PromotionChoice = Queen;
  ResetGameRecord();
}

// The recorded plies' move texts, one after the other.
inline std::string Record() {
  std::string text;
  for (int ply = 1; ply <= HistoryCount(); ++ply) text += PlyText(gameHistory, ply);
  return text;
}

} // namespace kestrin::test
