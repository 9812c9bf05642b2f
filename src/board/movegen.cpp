#include "board/movegen.h"

#include <bit>

#include "board/attacks.h"
#include "board/legality.h"
#include "board/occupancy.h"
#include "board/slots.h"
#include "board/tables.h"

namespace kestrin {

namespace {

constexpr int KnightTargets[8] = {8, 12, 19, 21, -8, -12, -19, -21};
constexpr int KingTargets[8] = {1, 9, 10, 11, -1, -9, -10, -11};
constexpr int BishopRays[4] = {9, -9, 11, -11};
constexpr int RookRays[4] = {1, -1, 10, -10};
constexpr int QueenRays[8] = {1, -1, 10, -10, 9, -9, 11, -11};

// Per bit of a square (see Occupancy): the squares a man standing there could take on, men in
// between or not. Most men of a quiescence node have no enemy on any of them, and the capture
// generator then skips them with one test instead of looking at their targets one by one.
struct TargetMasks {
  u64 knight[64];
  u64 king[64];
  u64 pawn[2][64]; // [side - 1]
  u64 bishop[64];
  u64 rook[64];
  u64 queen[64];
};

constexpr TargetMasks MakeTargetMasks() {
  TargetMasks t{};
  auto add = [](u64& mask, int square) {
    if (const int bit = Occupancy.bitOf[square]; bit >= 0) mask |= u64(1) << bit;
  };
  for (int bit = 0; bit < 64; ++bit) {
    const int s = Occupancy.squareOf[bit];
    for (int d : KnightTargets) add(t.knight[bit], s + d);
    for (int d : KingTargets) add(t.king[bit], s + d);
    add(t.pawn[0][bit], s - 9);
    add(t.pawn[0][bit], s - 11);
    add(t.pawn[1][bit], s + 9);
    add(t.pawn[1][bit], s + 11);
    for (int d : BishopRays) t.bishop[bit] |= Occupancy.ray[RayIndex(d)][bit].squares;
    for (int d : RookRays) t.rook[bit] |= Occupancy.ray[RayIndex(d)][bit].squares;
    t.queen[bit] = t.bishop[bit] | t.rook[bit];
  }
  return t;
}

constexpr TargetMasks Targets = MakeTargetMasks();

inline u64 TargetsOf(const u64 (&masks)[64], int square) { return masks[Occupancy.bitOf[square]]; }

// Everything that differs between the White and the Black routines.
template <int Side>
struct Colour {
  static constexpr int Offset = Side == White ? 0 : BlackOffset;
  static constexpr int Forward = Side == White ? -10 : 10;
  static constexpr int PawnCode = Pawn + Offset;
  static constexpr int FirstCapture = Side == White ? -9 : 9;
  static constexpr int SecondCapture = Side == White ? -11 : 11;
  static bool IsEnemy(int code) {
    if constexpr (Side == White) return code > OffBoard;
    else return unsigned(code - 1) < 7u;
  }
  static bool OnSeventh(int from) { return Side == White ? from < 42 : from > 81; }
  static bool OnSecond(int from) { return Side == White ? from >= 82 : from <= 41; }
};

// The counts are kept here and written to the list once: a count stored in the list would be
// read back after every move written, as the compiler cannot tell it from the moves.
struct Store {
  Move* moves;
  u32 quietCount = 0;
  u32 captureCount = 0;
  u64 occupied = 0; // filled in for the capture generator only
  u64 enemy = 0;       // the same: the men of the side not moving
  u64 pawnTargets = 0; // the same: those men and the en-passant square
  explicit Store(MoveList& list) : moves(list.moves) {}
  void Quiet(u32 partial, int to) { moves[QuietBase + ++quietCount] = partial + (u32(to) << 8); }
  void Capture(u32 partial, int to) { moves[++captureCount] = partial + (u32(to) << 8); }
  void EnPassant(u32 partial, int to) { Capture(partial, to); }
  // The list holds every move as it is; only a counter needs to know whose they are.
  void Man(int, bool) {}
  void KingMan() {}
  bool Attacked(const Position& p, int square, int side) const { return IsSquareAttacked(p, square, side) != 0; }
  void Finish(MoveList& list) const {
    list.quietCount = quietCount;
    list.captureCount = captureCount;
  }
};

// Counts the legal moves of a side not in check instead of listing them: most men move freely,
// a pinned man only along its pin, the king only onto unattacked squares, and a promotion
// counts once per piece the pawn can become.
struct Counter {
  const Position& p;
  int side;
  int king;
  Pins pins;
  u64 count = 0;
  int weight = 1;
  int pinLine = 0;
  bool kingMoving = false;
  // Which of the king's steps were attacked, one bit per step (bit step + 11): castling asks
  // again about the square the king passes over.
  u32 stepsAttacked = 0;

