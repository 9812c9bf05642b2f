// Constant tables and square helpers shared by the evaluation and its endgame rules.
#pragma once

#include <cstdlib>

#include "board/position.h"
#include "board/tables.h"

namespace kestrin {

// A table over the board's squares, written as 8 rows from rank 8 down, files a to h.
struct SquareTable {
  i16 values[128];
  constexpr int operator[](int square) const { return values[square]; }
};

constexpr SquareTable FromRows(const short (&rows)[8][8]) {
  SquareTable t{};
  for (int row = 0; row < 8; ++row)
    for (int file = 0; file < 8; ++file) t.values[SquareOf(file, row)] = rows[row][file];
  return t;
}

// Endgame king placement. h7 is 0 where h2 is 2: the table is not symmetric top to bottom.
constexpr short KingCentreRows[8][8] = {
    {0, 2, 2, 2, 2, 2, 2, 0},       {2, 13, 15, 15, 15, 15, 13, 0}, {2, 15, 33, 33, 33, 33, 15, 2},
    {2, 15, 33, 43, 43, 33, 15, 2}, {2, 15, 33, 43, 43, 33, 15, 2}, {2, 15, 33, 33, 33, 33, 15, 2},
    {2, 13, 15, 15, 15, 15, 13, 2}, {0, 2, 2, 2, 2, 2, 2, 0}};
constexpr SquareTable KingCentre = FromRows(KingCentreRows);

// Where a lone king is driven: to the edge, most of all to a corner.
constexpr short LoneKingEdgeRows[8][8] = {
    {-45, -38, -30, -28, -28, -30, -38, -45}, {-38, -28, -20, -18, -18, -20, -28, -38},
    {-30, -22, -15, -10, -10, -15, -22, -30}, {-28, -18, -10, 0, 0, -10, -18, -28},
    {-28, -18, -10, 0, 0, -10, -18, -28},     {-30, -22, -15, -10, -10, -15, -22, -30},
    {-38, -28, -20, -18, -18, -20, -28, -38}, {-45, -38, -30, -28, -28, -30, -38, -45}};
constexpr SquareTable LoneKingEdge = FromRows(LoneKingEdgeRows);

// Bishop and knight mate: the lone king belongs in a corner of the bishop's colour. Written for
// a light-squared bishop; a dark one reads it at the square mirrored top to bottom.
constexpr short KbnCornerRows[8][8] = {
    {72, 62, 52, 42, 32, 22, 12, 5}, {62, 50, 40, 28, 20, 10, 5, 12}, {52, 40, 26, 20, 10, 0, 10, 22},
    {42, 28, 20, 0, -5, 10, 18, 32}, {32, 20, 10, -5, 0, 16, 28, 42}, {22, 8, 0, 10, 16, 26, 40, 52},
    {12, 5, 10, 18, 28, 40, 50, 62}, {5, 12, 22, 32, 42, 52, 62, 72}};
constexpr SquareTable KbnCorner = FromRows(KbnCornerRows);

// a8 and h1 are light.
inline bool IsLightSquare(int s) { return ((FileOf[s] + RankOf[s]) & 1) != 0; }
// The square mirrored top to bottom (rank r becomes 9 - r).
constexpr int MirroredSquare(int s) { return 10 * (11 - s / 10) + s % 10; }
inline int ChebyshevDistance(int a, int b) {
  int df = std::abs(FileOf[a] - FileOf[b]), dr = std::abs(RankOf[a] - RankOf[b]);
  return df > dr ? df : dr;
}
// Files plus ranks between two squares, by [a * 128 + b]; the tropism terms read it for every
// piece of every evaluation, so it is looked up instead of worked out. A square off the board
// counts as file 0 and rank 0, as FileOf and RankOf have it.
struct SquareDistances {
  u8 values[128 * 128];
};
// One table for the whole program, not a copy in every file that reads it.
inline constexpr SquareDistances ManhattanDistances = [] {
  auto file = [](int s) { return s / 10 >= 2 && s / 10 <= 9 && s % 10 >= 2 ? s % 10 - 1 : 0; };
  auto rank = [](int s) { return s / 10 >= 2 && s / 10 <= 9 && s % 10 >= 2 ? 10 - s / 10 : 0; };
  auto distance = [](int x, int y) { return x > y ? x - y : y - x; };
  SquareDistances t{};
  for (int a = 0; a < 128; ++a)
    for (int b = 0; b < 128; ++b) t.values[a * 128 + b] = u8(distance(file(a), file(b)) + distance(rank(a), rank(b)));
  return t;
}();
inline int KingDistance(int a, int b) { return ManhattanDistances.values[a * 128 + b]; }

// Kings in touch with pawns of either colour: +8 for each pair of squares in front of or beside
// the White king that holds a pawn, -8 likewise for the Black king.
inline int PawnContact(const Position& p, int whiteKing, int blackKing) {
  auto pawnOn = [&p](int a, int b) {
    return p.board[a] == WhitePawn || p.board[a] == BlackPawn || p.board[b] == WhitePawn ||
           p.board[b] == BlackPawn;
  };
  int contact = 0;
  contact += pawnOn(whiteKing - 10, whiteKing - 20) ? 8 : 0;
  contact += pawnOn(whiteKing - 11, whiteKing - 1) ? 8 : 0;
  contact += pawnOn(whiteKing - 9, whiteKing + 1) ? 8 : 0;
  contact -= pawnOn(blackKing + 10, blackKing + 20) ? 8 : 0;
  contact -= pawnOn(blackKing + 11, blackKing + 1) ? 8 : 0;
  contact -= pawnOn(blackKing + 9, blackKing - 1) ? 8 : 0;
  return contact;
}

} // namespace kestrin
