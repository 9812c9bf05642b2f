// xboard protocol lines, one command per line, carried out with the engine thread running as
// in the engine mode; every input starts from a new game and ends with the engine stopped.
#include <cstdio>

#include "harness.h"

#include "winboard/protocol.h"

using namespace kestrin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::StartEngine(true);
  WinboardNewGame();
  bool going = true;
  fuzz::ForEachLine(data, size, [&](std::string_view line) {
    if (going) going = WinboardCommand(line);
  });
  WinboardNewGame();
  std::remove("WinboardGames.pgn"); // "result" appends to it
  return 0;
}
