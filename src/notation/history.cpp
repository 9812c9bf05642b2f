#include "notation/history.h"

#include <cstring>

#include "board/gameend.h"
#include "board/keys.h"
#include "notation/moveentry.h"
#include "platform/clock.h"
#include "platform/frontend.h"

namespace kestrin {

namespace {

Position InitialArray() {
  Position p;
  SetStartPosition(p);
  return p;
}

} // namespace

GameHistory gameHistory;
Position gamePosition = InitialArray();
Position startPosition = InitialArray();
std::atomic<int> whiteUsed{0};
std::atomic<int> blackUsed{0};
std::atomic<std::int64_t> turnStart{0};
std::atomic<int> gameState{GameInProgress};

namespace {

// The count is read by the clock display on the window thread while the engine thread records.
std::atomic_ref<std::int32_t> CountOf(GameHistory& history) { return std::atomic_ref<std::int32_t>(history.count); }
std::int32_t LoadCount(const GameHistory& history) {
  return std::atomic_ref<std::int32_t>(const_cast<std::int32_t&>(history.count)).load(std::memory_order_relaxed);
}

GameHistory& Resolve(GameHistory* history) { return history ? *history : gameHistory; }

} // namespace

void RecordMove(GameHistory* target, const MoveList& list, int index, const Position& before) {
  GameHistory& history = Resolve(target);
  const int count = LoadCount(history);
  const int ply = before.plyCount;
  // The slot is chosen by the position's ply, so that one is bounded as well as the count.
  if (count >= MaxRecordedPlies || ply < 1 || ply > MaxRecordedPlies) {
    SetInfoText("Hit Maximum Move Number");
    return;
  }
  if (index < 0 || index >= static_cast<int>(sizeof list.moves / sizeof list.moves[0])) return;
  if (&history == &gameHistory) {
    std::int64_t now = ClockMilliseconds();
    if (ply >= count) {
      int elapsed = static_cast<int>((now - turnStart.load()) / 10);
      (ply % 2 == 1 ? whiteUsed : blackUsed).fetch_add(elapsed);
    }
    turnStart = now;
    RecordRepetitionKey(before);
    gameState = GameInProgress;
  }
  FormatMoveText(history.slots[ply - 1], before, list.moves[index]);
  CountOf(history).store(ply, std::memory_order_relaxed);
}

void ClearHistory(GameHistory* target) {
  GameHistory& history = Resolve(target);
  std::memset(history.slots, 0, sizeof history.slots);
  CountOf(history).store(0, std::memory_order_relaxed);
}

int HistoryCount(const GameHistory* history) { return LoadCount(history ? *history : gameHistory); }

int MovesMadeBy(int side, int firstPly, int lastPly) {
  if (firstPly < 1 || lastPly < firstPly) return 0;
  // Odd plies in firstPly..lastPly for White, even ones for Black.
  const int parity = side == White ? 1 : 0;
  auto upTo = [parity](int ply) { return (ply + parity) / 2; };
  return upTo(lastPly) - upTo(firstPly - 1);
}

int SideToMoveAfter(int firstPly, int lastPly) {
  const int next = lastPly >= firstPly ? lastPly + 1 : firstPly;
  return next % 2 == 1 ? White : Black;
}

std::string_view PlyText(const GameHistory& history, int ply) {
  if (ply < 1 || ply > HistorySlots) return {};
  const char* slot = history.slots[ply - 1];
  return std::string_view(slot, strnlen(slot, MoveTextSlotSize));
}

std::string_view LastRecordedText(const GameHistory* history) {
  const GameHistory& h = history ? *history : gameHistory;
  return PlyText(h, LoadCount(h));
}

bool GamePositionAtEnd() { return gamePosition.plyCount > LoadCount(gameHistory); }

void ReplayToPly(const GameHistory& history, const Position& start, Position& target, int n) {
  target = start;
  const int count = LoadCount(history);
  // Replaying reads promotion suffixes; the choice in force before is put back afterwards.
  const int choice = PromotionChoice.load();
  for (int k = 1; k < n && k <= count; ++k) PlayMoveText(PlyText(history, k), target, 0, nullptr);
  PromotionChoice = choice;
}

void PositionAtPly(Position& target, int n) { ReplayToPly(gameHistory, startPosition, target, n); }

} // namespace kestrin
