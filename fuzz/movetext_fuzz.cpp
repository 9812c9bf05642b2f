// Move text in every form the program reads: the record's long algebraic form, short
// algebraic, coordinates (xboard's and UCI's) and whole PGN move-text blocks. The first byte
// picks the position the text is read in.
#include <string>

#include "harness.h"

#include "notation/fen.h"
#include "notation/history.h"
#include "notation/movetext.h"
#include "notation/pgn.h"
#include "uci/coordinates.h"

using namespace kestrin;

namespace {

const char* const Positions[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/pPp2ppp/8/3pP3/8/8/PPP2PpP/R3K2R w KQkq d6 0 1", // castling, promotions, en passant
    "r3k2r/pPp2ppp/8/8/3pP3/8/PPP2PpP/R3K2R b KQkq e3 0 1",
    "8/8/8/8/8/8/8/k1K5 w - - 0 1",
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::StartEngine(false);
  if (size == 0) return 0;
  const char* fen = Positions[data[0] % (sizeof Positions / sizeof Positions[0])];
  Position start;
  ReadFen(fen, std::char_traits<char>::length(fen), start);
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  ParseMoveText(text, start);
  Position p = start;
  PlayMoveText(text, p, 0, nullptr);
  CoordinateMove coordinates;
  Move move;
  if (ReadCoordinateMove(text, coordinates)) FindLegalMove(start, coordinates, move);
  static GameHistory history;
  ClearHistory(&history);
  p = start;
  PlayMoveTextBlock(text.c_str(), p, &history);
  return 0;
}
