// Board tables built once at start-up and read-only afterwards.
#pragma once

#include "board/types.h"

namespace kestrin {

// A table indexed by a signed square difference in -128..127.
template <typename T>
struct StepTable {
  T entries[256];
  constexpr T operator[](int step) const { return entries[step + 128]; }
  constexpr T& operator[](int step) { return entries[step + 128]; }
};

extern const i32 PieceValue[16];
extern u8 RankOf[128]; // 1..8, 0 off the board
extern u8 FileOf[128]; // 1..8 for a..h, 0 off the board

// [from * 128 + to]: the step leading from `from` toward `to` on a common line, else 0. Nearly
// every caller looks from its king, so one row of the table serves a whole node.
extern signed char DirectionTable[128 * 128];
inline int DirectionOf(int from, int to) { return DirectionTable[from * 128 + to]; }

extern StepTable<u32> KnightStep;
extern StepTable<u8> OrthogonalStep;
extern StepTable<u8> DiagonalStep;

// [code][square]; incremental updates use the low 16 bits.
extern i32 PieceSquareTable[16][128];

// Pawn placement values of the evaluation by [side - 1][square]: index 0 is White's table,
// index 1 Black's (White's mirrored top to bottom and negated).
extern i16 PawnTableKingside[2][128];
extern i16 PawnTableQueenside[2][128];
extern i16 PawnAdvance[2][128];

void InitBoardTables();

} // namespace kestrin
