// The options UCI mode offers. They change the engine for this session only: the settings
// file gives their starting values and is not written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrin {

// The "option name ..." lines answering "uci".
std::vector<std::string> OptionDeclarations();

// Carries out "setoption name <id> [value <x>]" (the words after "setoption"); the engine
// must be idle. Unknown names and unreadable values are ignored.
void SetOption(std::string_view arguments);

// The table sizes the engine offers, as a power of two (19..24), and in megabytes.
int HashExponentNearest(long long megabytes);
long long HashMegabytes(int exponent);

// Puts the options back to the values the settings give (a new session).
void ResetOptions();

} // namespace kestrin
