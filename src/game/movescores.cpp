#include "game/movescores.h"

#include <atomic>
#include <mutex>
#include <unordered_map>

#include "board/keys.h"
#include "notation/history.h"
#include "notation/moveentry.h"
#include "notation/movetext.h"
#include "search/engine.h"

namespace kestrin {

namespace {

// Far more positions than a game has; when full the oldest games' scores go all at once.
constexpr std::size_t MaxScores = 1 << 16;

std::mutex scoresMutex;
std::unordered_map<u64, int> scores;
std::atomic<unsigned> version{0};

u64 KeyOf(const Position& position) {
  return (u64(ComputeHashKey(position)) << 32 | ComputeHashLock(position)) ^ u64(position.sideToMove);
}

} // namespace

void NoteScore(const Position& position, int score) {
  const u64 key = KeyOf(position);
  std::lock_guard<std::mutex> lock(scoresMutex);
  if (scores.size() >= MaxScores) scores.clear();
  scores[key] = score;
  ++version;
}

void ClearScores() {
  std::lock_guard<std::mutex> lock(scoresMutex);
  scores.clear();
  ++version;
}

unsigned ScoresVersion() { return version; }

std::vector<std::optional<int>> RecordScores() {
  Position position{};
  GameHistory history{};
  {
    std::lock_guard<std::mutex> lock(GameMutex());
    position = startPosition;
    history = gameHistory;
  }
  std::vector<std::optional<int>> result;
  const int count = HistoryCount(&history);
  // Replaying reads promotion suffixes; the choice in force before is put back afterwards.
  const int choice = PromotionChoice.load();
  for (int k = 1; k <= count; ++k) {
    // A ply whose text no longer fits is passed over, as the replay of the record does.
    if (!PlayMoveText(PlyText(history, k), position, 0, nullptr)) {
      result.push_back(std::nullopt);
      continue;
    }
    const u64 key = KeyOf(position);
    std::lock_guard<std::mutex> lock(scoresMutex);
    const auto found = scores.find(key);
    result.push_back(found == scores.end() ? std::nullopt : std::optional<int>(found->second));
  }
  PromotionChoice = choice;
  return result;
}

} // namespace kestrin
