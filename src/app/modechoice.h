// How a program of ours learns that a chess interface drives it: a first line on standard input.
#pragma once

#include <string>

namespace kestrin {

// Reads the first line of standard input (the interface's opening command), into `line` when
// given, and returns true when there was one. A terminal, an empty or closed input and
// /dev/null give false at once; a pipe that stays silent gives false after `waitMilliseconds`
// (negative: wait for as long as it takes).
bool ReadFirstLine(int waitMilliseconds, std::string* line = nullptr);

// The engine mode: the protocol loop on standard input and output until it ends, UCI's when
// the first line was "uci", else xboard's. Returns the process exit code.
int RunEngineMode(const std::string& home, const std::string& firstLine = "");

} // namespace kestrin
