#include "eval_support.h"

#include <utility>

#include "board/tables.h"

namespace kestrin::test {

// The square mirrored top to bottom (a8 <-> a1); off-board values pass through.
static int MirrorSquare(int s) { return RankOf[s] ? 10 * (11 - s / 10) + s % 10 : s; }

Position Mirrored(const Position& p) {
  Position m = p;
  for (int s = 0; s < BoardSize; ++s) {
    const int code = p.board[MirrorSquare(s)];
    if (RankOf[s]) m.board[s] = static_cast<u8>(code == Empty ? Empty : code ^ BlackOffset);
  }
  for (int slot = 0; slot < 16; ++slot) {
    m.whitePieceList[slot] = static_cast<u8>(MirrorSquare(p.blackPieceList[slot]));
    m.blackPieceList[slot] = static_cast<u8>(MirrorSquare(p.whitePieceList[slot]));
  }
  std::swap(m.whitePieces, m.blackPieces);
  std::swap(m.whitePawns, m.blackPawns);
  std::swap(m.whiteMinors, m.blackMinors);
  std::swap(m.castleState[0], m.castleState[1]);
  m.sideToMove = static_cast<u8>(Opponent(p.sideToMove));
  m.epSquare = p.epSquare == NoEpSquare ? NoEpSquare : static_cast<u8>(MirrorSquare(p.epSquare));
  m.materialScore = static_cast<i16>(-p.materialScore);
  m.pstScore = static_cast<i16>(-p.pstScore);
  m.pawnKey = PawnKeyOf(m);
  return m;
}

} // namespace kestrin::test
