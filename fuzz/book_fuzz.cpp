// Opening-book files: loaded into an empty book, then asked for the moves of the first positions.
#include "harness.h"

#include "book/book.h"
#include "notation/history.h"
#include "notation/newgame.h"

using namespace kestrin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::StartEngine(false);
  const std::string file = fuzz::WriteInput(data, size, "input.kcb");
  BookCreate();
  BookLoad(file.c_str());
  ResetGameRecord();
  static BookMoveList moves;
  for (int ply = 0; ply < 4; ++ply) {
    BookCandidates(gamePosition, moves);
    if (ChooseBookMove(gamePosition) == BookEmptyValue) break;
  }
  return 0;
}
