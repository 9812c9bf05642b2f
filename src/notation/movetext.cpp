#include "notation/movetext.h"

#include <cstring>

#include "board/tables.h"
#include "notation/moveentry.h"

namespace kestrin {

namespace {

constexpr const char* PieceLetters = "..pBNRQK";

bool IsCastlingMark(char c) { return c == 'o' || c == 'O' || c == '0'; }
bool IsFileLetter(char c) { return c >= 'a' && c <= 'h'; }
bool IsRankDigit(char c) { return c >= '1' && c <= '8'; }

void WriteSquare(char*& out, int square) {
  *out++ = static_cast<char>('a' + FileOf[square] - 1);
  *out++ = static_cast<char>('0' + RankOf[square]);
}

} // namespace

void FormatMoveText(char* slot, const Position& before, Move move) {
  char text[MoveTextSlotSize] = {};
  char* out = text;
  const int from = MoveFrom(move), to = MoveTo(move);
  if (from >= FirstCastleCode) {
    std::memcpy(text, from == CastleWhiteShort || from == CastleBlackShort ? "O-O   " : "O-O-O ", 6);
  } else {
    const int type = before.board[from] & 7;
    if (type != Pawn) *out++ = PieceLetters[type];
    WriteSquare(out, from);
    *out++ = before.board[to] != Empty ? 'x' : '-';
    WriteSquare(out, to);
    if (type == Pawn && (RankOf[to] == 8 || RankOf[to] == 1)) {
      int choice = PromotionChoice.load();
      *out++ = '=';
      *out++ = PieceLetters[choice >= Bishop && choice <= Queen ? choice : Queen];
    }
    while (out < text + 6) *out++ = ' ';
  }
  std::memcpy(slot, text, MoveTextSlotSize);
}

int PieceFromLetter(char letter, bool lenient) {
  switch (letter) {
  case 'p': return Pawn;
  case 'K': return King;
  case 'N': return Knight;
  case 'B': return Bishop;
  case 'R': return Rook;
  case 'Q': return Queen;
  case 'n': return lenient ? Knight : 0;
  case 'b': return lenient ? Bishop : 0;
  case 'r': return lenient ? Rook : 0;
  case 'q': return lenient ? Queen : 0;
  default: return 0;
  }
}

ParsedMove ParseMoveText(std::string_view text, const Position& position) {
  ParsedMove parsed{-1, -1, -1, -1, Pawn};
  std::size_t i = 0;
  auto at = [&](std::size_t k) { return k < text.size() ? text[k] : '\0'; };
  auto skipMark = [&](char a, char b) {
    if (at(i) == a || at(i) == b) ++i;
  };
  const int side = position.sideToMove == Black ? Black : White;

  if (IsCastlingMark(at(0)) && at(1) == '-' && IsCastlingMark(at(2))) {
    int king = KingSquare(position, side);
    parsed.piece = side == White ? WhiteKing : BlackKing;
    if (RankOf[king & 127] == 0) return parsed; // no king to castle with
    parsed.fromFile = FileOf[king] - 1;
    parsed.fromRow = 8 - RankOf[king];
    parsed.toRow = parsed.fromRow;
    parsed.toFile = parsed.fromFile + (at(3) == '-' && IsCastlingMark(at(4)) ? -2 : 2);
    return parsed;
  }

  PromotionChoice = Queen;
  if (int piece = PieceFromLetter(at(0), false)) {
    parsed.piece = piece;
    ++i;
  }
  if (side == Black) parsed.piece += BlackOffset;
  skipMark('x', '-');
  if (IsFileLetter(at(i))) parsed.toFile = at(i++) - 'a';
  skipMark('x', '-');
  if (IsRankDigit(at(i))) parsed.toRow = '8' - at(i++);
  skipMark('x', '-');
  if (IsFileLetter(at(i))) {
    parsed.fromFile = parsed.toFile;
    parsed.toFile = at(i++) - 'a';
  }
  if (IsRankDigit(at(i))) {
    parsed.fromRow = parsed.toRow;
    parsed.toRow = '8' - at(i++);
  }
  skipMark('=', '=');
  // Only the four pieces a pawn may become count; "=K" leaves the queen in place.
  int promotion = PieceFromLetter(at(i), true);
  if (promotion >= Bishop && promotion <= Queen) PromotionChoice = promotion;
  return parsed;
}

int PlayMoveText(std::string_view text, Position& position, int record, GameHistory* history) {
  ParsedMove parsed = ParseMoveText(text, position);
  if (parsed.toFile == -1 || parsed.toRow == -1) return 0;
  int from = 0, to = 0;
  return EnterHumanMove(position, parsed.fromFile, parsed.fromRow, parsed.toFile, parsed.toRow, position.sideToMove,
                        parsed.piece, record, history, from, to);
}

} // namespace kestrin
