#include "pgntest.h"

#include <gtest/gtest.h>

#include "board/tables.h"
#include "notation/history.h"
#include "notation/movetext.h"
#include "notation/newgame.h"
#include "support/fixtures.h"
#include "support/legalmoves.h"
#include "support/san.h"

namespace kestrin::test {

GeneratedGame RandomGame(std::mt19937& random, int maxPlies, const Position& start) {
  GeneratedGame game;
  Position p = start;
  for (int ply = 0; ply < maxPlies; ++ply) {
    Position before = p;
    // A short legal side line from here, for the variations of the written game.
    std::vector<std::string> side;
    Position q = before;
    PlayedMove alternative;
    for (int k = 0; k < 3; ++k) {
      Position at = q;
      if (!PlayRandomMove(q, random, alternative)) break;
      side.push_back(SanOf(at, alternative.move, alternative.promotionType));
    }
    PlayedMove played;
    if (!PlayRandomMove(p, random, played)) break;
    game.san.push_back(SanOf(before, played.move, played.promotionType));
    std::string coordinates = CoordinateOf(played.move);
    int from = MoveFrom(played.move);
    if (!IsCastling(played.move) && (before.board[from] & 7) == Pawn &&
        (RankOf[MoveTo(played.move)] == 1 || RankOf[MoveTo(played.move)] == 8))
      coordinates += "..pbnrq"[played.promotionType];
    game.coordinates.push_back(coordinates);
    game.fens.push_back(ToFen(p));
    game.sidelines.push_back(side);
  }
  return game;
}

void RecordCoordinates(const std::vector<std::string>& coordinates, const Position* start) {
  ResetGameRecord(start);
  for (const std::string& move : coordinates) ASSERT_EQ(PlayMoveText(move, gamePosition, 1, nullptr), 1) << move;
}

std::vector<std::string> RecordFens() {
  std::vector<std::string> fens;
  Position p = startPosition;
  for (int ply = 1; ply <= HistoryCount(); ++ply) {
    // A game begun with Black to move has nothing in its first slot.
    if (PlyText(gameHistory, ply).empty()) continue;
    PlayMoveText(PlyText(gameHistory, ply), p, 0, nullptr);
    fens.push_back(ToFen(p));
  }
  return fens;
}

std::vector<std::string> RecordTexts() {
  std::vector<std::string> texts;
  for (int ply = 1; ply <= HistoryCount(); ++ply) texts.emplace_back(PlyText(gameHistory, ply));
  return texts;
}

} // namespace kestrin::test
