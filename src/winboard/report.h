// The engine's thinking, moves, results, resignations and draw offers in xboard's lines.
#pragma once

#include "search/report.h"

namespace kestrin {

// Installed by the engine mode's new game (WinboardNewGame) for as long as the mode lasts.
SearchReport& XboardReport();

} // namespace kestrin