  // `pins` of a side not in check.
  Counter(const Position& position, int s, const Pins& found)
      : p(position), side(s), king(KingSquare(position, s)), pins(found) {}
  void Man(int from, bool promotes) {
    weight = promotes ? 4 : 1;
    pinLine = 0;
    for (int i = 0; i < pins.count; ++i)
      if (pins.square[i] == from) pinLine = pins.line[i];
  }
  void KingMan() {
    weight = 1;
    pinLine = 0;
    kingMoving = true;
  }
  void Add(int to) {
    if (kingMoving) {
      const int attacked = IsSquareAttackedByWalk(p, to, side);
      stepsAttacked |= u32(attacked != 0) << (to - king + 11);
      count += attacked == 0;
    } else if (pinLine == 0 || DirectionOf(king, to) == pinLine) count += weight;
  }
  void Quiet(u32, int to) { Add(to); }
  void Capture(u32, int to) { Add(to); }
  // The captured pawn leaves a square beside the mover, which no pin found before can see.
  void EnPassant(u32 partial, int to) { count += IsLegalMove(p, partial + (u32(to) << 8), side); }
  // Castling asks only about an empty square beside its king, which the king's own steps,
  // counted before the castlings, have tested.
  bool Attacked(const Position&, int square, int) const { return (stepsAttacked >> (square - king + 11) & 1) != 0; }
};

template <int Side, bool CapturesOnly>
struct Routines {
  using C = Colour<Side>;

  template <typename Out>
  static void Steps(Out& out, const u8* board, int from, u32 partial, const int (&steps)[8]) {
#pragma GCC unroll 8
    for (int d : steps) {
      int to = from + d, code = board[to];
      if (code == Empty) {
        if constexpr (!CapturesOnly) out.Quiet(partial, to);
      } else if (C::IsEnemy(code)) {
        out.Capture(partial, to);
      }
    }
  }

  template <int N, typename Out>
  static void Slides(Out& out, const u8* board, int from, u32 partial, const int (&rays)[N]) {
#pragma GCC unroll 8
    for (int d : rays) {
      int to = from + d;
      for (; board[to] == Empty; to += d)
        if constexpr (!CapturesOnly) out.Quiet(partial, to);
      if (C::IsEnemy(board[to])) out.Capture(partial, to);
    }
  }

  // Captures only: each ray's first man is found from the occupied squares, in the rays' order.
  template <int... Steps, typename Out>
  static void SlideCaptures(Out& out, const u8* board, int from, u32 partial) {
    auto take = [&](int to) {
      if (C::IsEnemy(board[to])) out.Capture(partial, to);
    };
    (take(FirstOccupied<Steps>(out.occupied, from)), ...);
  }

  // Captures only: whether a man on `from` reaching `masks` has an enemy man on any target.
  static bool MayTake(const Store& out, const u64 (&masks)[64], int from) {
    return (TargetsOf(masks, from) & out.enemy) != 0;
  }

  template <typename Out>
  static void Knight(Out& out, const u8* board, int from, u32 partial) {
    if constexpr (CapturesOnly) {
      if (!MayTake(out, Targets.knight, from)) return;
    }
    Steps(out, board, from, partial, KnightTargets);
  }
  template <typename Out>
  static void Bishop(Out& out, const u8* board, int from, u32 partial) {
    if constexpr (CapturesOnly) {
      if (MayTake(out, Targets.bishop, from)) SlideCaptures<9, -9, 11, -11>(out, board, from, partial);
    } else {
      Slides(out, board, from, partial, BishopRays);
    }
  }
  template <typename Out>
  static void Rook(Out& out, const u8* board, int from, u32 partial) {
    if constexpr (CapturesOnly) {
      if (MayTake(out, Targets.rook, from)) SlideCaptures<1, -1, 10, -10>(out, board, from, partial);
    } else {
      Slides(out, board, from, partial, RookRays);
    }
  }
  template <typename Out>
  static void Queen(Out& out, const u8* board, int from, u32 partial) {
    if constexpr (CapturesOnly) {
      if (MayTake(out, Targets.queen, from)) SlideCaptures<1, -1, 10, -10, 9, -9, 11, -11>(out, board, from, partial);
    } else {
      Slides(out, board, from, partial, QueenRays);
    }
  }

