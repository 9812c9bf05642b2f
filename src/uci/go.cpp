#include "uci/go.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "search/limits.h"
#include "uci/coordinates.h"
#include "search/searchstate.h"
#include "search/think.h"

namespace kestrin {

namespace {

// Longer than any search is let run: the target of a search without time limit.
constexpr float UnlimitedSeconds = 1e6f;
// More than any clock or count a host means.
constexpr long long LargestValue = 1000000000000LL;
constexpr long long MostMovesToGo = 10000;
// Kept back from a fixed move time for answering: a tenth of it, at most 50 ms.
constexpr double MoveTimeReserve = 50;

long long ReadNumber(std::string_view text, bool& ok) {
  const std::string copy(text);
  char* end = nullptr;
  const long long value = std::strtoll(copy.c_str(), &end, 10);
  ok = end != copy.c_str() && *end == 0;
  return std::clamp(value, -LargestValue, LargestValue);
}

} // namespace

GoCommand ReadGoCommand(std::string_view arguments) {
  GoCommand go;
  struct Field {
    const char* word;
    long long* value;
  };
  const Field fields[] = {{"wtime", &go.clock[White]},    {"btime", &go.clock[Black]},
                          {"winc", &go.increment[White]}, {"binc", &go.increment[Black]},
                          {"movestogo", &go.movesToGo},   {"depth", &go.depth},
                          {"nodes", &go.nodes},           {"movetime", &go.moveTime}};
  std::string_view rest = arguments;
  auto next = [&]() -> std::string_view {
    const std::size_t start = rest.find_first_not_of(" \t");
    if (start == std::string_view::npos) return rest = {};
    const std::size_t end = std::min(rest.find_first_of(" \t", start), rest.size());
    const std::string_view word = rest.substr(start, end - start);
    rest.remove_prefix(end);
    return word;
  };
  for (std::string_view word = next(); !word.empty(); word = next()) {
    if (word == "infinite") go.infinite = true;
    if (word == "ponder") go.ponder = true;
    if (word == "searchmoves") {
      // The moves run up to the next word that is no move.
      CoordinateMove move;
      for (;;) {
        const std::string_view saved = rest, text = next();
        if (!ReadCoordinateMove(text, move)) {
          rest = saved;
          break;
        }
        go.searchMoves.emplace_back(text);
      }
    }
    for (const Field& field : fields) {
      if (word != field.word) continue;
      const std::string_view saved = rest;
      bool ok = false;
      const long long value = ReadNumber(next(), ok);
      if (ok) *field.value = value;
      else rest = saved; // not a number: that word is read for what it is
    }
  }
  return go;
}

MoveTime TimeForMove(const GoCommand& go, int side, int plyCount) {
  MoveTime time;
  if (go.moveTime >= 0) {
    const double ms = static_cast<double>(go.moveTime);
    time.limited = true;
    time.target = static_cast<float>(std::max(ms - std::min(ms / 10, MoveTimeReserve), 1.0) / 1000);
    return time;
  }
  if (side != White && side != Black) return time;
  if (go.clock[side] < 0) return time;
  // The allocation counts the moves to go as moves per control less those made in it: with
  // the moves made so far added, it is UCI's count.
  const int movesMade = plyCount / 2;
  const long long toGo = std::min(go.movesToGo, MostMovesToGo);
  AllocateTime(go.clock[side] / 1000.0, toGo > 0 ? static_cast<int>(movesMade + toGo) : 0,
               std::max(go.increment[side], 0LL) / 1000.0);
  time.limited = true;
  time.target = search.targetSeconds;
  time.extra = search.extraSeconds;
  return time;
}

void SetSearchLimits(const GoCommand& go, int defaultDepth) {
  searchSettings.maxPly = go.depth > 0 ? static_cast<i32>(std::min<long long>(go.depth, INT32_MAX)) : defaultDepth;
  searchSettings.maxNodes = go.nodes > 0 ? static_cast<u32>(std::min<long long>(go.nodes, UINT32_MAX)) : 0;
}

void SetMoveTime(const MoveTime& time) {
  search.targetSeconds = time.limited ? time.target : UnlimitedSeconds;
  search.extraSeconds = time.limited ? time.extra : 0.0f;
}

} // namespace kestrin
