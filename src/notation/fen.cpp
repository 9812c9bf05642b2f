#include "notation/fen.h"

#include <cstdio>
#include <cstring>

#include "board/attacks.h"
#include "board/tables.h"
#include "notation/history.h"
#include "notation/newgame.h"
#include "notation/transcript.h"
#include "platform/frontend.h"

namespace kestrin {

namespace {

constexpr const char* FenLetters = "..PBNRQK..pbnrqk.";

int CodeOfLetter(char c) {
  for (int code = 2; code < 16; ++code)
    if (FenLetters[code] == c && c != '.') return code;
  return 0;
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Splits the text after the board into blank-separated fields.
struct Fields {
  const char* text;
  std::size_t length, at;
  bool Next(const char*& begin, std::size_t& size) {
    while (at < length && IsBlank(text[at])) ++at;
    if (at >= length) return false;
    begin = text + at;
    while (at < length && !IsBlank(text[at])) ++at;
    size = static_cast<std::size_t>(text + at - begin);
    return true;
  }
};

// Whether the side to move has a pawn beside the pawn that passed over `ep` on its double
// step: the same rule MakeMove uses when it records an en-passant square.
bool EnPassantPossible(const Position& p, int ep) {
  const bool whiteToMove = p.sideToMove == White;
  if (RankOf[ep] != (whiteToMove ? 6 : 3)) return false;
  const int pawnSquare = whiteToMove ? ep + 10 : ep - 10;
  const int origin = whiteToMove ? ep - 10 : ep + 10;
  const int enemyPawn = whiteToMove ? BlackPawn : WhitePawn, ownPawn = whiteToMove ? WhitePawn : BlackPawn;
  if (p.board[ep] != Empty || p.board[origin] != Empty || p.board[pawnSquare] != enemyPawn) return false;
  return p.board[pawnSquare - 1] == ownPawn || p.board[pawnSquare + 1] == ownPawn;
}

void ReadEnPassant(Position& p, const char* field, std::size_t size) {
  if (size != 2 || field[0] < 'a' || field[0] > 'h' || field[1] < '1' || field[1] > '8') return;
  const int ep = SquareAt(field[0] - 'a', field[1] - '0');
  if (EnPassantPossible(p, ep)) p.epSquare = static_cast<u8>(ep);
}

// The castling state of `side` without the rights whose king or rook is not on its square:
// such a right can never be used, and other programs refuse a FEN that claims it.
int UsableCastleState(const Position& p, int side) {
  int state = p.castleState[side - 1];
  if (state >= CastleNone) return state;
  const int shift = side == White ? 0 : -70, own = side == White ? 0 : BlackOffset;
  if (p.board[E1 + shift] != King + own) return CastleNone;
  if (p.board[H1 + shift] != Rook + own) state |= 2; // the king side is gone
  if (p.board[A1 + shift] != Rook + own) state |= 1; // the queen side is gone
  return state;
}

void Append(char* buffer, int& n, const char* text) {
  while (*text) buffer[n++] = *text++;
}

} // namespace

int PositionToFen(char* buffer, const Position& p) {
  int n = 0;
  for (int row = 0; row < 8; ++row) {
    int empty = 0;
    for (int file = 0; file < 8; ++file) {
      int code = p.board[SquareOf(file, row)];
      if (code == Empty) {
        ++empty;
        continue;
      }
      if (empty) buffer[n++] = static_cast<char>('0' + empty);
      empty = 0;
      buffer[n++] = (code >= 2 && code < 16) ? FenLetters[code] : '?';
    }
    if (empty) buffer[n++] = static_cast<char>('0' + empty);
    if (row < 7) buffer[n++] = '/';
  }
  buffer[n++] = ' ';
  buffer[n++] = p.sideToMove == White ? 'w' : 'b';
  buffer[n++] = ' ';
  const int w = UsableCastleState(p, White), b = UsableCastleState(p, Black);
  if (w >= CastleNone && b >= CastleNone) {
    buffer[n++] = '-';
  } else {
    static const char* const whiteParts[4] = {"KQ", "K", "Q", ""};
    static const char* const blackParts[4] = {"kq", "k", "q", ""};
    Append(buffer, n, whiteParts[w > 3 ? 3 : w]);
    Append(buffer, n, blackParts[b > 3 ? 3 : b]);
  }
  buffer[n++] = ' ';
  const int ep = p.epSquare;
  if (ep >= A8 && ep <= H1 && FileOf[ep] != 0 && EnPassantPossible(p, ep)) {
    buffer[n++] = static_cast<char>('a' + FileOf[ep] - 1);
    buffer[n++] = static_cast<char>('0' + RankOf[ep]);
  } else {
    buffer[n++] = '-';
  }
  // The clocks count from the position the game was set up in: the plies since the last
  // capture or pawn move, and the move number (ply 1 and 2 are move 1).
  const int quiet = p.plyCount > p.irreversiblePly ? p.plyCount - p.irreversiblePly : 0;
  n += std::snprintf(buffer + n, FenBufferSize - static_cast<std::size_t>(n), " %d %d", quiet, (p.plyCount + 1) / 2);
  return n;
}

bool ReadFen(const char* text, std::size_t length, Position& out) {
  Position p;
  ClearPosition(p);
  std::size_t i = 0;
  int s = 0;
  for (; i < length && s < 64; ++i) {
    char c = text[i];
    if (c >= '1' && c <= '8') {
      s += c - '0';
    } else if (int code = CodeOfLetter(c)) {
      // A man the position cannot hold (a seventeenth, a ninth pawn, a second king) makes
      // the text no position of ours; leaving it out would set up another game.
      if (!PlacePiece(p, s % 8, s / 8, code)) return false;
      ++s;
    } else if (c == '/' && s % 8 != 0) {
      s = (s / 8 + 1) * 8;
    }
  }
  if (s < 64) return false;

  // The fields after the board: side, castling, en passant; the clocks are not used.
  Fields fields{text, length, i};
  const char* field;
  std::size_t size;
  // Stray non-letters before the side field (a trailing "/", say) are skipped.
  bool found;
  while ((found = fields.Next(field, size)) && !IsLetter(field[0])) {
  }
  if (!found || size != 1 || (field[0] != 'w' && field[0] != 'b')) return false;
  p.sideToMove = field[0] == 'w' ? White : Black;
  if (p.sideToMove == Black) p.plyCount = 2;
  p.irreversiblePly = p.plyCount; // the fifty-move count starts with the set-up
  p.castleState[0] = p.castleState[1] = CastleNone;
  if (fields.Next(field, size)) {
    for (std::size_t k = 0; k < size && field[k] != '-'; ++k) {
      switch (field[k]) {
      case 'K': p.castleState[0] &= 1; break;
      case 'Q': p.castleState[0] &= 2; break;
      case 'k': p.castleState[1] &= 1; break;
      case 'q': p.castleState[1] &= 2; break;
      default: break;
      }
    }
    if (fields.Next(field, size)) ReadEnPassant(p, field, size);
  }
  if (p.whitePieceList[KingSlot] == NoSquare || p.blackPieceList[KingSlot] == NoSquare) return false;
  for (int side : {White, Black}) p.castleState[side - 1] = static_cast<u8>(UsableCastleState(p, side));
  out = p;
  return true;
}

int PositionFromFen(const char* text, std::size_t length) {
  Position p;
  // A side to move that could take the other king has no game to play: such a position
  // cannot arise from a game and would have the engine capture a king.
  if (!text || !ReadFen(text, length, p) || IsInCheck(Opponent(p.sideToMove), p)) {
    SetInfoText("Not a valid Position");
    return 0;
  }
  ResetGameRecord(&p);
  CurrentFrontend().RefreshBoard();
  RebuildTranscript(gamePosition.plyCount - 2);
  SetInfoText("Position Pasted.");
  return 1;
}

} // namespace kestrin
