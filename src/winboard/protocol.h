// The engine mode: commands from a chess interface on standard input, answers on standard output.
#pragma once

#include <cstdio>
#include <string_view>

namespace kestrin {

// The reset done when the mode starts and on "new".
void WinboardNewGame();
// Reads and carries out command lines from `input` until its end or "quit".
void RunWinboard(std::FILE* input);
// Carries out one command line (without its line feed); false after "quit".
bool WinboardCommand(std::string_view line);

// The clock as the interface last told it: "time" and "otim" in hundredths, "level"'s moves
// per time control, game time in seconds (-1 until a "level") and seconds added per move.
struct WinboardClock {
  float time = 0;
  float otim = 0;
  int movesPerControl = 0;
  long baseSeconds = -1;
  int increment = 0;
};
const WinboardClock& WinboardClockState();

// Stops the engine and lets it analyse the game position afresh.
void StartAnalysis();

} // namespace kestrin
