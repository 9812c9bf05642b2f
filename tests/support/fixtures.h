// Helpers shared by every test suite.
#pragma once

#include <string>
#include <vector>

#include "board/movegen.h"
#include "board/position.h"

namespace kestrin::test {

void InitTablesOnce();
// The position of a FEN text; fails the current test when the text is refused.
Position FromFen(const std::string& fen);
// `count` boards of the two kings and up to 30 more men at random (pawns off the first and last
// ranks), White to move, no castling; the same ones for the same seed. A man drawn for a taken
// square, or beyond the slots of its side, is left out.
std::vector<Position> RandomBoards(int count, unsigned seed);
// The first four fields of the position's FEN: board, side, castling, en-passant square.
std::string ToFen(const Position& position);
// Board, slots, counters and scores recomputed from the board alone; empty when consistent.
std::string ConsistencyProblems(const Position& position);

// Coordinate text of a generated move ("e2e4"; castling as the king's step, "e1g1").
std::string CoordinateOf(Move move);
// Makes the pseudo-legal move given by coordinates on `position` (promotion to `promotionType`);
// returns its class, or fails the test when there is no such move.
u32 Play(Position& position, const std::string& coordinates, int promotionType = Queen);

} // namespace kestrin::test
