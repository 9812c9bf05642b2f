// Start-up work shared by every entry point.
#pragma once

#include <string>

namespace kestrin {

// Builds the board tables and fills the random key tables (what the developer commands need).
void InitTables();

// Makes the program's home the working directory: `home` when given, else $XDG_DATA_HOME/kestrin
// or ~/.local/share/kestrin. Created on first use and seeded with the bitbase and default book
// found beside the executable. Returns false (with a message on standard error) when it cannot.
bool EnterHomeDirectory(const std::string& home);

// The engine's initialisation, in order: bitbase, board tables, settings, keys, transposition
// table, opening book, the engine thread.
void InitEngine();

} // namespace kestrin
