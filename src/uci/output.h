// What UCI mode writes: its own lines on standard output, and the engine's search reports
// (thinking lines and moves) put into UCI's words.
#pragma once

#include <string>
#include <string_view>

#include "board/types.h"

namespace kestrin {

// Writes the line and a line feed to standard output and flushes; lines from the command
// loop and the engine thread never interleave.
void UciSend(std::string_view line);

// "cp 35", "mate 3" or "mate -2" for a score from White's point of view, told from the
// point of view of `side`, the side to move at the root.
std::string UciScore(int whiteScore, int side);

// "info depth .. score .. nodes .. nps .. time .. pv .." (no pv part for an empty line).
std::string InfoLine(int depth, int whiteScore, int side, u32 nodes, long long milliseconds,
                     const std::string& line);

} // namespace kestrin
