#include "notation/san.h"

#include <cstring>

#include "board/attacks.h"
#include "board/gameend.h"
#include "board/legality.h"
#include "board/movegen.h"
#include "board/tables.h"

namespace kestrin {

namespace {

constexpr const char* Letters = "..pBNRQK";

std::string SquareText(int square) {
  return {static_cast<char>('a' + FileOf[square] - 1), static_cast<char>('0' + RankOf[square])};
}

bool ReachesLastRank(const Position& position, Move move) {
  return !IsCastling(move) && (position.board[MoveFrom(move)] & 7) == Pawn && RankOf[MoveTo(move)] % 7 == 1;
}

} // namespace

std::string SanText(const Position& before, Move move, int promotionType) {
  const int side = before.sideToMove;
  std::string text;
  if (IsCastling(move)) {
    text = MoveFrom(move) == CastleWhiteShort || MoveFrom(move) == CastleBlackShort ? "O-O" : "O-O-O";
  } else {
    const int from = MoveFrom(move), to = MoveTo(move), type = before.board[from] & 7;
    const bool capture = before.board[to] != Empty || (type == Pawn && FileOf[from] != FileOf[to]);
    if (type == Pawn) {
      if (capture) text += static_cast<char>('a' + FileOf[from] - 1);
    } else {
      text += Letters[type];
      // Another man of the same kind that can go there too: the file tells them apart,
      // else the rank, else both.
      bool rival = false, sameFile = false, sameRank = false;
      MoveList list;
      GenerateMoves(side, before, list);
      ForEachMove(list, [&](Move other) {
        const int f = MoveFrom(other);
        if (IsCastling(other) || f == from || MoveTo(other) != to || (before.board[f] & 7) != type) return;
        if (!IsLegalMove(before, other, side)) return;
        rival = true;
        sameFile |= FileOf[f] == FileOf[from];
        sameRank |= RankOf[f] == RankOf[from];
      });
      if (rival && !sameFile) text += static_cast<char>('a' + FileOf[from] - 1);
      else if (rival && !sameRank) text += static_cast<char>('0' + RankOf[from]);
      else if (rival) text += SquareText(from);
    }
    if (capture) text += 'x';
    text += SquareText(to);
    if (ReachesLastRank(before, move)) text += std::string("=") + Letters[promotionType];
  }
  Position after;
  if (!TryMove(before, move, side, after, promotionType)) return text;
  const int opponent = side == White ? Black : White;
  if (IsInCheck(opponent, after)) text += MateStatus(after, opponent) == Checkmated ? "#" : "+";
  return text;
}

std::string SanOfPlayed(const Position& before, const Position& after) {
  const int side = before.sideToMove;
  MoveList list;
  GenerateMoves(side, before, list);
  std::string found;
  ForEachMove(list, [&](Move move) {
    if (!found.empty()) return;
    const bool promotes = ReachesLastRank(before, move);
    for (int type = promotes ? Bishop : Queen; type <= Queen && found.empty(); ++type) {
      Position tried;
      if (TryMove(before, move, side, tried, type) && std::memcmp(tried.board, after.board, sizeof tried.board) == 0)
        found = SanText(before, move, type);
    }
  });
  return found;
}

} // namespace kestrin