  template <typename Out>
  static void PawnCaptures(Out& out, const Position& p, int from, u32 partial) {
    int to = from + C::FirstCapture;
    if (C::IsEnemy(p.board[to])) out.Capture(partial, to);
    else if (to == p.epSquare) out.EnPassant(partial, to);
    to = from + C::SecondCapture;
    if (C::IsEnemy(p.board[to])) out.Capture(partial, to);
    else if (to == p.epSquare) out.EnPassant(partial, to);
  }

  template <typename Out>
  static void PawnMoves(Out& out, const Position& p, int from, u32 partial) {
    const u8* board = p.board;
    if (board[from + C::Forward] == Empty) {
      if (C::OnSeventh(from)) {
        out.Capture(partial, from + C::Forward);
      } else {
        out.Quiet(partial, from + C::Forward);
        if (C::OnSecond(from) && board[from + 2 * C::Forward] == Empty) out.Quiet(partial, from + 2 * C::Forward);
      }
    }
    PawnCaptures(out, p, from, partial);
  }

  template <typename Out>
  static void ByCode(Out& out, const u8* board, int from, u32 partial) {
    switch (board[from] - C::Offset) {
    case kestrin::Queen: Queen(out, board, from, partial); break;
    case kestrin::Rook: Rook(out, board, from, partial); break;
    case kestrin::Bishop: Bishop(out, board, from, partial); break;
    case kestrin::Knight: Knight(out, board, from, partial); break;
    default: break;
    }
  }

  template <typename Out>
  static void Pieces(Out& out, const Position& p, const u8* list) {
    const u8* board = p.board;
    // The slots are walked in order as before, but only the filled ones: an empty slot costs no
    // test, and each kind of piece has its own loop instead of a test of the slot number.
    const unsigned filled = FilledSlots(list);
    for (unsigned bits = filled & 0xFFu; bits != 0; bits &= bits - 1) {
      const int slot = std::countr_zero(bits);
      const int from = list[slot];
      const u32 partial = u32(slot) << 16 | u32(from);
      const bool pawn = board[from] == C::PawnCode;
      out.Man(from, pawn && C::OnSeventh(from));
      if (pawn) {
        if constexpr (CapturesOnly) {
          if (TargetsOf(Targets.pawn[Side - 1], from) & out.pawnTargets) PawnCaptures(out, p, from, partial);
          if (C::OnSeventh(from) && board[from + C::Forward] == Empty) out.Capture(partial, from + C::Forward);
        } else {
          PawnMoves(out, p, from, partial);
        }
      } else {
        ByCode(out, board, from, partial);
      }
    }
    auto each = [&](unsigned bits, auto&& generate) {
      for (; bits != 0; bits &= bits - 1) {
        const int slot = std::countr_zero(bits);
        const int from = list[slot];
        out.Man(from, false);
        generate(from, u32(slot) << 16 | u32(from));
      }
    };
    each(filled & 0x300u, [&](int from, u32 partial) { Knight(out, board, from, partial); });
    each(filled & 0xC00u, [&](int from, u32 partial) { Bishop(out, board, from, partial); });
    each(filled & 0x3000u, [&](int from, u32 partial) { Rook(out, board, from, partial); });
    each(filled & 0x4000u, [&](int from, u32 partial) { Queen(out, board, from, partial); });
  }

