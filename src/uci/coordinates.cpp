#include "uci/coordinates.h"

#include <cstring>

#include "board/legality.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/tables.h"

namespace kestrin {

namespace {

constexpr const char* PromotionLetters = "..pbnrqk"; // indexed by piece type

int SquareFromText(char file, char rank) {
  if (file < 'a' || file > 'h' || rank < '1' || rank > '8') return 0;
  return SquareAt(file - 'a', rank - '0');
}

void AppendSquare(std::string& text, int square) {
  text += static_cast<char>('a' + FileOf[square] - 1);
  text += static_cast<char>('0' + RankOf[square]);
}

// The king's squares of a castling move, the form UCI gives it in.
int KingFrom(Move move) {
  switch (MoveFrom(move)) {
  case CastleWhiteShort:
  case CastleWhiteLong: return E1;
  case CastleBlackShort:
  case CastleBlackLong: return E8;
  default: return MoveFrom(move);
  }
}

// Calls f(move) for each legal move of the side to move until it returns true.
template <typename F>
bool AnyLegalMove(const Position& position, F&& f) {
  if (KingSquare(position, White) == NoSquare || KingSquare(position, Black) == NoSquare) return false;
  MoveList list;
  GenerateMoves(position.sideToMove, position, list);
  bool done = false;
  ForEachMove(list, [&](Move m) {
    if (!done && IsLegalMove(position, m, position.sideToMove)) done = f(m);
  });
  return done;
}

} // namespace

bool ReadCoordinateMove(std::string_view text, CoordinateMove& move) {
  if (text.size() != 4 && text.size() != 5) return false;
  move.from = SquareFromText(text[0], text[1]);
  move.to = SquareFromText(text[2], text[3]);
  move.promotion = 0;
  if (text.size() == 5) {
    switch (text[4]) {
    case 'q': move.promotion = Queen; break;
    case 'r': move.promotion = Rook; break;
    case 'b': move.promotion = Bishop; break;
    case 'n': move.promotion = Knight; break;
    default: return false;
    }
  }
  return move.from != 0 && move.to != 0;
}

bool FindLegalMove(const Position& position, const CoordinateMove& wanted, Move& found) {
  return AnyLegalMove(position, [&](Move m) {
    if (KingFrom(m) != wanted.from || MoveTo(m) != wanted.to) return false;
    if (IsPromotion(position, m) != (wanted.promotion != 0)) return false;
    found = m;
    return true;
  });
}

std::string CoordinateText(const Position& before, Move move, int promotionType) {
  std::string text;
  AppendSquare(text, KingFrom(move));
  AppendSquare(text, MoveTo(move));
  if (IsPromotion(before, move)) text += PromotionLetters[promotionType & 7];
  return text;
}

bool MoveBetween(const Position& before, const Position& after, Move& found) {
  return AnyLegalMove(before, [&](Move m) {
    Position next;
    if (!TryMove(before, m, before.sideToMove, next, Queen) ||
        std::memcmp(next.board, after.board, sizeof next.board) != 0)
      return false;
    found = m;
    return true;
  });
}

std::string LineText(const Position& root, const u32* entries, int count) {
  std::string text;
  Position p = root;
  for (int i = 0; i < count; ++i) {
    const u16 wanted = static_cast<u16>(entries[i] & 0xFFFF);
    Move move = 0;
    const bool legal = AnyLegalMove(p, [&](Move m) {
      if (LowMove(m) != wanted) return false;
      move = m;
      return true;
    });
    if (!legal) break;
    if (!text.empty()) text += ' ';
    text += CoordinateText(p, move);
    Position next;
    TryMove(p, move, p.sideToMove, next, Queen);
    p = next;
  }
  return text;
}

} // namespace kestrin
