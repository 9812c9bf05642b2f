#include "uci/output.h"

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <mutex>

#include "search/searchstate.h"
#include "uci/coordinates.h"

namespace kestrin {

namespace {

std::mutex sendMutex;

// What the engine reports after a game-ending draw instead of a score.
constexpr int DrawnGameScore = 10000;

} // namespace

void UciSend(std::string_view line) {
  std::lock_guard<std::mutex> lock(sendMutex);
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

std::string UciScore(int whiteScore, int side) {
  if (std::abs(whiteScore) >= DrawnGameScore) return "cp 0";
  const int score = side == Black ? -whiteScore : whiteScore;
  if (std::abs(score) <= MateThreshold) return "cp " + std::to_string(score);
  // A mate m plies after the root scores 9999 - (m + 1); UCI counts moves, negative when mated.
  const int plies = MateValue - 1 - std::abs(score);
  const int moves = (plies + 1) / 2;
  return "mate " + std::to_string(score > 0 ? moves : -moves);
}

std::string InfoLine(int depth, int whiteScore, int side, u32 nodes, long long milliseconds,
                     const std::string& line) {
  const long long nps = milliseconds > 0 ? nodes * 1000LL / milliseconds : 0;
  std::string text = "info depth " + std::to_string(depth) + " score " + UciScore(whiteScore, side) + " nodes " +
                     std::to_string(nodes) + " nps " + std::to_string(nps) + " time " + std::to_string(milliseconds);
  if (!line.empty()) text += " pv " + line;
  return text;
}

std::string ThinkingInfo(const ThinkingLine& line, long long milliseconds, int side, const Position& root,
                         const u32* pv) {
  const int length = static_cast<int>(std::min<u32>(pv[0], SearchPlies - 1));
  return InfoLine(line.depth, line.score, side, line.nodes, milliseconds, LineText(root, pv + 1, length));
}

} // namespace kestrin
