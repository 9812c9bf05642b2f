// The side panel's texts that come from the position.
#pragma once

#include <string>

#include "board/position.h"

namespace kestrin {

// "Move # %d" with the ply count halved, and "  CHECK!" when either king is in check.
std::string MoveNumberText(const Position& position);

// The material difference: "White:" and "Black:" lines, each followed by what that side has
// more of ("Q", then counts with "R", "B", "N", "p", separated by ", ").
std::string MaterialText(const Position& position);
// The lines of a material text that say something: a side with nothing more loses its line,
// so an even position shows nothing at all.
std::string MaterialShown(const std::string& text);

} // namespace kestrin
