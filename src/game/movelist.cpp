#include "game/movelist.h"

#include <cstdio>
#include <cstring>
#include <mutex>

#include "board/gameend.h"
#include "game/controller.h"
#include "game/gameresult.h"
#include "notation/history.h"
#include "notation/san.h"
#include "notation/transcript.h"
#include "search/engine.h"

namespace kestrin {

namespace {

// Texts are worked out once per record: a panel refresh comes with every move and every tick.
struct SanCache {
  GameHistory record{};
  Position start{};
  std::vector<std::string> texts;
  bool filled = false;
} cache;

} // namespace

std::vector<std::string> RecordSan() {
  Position start;
  {
    std::lock_guard<std::mutex> lock(GameMutex());
    start = startPosition;
    if (cache.filled && std::memcmp(&cache.start, &start, sizeof start) == 0 &&
        std::memcmp(&cache.record, &gameHistory, sizeof gameHistory) == 0)
      return cache.texts;
    cache.record = gameHistory;
  }
  cache.start = start;
  cache.texts.clear();
  Position position = start;
  for (int ply = start.plyCount; ply <= cache.record.count; ++ply) {
    const Position before = position;
    if (!PlayMoveText(PlyText(cache.record, ply), position, 0, nullptr)) {
      cache.texts.emplace_back();
      continue;
    }
    cache.texts.push_back(SanOfPlayed(before, position));
  }
  cache.filled = true;
  return cache.texts;
}

MoveListView CurrentMoveList(bool shortNotation) {
  MoveListView view{TranscriptLines(), TranscriptSelection()};
  if (shortNotation) {
    const std::vector<std::string> san = RecordSan();
    const int firstPly = cache.start.plyCount;
    auto text = [&](int ply) {
      const int at = ply - firstPly;
      return at >= 0 && at < static_cast<int>(san.size()) ? san[at] : std::string("...");
    };
    // Line k holds plies 2k + 1 and 2k + 2; a line without the bar holds White's move only.
    for (std::size_t k = 0; k < view.lines.size(); ++k) {
      const int white = 2 * static_cast<int>(k) + 1;
      const bool both = view.lines[k].find('|') != std::string::npos;
      char line[64];
      if (both) std::snprintf(line, sizeof line, "%d. %-8s %s", white / 2 + 1, text(white).c_str(), text(white + 1).c_str());
      else std::snprintf(line, sizeof line, "%d. %s", white / 2 + 1, text(white).c_str());
      view.lines[k] = line;
    }
  }
  const GameEnd end = CurrentGameEnd();
  if (end.result != GameInProgress && GamePositionNow().plyCount > HistoryCount()) view.lines.push_back(ResultToken(end.result));
  return view;
}

} // namespace kestrin
