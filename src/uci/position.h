// The "position" command: where the game starts (the initial position or a FEN) and the
// moves played since, set up as the game position and its record.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrin {

struct PositionCommand {
  bool understood = false;   // "startpos" or "fen" came first
  std::string fen;           // empty for the initial position
  std::vector<std::string> moves;
};

PositionCommand ReadPositionCommand(std::string_view arguments);

// What setting up found wrong; empty when all went in. Shown to the host as an info string.
struct SetUpOutcome {
  bool fenRefused = false;   // the game was left as it was
  std::string illegalMove;   // the first move not played; it and the moves after it are ignored
};

// Makes the command's position the game (the engine must be idle): a fresh record from the
// start, then each move in turn, up to the first that is not legal there.
SetUpOutcome SetUpPosition(const PositionCommand& command);

} // namespace kestrin
