// UCI mode: commands from a chess host on standard input, answers on standard output. The
// engine thread, its search, book and time rules are those of the xboard mode.
#pragma once

#include <cstdio>
#include <string_view>

namespace kestrin {

// Answers the "uci" that chose this mode, then carries out command lines from `input` until
// "quit" or the end of input. The engine has been initialised.
void RunUci(std::FILE* input);

// Takes over the engine's reports and starts a fresh game, as RunUci does before its first line.
void BeginUciSession();

// Carries out one command line (without its line feed); false after "quit".
bool UciCommand(std::string_view line);

} // namespace kestrin
