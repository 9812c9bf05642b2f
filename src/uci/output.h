// What UCI mode writes: its own lines on standard output, and the engine's search reports
// (thinking lines and moves) in UCI's words.
#pragma once

#include <string>
#include <string_view>

#include "board/position.h"
#include "board/types.h"
#include "search/report.h"

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

// The info line of a thinking report `milliseconds` into the search from `root` (White or
// Black to move is `side`): the principal variation is the search's row `pv` (its length,
// then its entries).
std::string ThinkingInfo(const ThinkingLine& line, long long milliseconds, int side, const Position& root,
                         const u32* pv);

} // namespace kestrin
