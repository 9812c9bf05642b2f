#include "board/gameend.h"

#include "board/attacks.h"
#include "board/keys.h"
#include "board/legality.h"
#include "board/movegen.h"
#include "platform/frontend.h"

namespace kestrin {

int MateStatus(const Position& position, int side) {
  MoveList list;
  GenerateMoves(side, position, list);
  for (u32 i = 1; i <= list.captureCount; ++i)
    if (IsLegalMove(position, list.Capture(i), side)) return HasLegalMove;
  for (u32 j = 1; j <= list.quietCount; ++j)
    if (IsLegalMove(position, list.Quiet(j), side)) return HasLegalMove;
  return IsInCheck(side, position) ? Checkmated : Stalemated;
}

bool IsInsufficientMaterial(const Position& p) {
  int pieces = p.whitePieces + p.blackPieces;
  return p.whitePawns == 0 && p.blackPawns == 0 && (p.whitePieces == 0 || p.blackPieces == 0) && pieces <= 1 &&
         p.whiteMinors + p.blackMinors == pieces;
}

int CheckGameEnd(const Position& position, int showMessages, int& result) {
  return CheckGameEnd(position, showMessages, result, RepetitionCount(position));
}

int CheckGameEnd(const Position& position, int showMessages, int& result, int repetitions) {
  const char* message = nullptr;
  int status = MateStatus(position, position.sideToMove);
  if (status == Stalemated) {
    result = GameDrawn;
    message = " Draw by Stalemate. ";
  } else if (status == Checkmated) {
    result = position.sideToMove == Black ? WhiteWon : BlackWon;
    message = " Checkmate ";
  } else if (repetitions > 1) {
    result = GameDrawn;
    message = " Draw by Repetition ";
  } else if (position.plyCount - position.irreversiblePly >= 100) {
    result = GameDrawn;
    message = " Draw by 50-Move Rule ";
  } else if (IsInsufficientMaterial(position)) {
    result = GameDrawn;
    message = " Draw by insuffucient material to mate ";
  } else {
    return 0;
  }
  if (showMessages == 1 && WinboardMode.load() == 0) ShowMessage(message, " Game Over! ");
  return 1;
}

} // namespace kestrin
