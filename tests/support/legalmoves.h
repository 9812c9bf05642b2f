// Legal moves and random games for tests, built only on the generator, MakeMove and the
// check test, so that what the tests compare against is independent of the code under test.
#pragma once

#include <random>
#include <vector>

#include "board/legality.h"
#include "board/makemove.h"
#include "board/position.h"

namespace kestrin::test {

// The legal moves of the side to move, in generation order (captures, then quiet moves).
using kestrin::LegalMoves;

struct PlayedMove {
  Move move;
  int promotionType; // what a promoting pawn became (3..6); 6 for other moves
  MoveUndo undo;
};
// Makes a random legal move with a random promotion piece; false when there is none.
bool PlayRandomMove(Position& position, std::mt19937& random, PlayedMove& played);

// Square names: "e4" for 62.
std::string SquareName(int square);

} // namespace kestrin::test