  template <typename Out>
  static void KingMoves(Out& out, const Position& p, const u8* list) {
    int from = list[KingSlot];
    out.KingMan();
    if constexpr (CapturesOnly) {
      if (!MayTake(out, Targets.king, from)) return;
    }
    Steps(out, p.board, from, u32(KingSlot) << 16 | u32(from), KingTargets);
  }
};

template <int Side, typename Out>
void Castlings(Out& out, const Position& p) {
  const u8* b = p.board;
  constexpr int o = Side == White ? 0 : BlackOffset;
  constexpr int shift = Side == White ? 0 : -70; // rank 8 squares are 70 below rank 1 squares
  const int state = p.castleState[Side - 1];
  const int king = E1 + shift;
  if (b[king] != King + o) return;
  if (state <= CastleKingSideOnly && b[F1 + shift] == Empty && b[G1 + shift] == Empty && b[H1 + shift] == Rook + o &&
      !out.Attacked(p, F1 + shift, Side))
    out.Quiet(u32(KingSlot) << 16 | (Side == White ? CastleWhiteShort : CastleBlackShort), G1 + shift);
  if ((state == CastleBoth || state == CastleQueenSideOnly) && b[D1 + shift] == Empty && b[C1 + shift] == Empty &&
      b[B1 + shift] == Empty && b[A1 + shift] == Rook + o && !out.Attacked(p, D1 + shift, Side))
    out.Quiet(u32(KingSlot) << 16 | (Side == White ? CastleWhiteLong : CastleBlackLong), C1 + shift);
}

template <int Side>
void FullGenerator(const Position& p, MoveList& list) {
  using R = Routines<Side, false>;
  list.spare = list.extensionFraction = 0;
  Store out(list);
  const u8* pieces = PieceListOf(p, Side);
  const u32 inCheck = list.inCheck;
  if (inCheck == 0) {
    Castlings<Side>(out, p);
  } else {
    R::KingMoves(out, p, pieces);
    if (inCheck == 2) return out.Finish(list);
  }
  R::Pieces(out, p, pieces);
  if (inCheck == 0) R::KingMoves(out, p, pieces);
  out.Finish(list);
}

template <int Side>
void CaptureGenerator(const Position& p, MoveList& list) {
  using R = Routines<Side, true>;
  list.spare = list.extensionFraction = 0;
  Store out(list);
  OccupiedAndEnemySquares<Side>(p.board, out.occupied, out.enemy);
  out.pawnTargets = out.enemy;
  if (const int ep = Occupancy.bitOf[p.epSquare & 127]; ep >= 0) out.pawnTargets |= u64(1) << ep;
  const u8* pieces = PieceListOf(p, Side);
  R::Pieces(out, p, pieces);
  R::KingMoves(out, p, pieces);
  out.Finish(list);
}

template <int Side>
u64 CountFree(const Position& p, const Pins& pins) {
  Counter out(p, Side, pins);
  const u8* pieces = PieceListOf(p, Side);
  Routines<Side, false>::Pieces(out, p, pieces);
  Routines<Side, false>::KingMoves(out, p, pieces);
  Castlings<Side>(out, p);
  return out.count;
}

} // namespace

u64 LegalMoveCount(const Position& position) {
  const int side = position.sideToMove;
  Pins pins;
  if (!FindPinsUnlessChecked(position, side, pins))
    return side == White ? CountFree<White>(position, pins) : CountFree<Black>(position, pins);
  const CheckState check = FindCheckState(position, side);
  MoveList list;
  list.inCheck = check.checkers > 1 ? 2 : 1;
  GenerateMovesGivenCheck(side, position, list);
  u64 count = 0;
  ForEachMove(list, [&](Move m) {
    if (IsLegalEvasion(position, m, side, check)) count += IsPromotion(position, m) ? 4 : 1;
  });
  return count;
}

void GenerateMoves(int side, const Position& position, MoveList& list) {
  list.inCheck = static_cast<u32>(IsInCheck(side, position));
  GenerateMovesGivenCheck(side, position, list);
}

void GenerateMovesGivenCheck(int side, const Position& position, MoveList& list) {
  if (side == White) FullGenerator<White>(position, list);
  else FullGenerator<Black>(position, list);
}

void GenerateCaptures(int side, const Position& position, MoveList& list) {
  if (side == White) CaptureGenerator<White>(position, list);
  else CaptureGenerator<Black>(position, list);
}

} // namespace kestrin
