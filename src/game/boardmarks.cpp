#include "game/boardmarks.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "board/legality.h"
#include "board/movegen.h"
#include "game/controller.h"
#include "notation/history.h"
#include "search/engine.h"

namespace kestrin {

namespace {

int IndexOf(int square) { return (square % 10 - 2) + 8 * (square / 10 - 2); }

// The last answer, kept for the position it was given for: the board is painted far more
// often than the game moves, and a replay of a long game is not free.
struct LastMoveCache {
  Position shown{};
  std::vector<int> squares;
  bool valid = false;
};
LastMoveCache cache;

} // namespace

std::vector<int> LastMoveSquares() {
  std::lock_guard<std::mutex> lock(GameMutex());
  if (cache.valid && std::memcmp(&cache.shown, &gamePosition, sizeof gamePosition) == 0) return cache.squares;
  cache.shown = gamePosition;
  cache.valid = true;
  cache.squares.clear();
  if (gamePosition.plyCount <= startPosition.plyCount) return cache.squares;
  Position before{};
  PositionAtPly(before, gamePosition.plyCount - 1);
  // A record that no longer replays to the shown position (a man set by hand) marks nothing.
  if (before.plyCount + 1 != gamePosition.plyCount) return cache.squares;
  cache.squares = ChangedSquares(before, gamePosition);
  return cache.squares;
}

std::vector<int> TargetSquares(const Position& position, int square) {
  std::vector<int> targets;
  if (square < 0 || square > 63) return targets;
  const int from = SquareOf(square % 8, square / 8);
  const int side = position.sideToMove;
  const int code = position.board[from];
  if (code == Empty || (code < 8) != (side == White)) return targets;
  MoveList list;
  GenerateMoves(side, position, list);
  auto consider = [&](Move move) {
    const bool ownMove = IsCastling(move) ? (code & 7) == King : MoveFrom(move) == from;
    if (ownMove && IsLegalMove(position, move, side)) targets.push_back(IndexOf(MoveTo(move)));
  };
  for (u32 i = 1; i <= list.captureCount; ++i) consider(list.Capture(i));
  for (u32 j = 1; j <= list.quietCount; ++j) consider(list.Quiet(j));
  // A pawn reaching the last rank is generated once per piece it may become.
  std::sort(targets.begin(), targets.end());
  targets.erase(std::unique(targets.begin(), targets.end()), targets.end());
  return targets;
}

} // namespace kestrin
