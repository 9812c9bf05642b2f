// The two game clocks of the window game: time left and time used per side, in whole seconds.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kestrin {

struct ClockFace {
  int whiteRemaining;
  int whiteUsed;
  int blackRemaining;
  int blackUsed;
};

// For a record from ply `firstPly` (the start position's) to `lastPly` (0: no move yet), with
// the stored used times (hundredths) and `runningMs` charged to the side to move so far, under
// a time control of `minutes` plus `increment` seconds per move. A side that has made k moves
// has k increments on top of the game time; negative remaining times show as 0.
ClockFace ComputeClocks(int firstPly, int lastPly, int whiteUsedHundredths, int blackUsedHundredths,
                        std::int64_t runningMs, int minutes, int increment);

// The clocks of the game on the board now, under the local or the network time control.
ClockFace CurrentClocks();

// "%d:%.2d": minutes and seconds.
std::string ClockText(int seconds);

// The timer's clock update: the four texts (White remaining, White used, Black remaining,
// Black used) for the game on the board. Returns false when nothing differs from the last
// texts handed out (or the game is over), true when `texts` got new values.
bool UpdateClocks(std::array<std::string, 4>& texts);
// Makes the next update hand out its texts whatever they are.
void InvalidateClocks();

// Whether a local game is played against the clock: not under a fixed time per move, where
// the engine does not look at the clock, nor under a control of no time at all.
bool LocalGameHasClock();
// The side to move whose time is up loses: the engine stops without playing and the end
// is shown. Called by the clock update; true when it ended the game.
bool CheckLocalTimeLoss(const ClockFace& face, int plies);

} // namespace kestrin
