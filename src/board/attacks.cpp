#include "board/attacks.h"

#include "board/occupancy.h"
#include "board/tables.h"

namespace kestrin {

namespace {

constexpr int KnightSteps[8] = {-21, -19, -12, -8, 8, 12, 19, 21};
constexpr int KingSteps[8] = {-11, -10, -9, -1, 1, 9, 10, 11};

// First non-empty square from `square` along `step`.
inline int FirstMan(const u8* board, int square, int step) {
  do square += step;
  while (board[square] == Empty);
  return square;
}

// Is `code` a slider of colour `offset` (0 White, 8 Black) that moves along `step`?
inline bool SliderAlong(int code, int offset, int step) {
  int type = code - offset;
  if (type == Queen) return true;
  return DiagonalStep[step] ? type == Bishop : type == Rook;
}

// Visits the men of colour Offset (0 White, 8 Black) that attack `square`, with the square
// `vacated` taken as empty (0, a square off the board, for none). The sliders' lines are
// followed square by square (`Walk`) or looked up in the occupied squares.
// `visit(from)` returns true to stop; the result is whether a visit stopped the scan.
template <int Offset, bool WithVacated, bool Walk, typename Visit>
bool ScanAttackers(const u8* board, int square, int vacated, Visit&& visit) {
  constexpr int knight = Knight + Offset, pawn = Pawn + Offset, bishop = Bishop + Offset, rook = Rook + Offset,
                queen = Queen + Offset, king = King + Offset;
#pragma GCC unroll 8
  for (int d : KnightSteps)
    if (board[square + d] == knight && visit(square + d)) return true;
  constexpr int pawnA = Offset == 0 ? 9 : -11, pawnB = Offset == 0 ? 11 : -9;
  if (board[square + pawnA] == pawn && visit(square + pawnA)) return true;
  if (board[square + pawnB] == pawn && visit(square + pawnB)) return true;
  // Eight rays: the first man along each comes from the occupied squares. A ray that meets none
  // gives its last square, empty or the vacated one, or on the edge the square itself, which
  // is never its own attacker.
  u64 occupied = 0;
  if constexpr (!Walk) {
    occupied = OccupiedSquares(board);
    if constexpr (WithVacated) {
      if (const int bit = Occupancy.bitOf[vacated]; bit >= 0) occupied &= ~(u64(1) << bit);
    }
  }
  auto slider = [&]<int Step>(int a, int b) {
    int s;
    if constexpr (Walk) {
      s = square + Step;
      while (board[s] == Empty) s += Step;
    } else {
      s = FirstOccupied<Step>(occupied, square);
    }
    const int code = board[s];
    return (code == a || code == b) && s != square && visit(s);
  };
  if (slider.template operator()<-11>(bishop, queen) || slider.template operator()<-9>(bishop, queen) ||
      slider.template operator()<9>(bishop, queen) || slider.template operator()<11>(bishop, queen))
    return true;
  if (slider.template operator()<-10>(rook, queen) || slider.template operator()<-1>(rook, queen) ||
      slider.template operator()<1>(rook, queen) || slider.template operator()<10>(rook, queen))
    return true;
#pragma GCC unroll 8
  for (int d : KingSteps)
    if (board[square + d] == king && visit(square + d)) return true;
  return false;
}

template <int Offset, bool Walk> // the attackers' colour: 0 White, 8 Black
int AttackedBy(const u8* board, int square) {
  return ScanAttackers<Offset, false, Walk>(board, square, 0, [](int) { return true; });
}

} // namespace

int IsSquareAttacked(const Position& p, int square, int side) {
  return side == White ? AttackedBy<BlackOffset, false>(p.board, square) : AttackedBy<0, false>(p.board, square);
}

int IsSquareAttackedByWalk(const Position& p, int square, int side) {
  return side == White ? AttackedBy<BlackOffset, true>(p.board, square) : AttackedBy<0, true>(p.board, square);
}

int IsSquareAttackedPast(const Position& p, int square, int side, int vacated) {
  auto any = [](int) { return true; };
  return side == White ? ScanAttackers<BlackOffset, true, false>(p.board, square, vacated, any)
                       : ScanAttackers<0, true, false>(p.board, square, vacated, any);
}

int FindCheckers(const Position& p, int side, int& firstChecker) {
  int count = 0;
  firstChecker = 0;
  auto record = [&](int from) {
    if (count++ == 0) firstChecker = from;
    return false;
  };
  const int king = KingSquare(p, side);
  if (side == White) ScanAttackers<BlackOffset, false, false>(p.board, king, 0, record);
  else ScanAttackers<0, false, false>(p.board, king, 0, record);
  return count;
}

int IsInCheck(int side, const Position& p) { return IsSquareAttacked(p, KingSquare(p, side), side); }

int ExposesOwnKing(int side, const Position& p, Move move) {
  int from = MoveFrom(move), to = MoveTo(move);
  int king = KingSquare(p, side);
  int d = DirectionOf(king, from);
  if (d == 0 || d == DirectionOf(king, to)) return 0;
  // Walk from the king as if the from-square were already empty.
  int s = king + d;
  while (s == from || p.board[s] == Empty) s += d;
  return SliderAlong(p.board[s], side == White ? BlackOffset : 0, d) ? 1 : 0;
}

Pins FindPins(const Position& p, int side) {
  Pins pins;
  pins.count = 0;
  const int king = KingSquare(p, side);
  const int enemy = side == White ? BlackOffset : 0;
#pragma GCC unroll 8
  for (int d : KingSteps) {
    const int s = FirstMan(p.board, king, d);
    const int code = p.board[s];
    // Its own man: a code of its colour on the board (the border reads 8, which is no man).
    if (code == OffBoard || (code < BlackOffset) != (side == White)) continue;
    if (SliderAlong(p.board[FirstMan(p.board, s, d)], enemy, d)) {
      pins.square[pins.count] = static_cast<u8>(s);
      pins.line[pins.count++] = static_cast<signed char>(d);
    }
  }
  return pins;
}

bool FindPinsUnlessChecked(const Position& p, int side, Pins& pins) {
  pins.count = 0;
  const u8* board = p.board;
  const int king = KingSquare(p, side);
  const int enemy = side == White ? BlackOffset : 0;
  const int knight = Knight + enemy, pawn = Pawn + enemy;
#pragma GCC unroll 8
  for (int d : KnightSteps)
    if (board[king + d] == knight) return true;
  if (side == White ? board[king - 9] == pawn || board[king - 11] == pawn
                    : board[king + 9] == pawn || board[king + 11] == pawn)
    return true;
#pragma GCC unroll 8
  for (int d : KingSteps) {
    const int s = FirstMan(board, king, d);
    const int code = board[s];
    if (code == OffBoard) continue;
    if ((code < BlackOffset) != (side == White)) { // the opponent's man: a checker when it slides this way
      if (SliderAlong(code, enemy, d)) return true;
      continue;
    }
    if (SliderAlong(board[FirstMan(board, s, d)], enemy, d)) {
      pins.square[pins.count] = static_cast<u8>(s);
      pins.line[pins.count++] = static_cast<signed char>(d);
    }
  }
  return false;
}

int CountChecksGiven(int side, const Position& p, Move move, u32 moveClass) {
  const u8* board = p.board;
  int offset = side == White ? 0 : BlackOffset;
  int king = KingSquare(p, Opponent(side));
  int from = MoveFrom(move);
  int t = MoveTo(move);
  if (from >= FirstCastleCode) {
    static const int rookSquare[4] = {F1, D1, F8, D8};
    t = rookSquare[from - CastleWhiteShort];
  }
  int d = DirectionOf(king, t);
  int count = 0;
  int capturedLine = 0;
  switch (board[t] - offset) {
  case Pawn:
    if (side == White ? (t == king + 9 || t == king + 11) : (t == king - 9 || t == king - 11)) count = 1;
    if (moveClass == ClassEnPassant) {
      int captured = side == White ? t + 10 : t - 10;
      capturedLine = DirectionOf(king, captured);
      if (capturedLine != 0 && capturedLine != d && SliderAlong(board[FirstMan(board, king, capturedLine)], offset,
                                                                 capturedLine))
        ++count;
    }
    break;
  case Bishop:
    if (DiagonalStep[d] && SliderAlong(board[FirstMan(board, king, d)], offset, d)) count = 1;
    break;
  case Knight:
    if (KnightStep[t - king]) count = 1;
    break;
  case Rook:
    if (OrthogonalStep[d] && SliderAlong(board[FirstMan(board, king, d)], offset, d)) count = 1;
    break;
  case Queen:
    if (d != 0 && board[FirstMan(board, king, d)] == Queen + offset) count = 1;
    break;
  default:
    break;
  }
  if (from < FirstCastleCode) {
    int d2 = DirectionOf(king, from);
    if (d2 != 0 && d2 != d && d2 != capturedLine && SliderAlong(board[FirstMan(board, king, d2)], offset, d2))
      ++count;
  }
  return count > 2 ? 2 : count;
}

} // namespace kestrin
