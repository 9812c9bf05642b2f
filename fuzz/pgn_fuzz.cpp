// PGN files, whole: the first game and a later one loaded as the window's Load commands do.
#include "harness.h"

#include "notation/newgame.h"
#include "notation/pgn.h"

using namespace kestrin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::StartEngine(false);
  const std::string file = fuzz::WriteInput(data, size, "input.pgn");
  ResetGameRecord();
  LoadPgnGame(file.c_str(), 1, 1);
  LoadPgnGame(file.c_str(), 3, 0);
  return 0;
}
