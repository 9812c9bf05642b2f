#include "support/san.h"

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/tables.h"
#include "support/legalmoves.h"

namespace kestrin::test {

namespace {

std::string Bare(const std::string& san) {
  std::string out = san;
  while (!out.empty() && std::string("+#!?").find(out.back()) != std::string::npos) out.pop_back();
  return out;
}

} // namespace

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
  std::string wanted = Bare(san);
  for (Move move : LegalMoves(position)) {
    for (int promotion = Bishop; promotion <= Queen; ++promotion) {
      if (Bare(SanOf(position, move, promotion)) != wanted) continue;
      MoveUndo undo;
      MakeMove(position, move, undo, promotion);
      return true;
    }
  }
  return false;
}

} // namespace kestrin::test
