// Moves as UCI writes them: from-square, to-square and the piece a pawn becomes (e2e4, e1g1
// for castling, e7e8q), read into squares and written from the moves our generator makes.
#pragma once

#include <string>
#include <string_view>

#include "board/position.h"

namespace kestrin {

struct CoordinateMove {
  int from, to;   // board squares
  int promotion;  // Queen, Rook, Bishop or Knight; 0 without a suffix
};

// False unless the text is exactly two squares and at most one of q, r, b, n.
bool ReadCoordinateMove(std::string_view text, CoordinateMove& move);

// The legal move of the side to move with these squares (castling given as the king's
// two-square step) and promotion piece; false when there is none. A pawn reaching the last
// rank must name its piece, and only such a pawn may.
bool FindLegalMove(const Position& position, const CoordinateMove& wanted, Move& found);

// The text of `move` about to be made on `before`; a promoting pawn becomes `promotionType`.
std::string CoordinateText(const Position& before, Move move, int promotionType = Queen);

// The legal move of `before` that leads to the board of `after` (a promoting pawn becoming a
// queen, as the engine plays); false when no single move does.
bool MoveBetween(const Position& before, const Position& after, Move& found);

// The moves of a line of the search's principal variation (entries of from | to << 8 plus
// flags, ending at the length or a marker), as far as each is legal in turn from `root`.
std::string LineText(const Position& root, const u32* entries, int count);

} // namespace kestrin
