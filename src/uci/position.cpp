#include "uci/position.h"

#include <mutex>

#include "board/tables.h"
#include "notation/fen.h"
#include "notation/history.h"
#include "notation/moveentry.h"
#include "notation/newgame.h"
#include "search/engine.h"
#include "uci/coordinates.h"

namespace kestrin {

namespace {

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  for (std::size_t at = 0;;) {
    const std::size_t start = text.find_first_not_of(" \t", at);
    if (start == std::string_view::npos) return words;
    at = std::min(text.find_first_of(" \t", start), text.size());
    words.push_back(text.substr(start, at - start));
  }
}

// Plays a coordinate move on the game position and records it; false when it is not legal.
bool PlayOnGame(std::string_view text) {
  CoordinateMove wanted;
  std::lock_guard<std::mutex> lock(GameMutex());
  Move move;
  if (!ReadCoordinateMove(text, wanted) || !FindLegalMove(gamePosition, wanted, move)) return false;
  PromotionChoice = wanted.promotion ? wanted.promotion : Queen;
  int from = 0, to = 0;
  const int played = EnterHumanMove(gamePosition, FileOf[wanted.from] - 1, 8 - RankOf[wanted.from],
                                    FileOf[wanted.to] - 1, 8 - RankOf[wanted.to], gamePosition.sideToMove, 0, 1,
                                    nullptr, from, to);
  PromotionChoice = Queen;
  return played == 1;
}

} // namespace

PositionCommand ReadPositionCommand(std::string_view arguments) {
  PositionCommand command;
  const std::vector<std::string_view> words = Words(arguments);
  if (words.empty() || (words[0] != "startpos" && words[0] != "fen")) return command;
  command.understood = true;
  std::size_t i = 1;
  for (; i < words.size() && words[i] != "moves"; ++i) {
    if (words[0] == "startpos") continue; // nothing belongs between startpos and moves
    if (!command.fen.empty()) command.fen += ' ';
    command.fen += words[i];
  }
  if (words[0] == "fen" && command.fen.empty()) command.understood = false;
  for (++i; i < words.size(); ++i) command.moves.emplace_back(words[i]);
  return command;
}

SetUpOutcome SetUpPosition(const PositionCommand& command) {
  SetUpOutcome outcome;
  if (command.fen.empty()) {
    std::lock_guard<std::mutex> lock(GameMutex());
    ResetGameRecord();
  } else if (!PositionFromFen(command.fen.data(), command.fen.size())) {
    outcome.fenRefused = true;
    return outcome;
  }
  for (const std::string& move : command.moves) {
    if (PlayOnGame(move)) continue;
    outcome.illegalMove = move;
    break;
  }
  return outcome;
}

} // namespace kestrin
