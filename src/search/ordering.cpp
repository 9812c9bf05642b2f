#include "search/ordering.h"

#include <cstring>
#include <utility>

#include "board/legality.h"
#include "board/tables.h"

namespace kestrin {

u16 Killers[KillerPlies];
u32 WhiteHistory[16384];
u32 BlackHistory[16384];

namespace {

int TypeValue(int code) { return PieceValue[code & 7]; }

// Insertion sort of moves[first..last] by score, highest first; a move only passes strictly lower scores.
template <typename Score>
void SortDescending(Move* moves, Score* scores, int first, int last) {
  for (int i = first + 1; i <= last; ++i) {
    Move m = moves[i];
    Score s = scores[i];
    int j = i - 1;
    while (j >= first && scores[j] < s) {
      moves[j + 1] = moves[j];
      scores[j + 1] = scores[j];
      --j;
    }
    moves[j + 1] = m;
    scores[j + 1] = s;
  }
}

// The slot of `wanted` among captures (1..) or quiet moves (QuietBase + 1 ..), or 0.
int FindListed(const MoveList& list, u16 wanted) {
  if (wanted == NoMove16) return 0;
  for (u32 i = 1; i <= list.captureCount; ++i)
    if (LowMove(list.moves[i]) == wanted) return static_cast<int>(i);
  for (u32 j = 1; j <= list.quietCount; ++j)
    if (LowMove(list.moves[QuietBase + j]) == wanted) return static_cast<int>(QuietBase + j);
  return 0;
}

} // namespace

void ScoreCaptures(MoveList& list, const Position& p) {
  i32 scores[CaptureCapacity + 1];
  int count = static_cast<int>(list.captureCount);
  for (int i = 1; i <= count; ++i) {
    Move m = list.moves[i];
    scores[i] = 8 * TypeValue(p.board[MoveTo(m)]) - TypeValue(p.board[MoveFrom(m)]);
  }
  SortDescending(list.moves, scores, 1, count);
}

void OrderMoves(u16 hashMove, MoveList& list, u16 killer, const Position& p) {
  (void)p;
  Move* moves = list.moves;
  const u32 captures = list.captureCount, quiets = list.quietCount;
  int hashSlot = FindListed(list, hashMove);
  Move hash = hashSlot ? moves[hashSlot] : 0;
  // In place: every block lands at or before the slots it is read from, so memmove keeps it whole.
  u32 n = 0;
  // Copies moves[first .. last] to moves[n ..], leaving out `skipA` and `skipB`.
  auto append = [&](int first, int last, int skipA, int skipB) {
    if (skipA > skipB) std::swap(skipA, skipB);
    for (int skip : {skipA, skipB}) {
      if (skip < first || skip > last) continue;
      std::memmove(moves + n, moves + first, sizeof(Move) * static_cast<u32>(skip - first));
      n += static_cast<u32>(skip - first);
      first = skip + 1;
    }
    if (last >= first) {
      std::memmove(moves + n, moves + first, sizeof(Move) * static_cast<u32>(last - first + 1));
      n += static_cast<u32>(last - first + 1);
    }
  };
  if (hashSlot) moves[n++] = hash;
  append(1, static_cast<int>(captures), hashSlot, 0);
  int killerSlot = 0;
  if (killer != NoMove16 && killer != hashMove) {
    for (u32 j = 1; j <= quiets; ++j)
      if (LowMove(moves[QuietBase + j]) == killer) {
        killerSlot = static_cast<int>(QuietBase + j);
        moves[n++] = moves[killerSlot];
        break;
      }
  }
  list.captureCount = n;
  append(QuietBase + 1, static_cast<int>(QuietBase + quiets), hashSlot, killerSlot);
  list.quietCount = n;
}

void OrderEvasions(u16 hashMove, MoveList& list, const Position& p) {
  Move* moves = list.moves;
  const int side = p.sideToMove;
  const u32 captures = list.captureCount, quiets = list.quietCount;
  int hashSlot = FindListed(list, hashMove);
  const CheckState check = FindCheckState(p, side);
  auto legal = [&](Move m) { return IsLegalEvasion(p, m, side, check); };
  u32 n = 0;
  if (hashSlot && legal(moves[hashSlot])) moves[n++] = moves[hashSlot];
  for (u32 i = 1; i <= captures; ++i)
    if (static_cast<int>(i) != hashSlot && legal(moves[i])) moves[n++] = moves[i];
  list.captureCount = n;
  for (u32 j = 1; j <= quiets; ++j) {
    int slot = static_cast<int>(QuietBase + j);
    if (slot != hashSlot && legal(moves[slot])) moves[n++] = moves[slot];
  }
  list.quietCount = n;
}

void SortByHistory(MoveList& list, int side) {
  const u32* history = side == White ? WhiteHistory : BlackHistory;
  int first = static_cast<int>(list.captureCount), last = static_cast<int>(list.quietCount) - 1;
  if (last <= first) return;
  u32 scores[QuietBase + QuietCapacity + 1];
  for (int i = first; i <= last; ++i) scores[i] = history[MoveTo(list.moves[i]) * 128 + MoveFrom(list.moves[i])];
  SortDescending(list.moves, scores, first, last);
}

void UpdateKillerAndHistory(int ply, int depth, int side, u16 bestMove, const Position& p) {
  if (bestMove == NoMove16) return;
  int from = bestMove & 0xFF, to = bestMove >> 8;
  if (p.board[to] != Empty) return;
  if (ply >= 0 && ply < KillerPlies) Killers[ply] = bestMove;
  if (depth > 2) (side == White ? WhiteHistory : BlackHistory)[to * 128 + from] += u32(depth * depth + 1);
}

void ResetKillers() {
  for (u16& killer : Killers) killer = NoMove16;
}

void ClearHistoryTables() {
  std::memset(WhiteHistory, 0, sizeof WhiteHistory);
  std::memset(BlackHistory, 0, sizeof BlackHistory);
}

} // namespace kestrin
