#include "board/tables.h"

#include <cstring>
#include <initializer_list>

namespace kestrin {

const i32 PieceValue[16] = {0, 0, 100, 330, 315, 504, 960, 4000, 0, 0, -100, -330, -315, -504, -960, -4000};
u8 RankOf[128];
u8 FileOf[128];
signed char DirectionTable[128 * 128];
StepTable<u32> KnightStep;
StepTable<u8> OrthogonalStep;
StepTable<u8> DiagonalStep;
i32 PieceSquareTable[16][128];
i16 PawnTableKingside[2][128];
i16 PawnTableQueenside[2][128];
i16 PawnAdvance[2][128];

namespace {

// White placement values, rank 8 first, files a..h.
using SquareValues = short[8][8];

constexpr SquareValues KnightValues = {
    {-22, 0, 0, 0, 0, 0, 0, -22},     {-10, 5, 8, 8, 8, 8, 5, -10},       {0, 5, 19, 24, 24, 19, 5, 0},
    {-10, 2, 15, 16, 16, 15, 2, -10}, {-15, 0, 7, 7, 7, 7, 0, -15},       {-15, 0, 2, 0, 0, 2, 0, -15},
    {-15, 0, 0, 0, 0, 0, 0, -15},     {-22, -14, -8, -8, -8, -8, -14, -22}};
constexpr SquareValues BishopValues = {
    {0, -10, -5, -5, -5, -5, -10, 0}, {-10, 5, 0, 0, 0, 0, 5, -10}, {0, 0, 7, 0, 0, 7, 0, 0},
    {-5, 0, 5, 10, 10, 5, 0, -5},     {-5, 0, 5, 10, 10, 5, 0, -5}, {-5, 0, 5, 0, 0, 5, 0, -5},
    {-10, 5, 0, 0, 0, 0, 5, -10},     {0, -13, -13, -5, -5, -13, -13, 0}};
constexpr SquareValues RookValues = {
    {15, 15, 15, 15, 15, 15, 15, 15}, {30, 30, 30, 30, 30, 30, 30, 30}, {2, 5, 5, 5, 5, 5, 5, 2},
    {2, 5, 5, 5, 5, 5, 5, 2},         {2, 5, 5, 5, 5, 5, 5, 2},         {2, 5, 5, 5, 5, 5, 5, 2},
    {8, 9, 10, 10, 10, 10, 9, 8},     {0, 0, 3, 2, 2, 3, 0, 0}};
constexpr SquareValues QueenValues = {
    {-15, -5, 5, 5, 5, 5, -5, -15}, {-5, -5, 5, 5, 5, 5, -5, -5}, {-5, -5, 5, 15, 15, 5, -5, -5},
    {-5, -5, 5, 15, 15, 5, -5, -5}, {-2, -5, 5, 15, 15, 5, -5, -2}, {0, 5, 10, 10, 10, 10, 5, 0},
    {0, 5, 10, 10, 10, 10, 5, 0},   {0, 5, 8, 8, 8, 8, 5, 0}};
constexpr SquareValues KingValues = {
    {-45, -45, -45, -45, -45, -45, -45, -45}, {-45, -45, -45, -45, -45, -45, -45, -45},
    {-45, -45, -45, -45, -45, -45, -45, -45}, {-45, -45, -45, -45, -45, -45, -45, -45},
    {-40, -45, -45, -45, -45, -45, -45, -40}, {-25, -25, -25, -25, -25, -25, -25, -25},
    {0, 0, -10, -12, -12, -10, 0, 0},         {5, 10, 0, -12, -12, 0, 10, 5}};

// White pawn placement, rank 8 first; pawns never score on ranks 8 and 1.
constexpr SquareValues PawnKingsideValues = {
    {0, 0, 0, 0, 0, 0, 0, 0},       {0, 0, 10, 23, 25, 10, 0, 0},   {0, 0, 10, 23, 25, 10, 2, 2},
    {0, 0, 10, 31, 31, 10, -7, -7}, {0, 0, 15, 31, 31, 13, -7, -7}, {0, 0, 5, 14, 14, 5, 10, 5},
    {0, 0, 5, 14, 14, 15, 15, 15},  {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr SquareValues PawnQueensideValues = {
    {0, 0, 0, 0, 0, 0, 0, 0},        {0, 0, 10, 23, 25, 15, 10, 10}, {0, 0, 10, 23, 25, 15, 10, 10},
    {0, 0, 10, 31, 31, 15, 10, 10},  {0, 0, 10, 31, 31, 15, 5, 5},   {5, 5, 5, 14, 14, 5, 0, 0},
    {10, 10, 5, 14, 14, 5, 0, 0},    {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr SquareValues PawnAdvanceValues = {
    {0, 0, 0, 0, 0, 0, 0, 0},         {20, 26, 26, 26, 26, 26, 26, 20}, {15, 22, 22, 22, 22, 22, 22, 15},
    {10, 16, 16, 16, 16, 16, 16, 10}, {10, 13, 13, 13, 13, 13, 13, 10}, {6, 7, 7, 7, 7, 7, 7, 6},
    {4, 5, 5, 5, 5, 5, 5, 4},         {0, 0, 0, 0, 0, 0, 0, 0}};

// Line numbers per square; 0 off the board so that no line joins on- and off-board squares.
struct Lines {
  int rank[128], file[128], diagonal[128], antiDiagonal[128];
};

void FillLines(Lines& lines) {
  std::memset(&lines, 0, sizeof lines);
  for (int row = 0; row < 8; ++row)
    for (int file = 0; file < 8; ++file) {
      int s = SquareOf(file, row);
      lines.rank[s] = 8 - row;
      lines.file[s] = file + 1;
      lines.diagonal[s] = row - file + 8;     // constant along +11 steps
      lines.antiDiagonal[s] = row + file + 1; // constant along +9 steps
    }
}

void FillDirections(const Lines& lines) {
  std::memset(DirectionTable, 0, sizeof DirectionTable);
  for (int from = 10; from < 120; ++from)
    for (int to = 10; to < 120; ++to) {
      if (from == to) continue;
      int step = 0;
      if (lines.rank[from] && lines.rank[from] == lines.rank[to]) step = 1;
      else if (lines.file[from] && lines.file[from] == lines.file[to]) step = 10;
      else if (lines.diagonal[from] && lines.diagonal[from] == lines.diagonal[to]) step = 11;
      else if (lines.antiDiagonal[from] && lines.antiDiagonal[from] == lines.antiDiagonal[to]) step = 9;
      DirectionTable[from * 128 + to] = static_cast<signed char>(to > from ? step : -step);
    }
}

void FillPieceSquares() {
  std::memset(PieceSquareTable, 0, sizeof PieceSquareTable);
  const SquareValues* white[8] = {nullptr, nullptr, nullptr, &BishopValues, &KnightValues,
                                  &RookValues, &QueenValues, &KingValues};
  for (int type = Bishop; type <= King; ++type)
    for (int row = 0; row < 8; ++row)
      for (int file = 0; file < 8; ++file) {
        int value = (*white[type])[row][file];
        PieceSquareTable[type][SquareOf(file, row)] = value;
        PieceSquareTable[type + BlackOffset][SquareOf(file, 7 - row)] = -value;
      }
}

void FillPawnPlacement(i16 (&table)[2][128], const SquareValues& white) {
  std::memset(table, 0, sizeof table);
  for (int row = 0; row < 8; ++row)
    for (int file = 0; file < 8; ++file) {
      table[0][SquareOf(file, row)] = white[row][file];
      table[1][SquareOf(file, 7 - row)] = static_cast<i16>(-white[row][file]);
    }
}

} // namespace

void InitBoardTables() {
  Lines lines;
  FillLines(lines);
  for (int s = 0; s < 128; ++s) {
    RankOf[s] = static_cast<u8>(lines.rank[s]);
    FileOf[s] = static_cast<u8>(lines.file[s]);
  }
  FillDirections(lines);
  std::memset(&KnightStep, 0, sizeof KnightStep);
  std::memset(&OrthogonalStep, 0, sizeof OrthogonalStep);
  std::memset(&DiagonalStep, 0, sizeof DiagonalStep);
  for (int d : {-21, -19, -12, -8, 8, 12, 19, 21}) KnightStep[d] = 1;
  for (int d : {-10, -1, 1, 10}) OrthogonalStep[d] = 1;
  for (int d : {-11, -9, 9, 11}) DiagonalStep[d] = 1;
  FillPieceSquares();
  FillPawnPlacement(PawnTableKingside, PawnKingsideValues);
  FillPawnPlacement(PawnTableQueenside, PawnQueensideValues);
  FillPawnPlacement(PawnAdvance, PawnAdvanceValues);
}

} // namespace kestrin
