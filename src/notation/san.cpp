#include "notation/san.h"

#include <cstring>

#include "board/attacks.h"
#include "board/gameend.h"
#include "board/legality.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/tables.h"
#include "notation/moveentry.h"
#include "notation/movetext.h"

namespace kestrin {

namespace {

constexpr const char* PieceLetters = "..pBNRQK";

std::string SquareText(int square) {
  return {static_cast<char>('a' + FileOf[square] - 1), static_cast<char>('0' + RankOf[square])};
}

} // namespace

std::string StandardMoveText(const Position& before, Move move, int promotionType) {
  std::string text;
  const int from = MoveFrom(move), to = MoveTo(move);
  if (IsCastling(move)) {
    text = from == CastleWhiteShort || from == CastleBlackShort ? "O-O" : "O-O-O";
  } else {
    const int type = before.board[from] & 7;
    const bool capture = before.board[to] != Empty || IsEnPassantCapture(before, move);
    if (type == Pawn) {
      if (capture) text += static_cast<char>('a' + FileOf[from] - 1);
    } else {
      text += PieceLetters[type];
      // Another man of the same kind that can go there legally: name the file, else the
      // rank, else both.
      bool rival = false, sameFile = false, sameRank = false;
      MoveList list;
      GenerateMoves(before.sideToMove, before, list);
      ForEachMove(list, [&](Move other) {
        const int at = MoveFrom(other);
        if (IsCastling(other) || at == from || MoveTo(other) != to || (before.board[at] & 7) != type) return;
        if (!IsLegalMove(before, other, before.sideToMove)) return;
        rival = true;
        sameFile |= FileOf[at] == FileOf[from];
        sameRank |= RankOf[at] == RankOf[from];
      });
      if (rival && !sameFile) text += static_cast<char>('a' + FileOf[from] - 1);
      else if (rival && !sameRank) text += static_cast<char>('0' + RankOf[from]);
      else if (rival) text += SquareText(from);
    }
    if (capture) text += 'x';
    text += SquareText(to);
    if (IsPromotion(before, move)) {
      text += '=';
      text += PieceLetters[promotionType >= Bishop && promotionType <= Queen ? promotionType : Queen];
    }
  }
  Position after;
  if (TryMove(before, move, before.sideToMove, after, promotionType)) {
    const int opponent = Opponent(before.sideToMove);
    if (IsInCheck(opponent, after)) text += MateStatus(after, opponent) == Checkmated ? '#' : '+';
  }
  return text;
}

std::string SanOfPlayed(const Position& before, const Position& after) {
  MoveList list;
  GenerateMoves(before.sideToMove, before, list);
  std::string found;
  ForEachMove(list, [&](Move move) {
    if (!found.empty()) return;
    for (int type = IsPromotion(before, move) ? Bishop : Queen; type <= Queen && found.empty(); ++type) {
      Position tried;
      if (TryMove(before, move, before.sideToMove, tried, type) &&
          std::memcmp(tried.board, after.board, sizeof tried.board) == 0)
        found = StandardMoveText(before, move, type);
    }
  });
  return found;
}

bool StandardTextOfRecorded(std::string_view text, Position& position, std::string& standard) {
  // The reader leaves its promotion choice behind; the player's own stays as it was.
  const int choice = PromotionChoice.load();
  Position after = position;
  const int played = PlayMoveText(text, after, 0, nullptr);
  PromotionChoice = choice;
  if (!played) return false;
  // The legal move that gives the same board, with the piece the pawn became.
  MoveList list;
  GenerateMoves(position.sideToMove, position, list);
  bool found = false;
  ForEachMove(list, [&](Move move) {
    if (found) return;
    const int promotion = IsPromotion(position, move) ? after.board[MoveTo(move)] & 7 : Queen;
    Position candidate;
    if (!TryMove(position, move, position.sideToMove, candidate, promotion)) return;
    if (std::memcmp(candidate.board, after.board, sizeof after.board) != 0) return;
    standard = StandardMoveText(position, move, promotion);
    found = true;
  });
  if (found) position = after;
  return found;
}

} // namespace kestrin
