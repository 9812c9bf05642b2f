#include "support/san.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/tables.h"
#include "support/fixtures.h"
#include "support/legalmoves.h"

namespace kestrin::test {

std::string SanOf(const Position& before, Move move, int promotionType) {
  std::string text;
  if (IsCastling(move)) {
    text = (MoveFrom(move) == CastleWhiteShort || MoveFrom(move) == CastleBlackShort) ? "O-O" : "O-O-O";
  } else {
    int from = MoveFrom(move), to = MoveTo(move), type = before.board[from] & 7;
    bool capture = before.board[to] != Empty || (type == Pawn && FileOf[from] != FileOf[to]);
    if (type == Pawn) {
      if (capture) text += char('a' + FileOf[from] - 1);
    } else {
      text += "..pBNRQK"[type];
      bool sameFile = false, sameRank = false, ambiguous = false;
      for (Move other : LegalMoves(before)) {
        if (other == move || IsCastling(other)) continue;
        int f = MoveFrom(other);
        if (MoveTo(other) != to || (before.board[f] & 7) != type || f == from) continue;
        ambiguous = true;
        sameFile |= FileOf[f] == FileOf[from];
        sameRank |= RankOf[f] == RankOf[from];
      }
      if (ambiguous) {
        if (!sameFile) text += char('a' + FileOf[from] - 1);
        else if (!sameRank) text += char('0' + RankOf[from]);
        else text += SquareName(from);
      }
    }
    if (capture) text += 'x';
    text += SquareName(to);
    if (type == Pawn && (RankOf[to] == 8 || RankOf[to] == 1)) text += std::string("=") + "..pBNRQK"[promotionType];
  }
  Position after = before;
  MoveUndo undo;
  MakeMove(after, move, undo, promotionType);
  int opponent = Opponent(before.sideToMove);
  if (IsInCheck(opponent, after)) text += LegalMoves(after).empty() ? "#" : "+";
  return text;
}

bool PlaySan(Position& position, const std::string& san) {
  const auto bare = [](std::string text) {
    while (!text.empty() && std::string("+#!?").find(text.back()) != std::string::npos) text.pop_back();
    return text;
  };
  const std::string wanted = bare(san);
  for (Move move : LegalMoves(position)) {
    for (int promotion = Bishop; promotion <= Queen; ++promotion) {
      if (bare(SanOf(position, move, promotion)) != wanted) continue;
      MoveUndo undo;
      MakeMove(position, move, undo, promotion);
      return true;
    }
  }
  return false;
}

RandomGame PlayRandomGame(std::mt19937& random, int maxPlies, const Position& start, int narrowPlies) {
  RandomGame game;
  Position p = start;
  for (int ply = 0; ply < maxPlies; ++ply) {
    const std::vector<Move> legal = LegalMoves(p);
    if (legal.empty()) break;
    const Move move = legal[random() % (ply < narrowPlies ? std::min<std::size_t>(2, legal.size()) : legal.size())];
    const bool promoting = !IsCastling(move) && (p.board[MoveFrom(move)] & 7) == Pawn && RankOf[MoveTo(move)] % 7 == 1;
    const int promotion = promoting ? static_cast<int>(Bishop + random() % 4) : Queen;
    game.san.push_back(SanOf(p, move, promotion));
    game.coordinates.push_back(CoordinateOf(move) + (promoting ? std::string(1, "..pbnrq"[promotion]) : ""));
    MoveUndo undo;
    MakeMove(p, move, undo, promotion);
    game.fens.push_back(ToFen(p));
  }
  return game;
}

void CheckMatchGames(const std::string& pgn, const std::string& name, const std::vector<std::string>& abnormal) {
  const std::regex noise("\\[[^\\]]*\\]|\\{[^}]*\\}|\\d+\\.+|1-0|0-1|1/2-1/2|\\*");
  int games = 0;
  for (std::size_t at = pgn.find("[Event "); at != std::string::npos; ++games) {
    const std::size_t end = pgn.find("[Event ", at + 1);
    const std::string game = pgn.substr(at, end == std::string::npos ? std::string::npos : end - at);
    at = end;
    EXPECT_NE(game.find((games == 0 ? "[White \"" : "[Black \"") + name), std::string::npos) << game;
    EXPECT_TRUE(std::regex_search(game, std::regex("\\[Result \"(1-0|0-1|1/2-1/2)\"\\]"))) << game;
    for (const std::string& word : abnormal) EXPECT_EQ(game.find(word), std::string::npos) << word << " in " << game;
    Position board;
    SetStartPosition(board);
    std::istringstream moves(std::regex_replace(game, noise, " "));
    int plies = 0;
    for (std::string san; moves >> san; ++plies) ASSERT_TRUE(PlaySan(board, san)) << san << " in " << game;
    EXPECT_GT(plies, 20);
  }
  EXPECT_EQ(games, 2);
}

} // namespace kestrin::test
