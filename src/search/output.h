// The search's findings as text: scores, moves, the principal variation and a table entry.
#pragma once

#include <atomic>
#include <cstdio>
#include <string>

#include "board/position.h"

namespace kestrin {

// "Give Evals from White's POV": on by default; off shows scores for the side the engine moved.
// The settings set it; the window's information line follows it.
extern std::atomic<int> EvalsFromWhitePov;

// "e4" for a square of the board.
std::string SquareName(int square);

// A line of the information panel, printf-style (at most 159 characters).
std::string PanelFormat(const char* format, auto... values) {
  char buffer[160];
  std::snprintf(buffer, sizeof buffer, format, values...);
  return buffer;
}

// "Ng1-f3", "e4xd5", "O-O  ", "O-O-O" for a move given by its from- and to-fields.
std::string ShortMoveText(int from, int to, const Position& position);

// Entry `index` (1-based) of the principal variation; mode 0 compact, mode 1 for the panel.
std::string PvEntryText(int index, int mode);
std::string PvText(int mode);

void DisplayPv();
void PlayPv();
void DisplayTtEntry();

} // namespace kestrin
