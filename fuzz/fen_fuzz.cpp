// FEN text as "setboard", "position fen" and a pasted position give it, and what the engine
// then does with an accepted position: generate, try and judge its moves.
#include "harness.h"

#include "board/gameend.h"
#include "board/legality.h"
#include "board/movegen.h"
#include "notation/fen.h"

using namespace kestrin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::StartEngine(false);
  const char* text = reinterpret_cast<const char*>(data);
  Position p;
  if (!ReadFen(text, size, p)) return 0;
  char buffer[FenBufferSize];
  PositionToFen(buffer, p);
  if (!PositionFromFen(text, size)) return 0;
  MoveList list;
  GenerateMoves(p.sideToMove, p, list);
  ForEachMove(list, [&](Move m) {
    Position after;
    MoveList replies;
    if (TryMove(p, m, p.sideToMove, after)) GenerateMoves(after.sideToMove, after, replies);
  });
  int result = GameInProgress;
  CheckGameEnd(p, 0, result);
  return 0;
}
