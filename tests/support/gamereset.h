// Puts the program-wide game state back to a fresh game for a test.
#pragma once

#include "board/moveentry.h"
#include "board/types.h"
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

} // namespace kestrin::test
