// FEN text: writing a position, and reading one into a working position.
#pragma once

#include <cstddef>

#include "board/position.h"

namespace kestrin {

// Writes the six fields: placement, side, the castling rights that can still be used, the
// en-passant square when a pawn can take there, the plies since the last capture or pawn move
// and the move number. Returns the length written; the buffer must hold FenBufferSize characters.
constexpr std::size_t FenBufferSize = 128;
int PositionToFen(char* buffer, const Position& position);

// Reads FEN text (no terminating zero needed). Returns true and fills `out` when the text gives
// 64 squares of men the position can hold, a side to move and both kings; otherwise returns
// false and leaves `out` alone. The clocks are not read: the game counts from its set-up.
bool ReadFen(const char* text, std::size_t length, Position& out);

// Makes an accepted FEN text the start and the game position of a fresh game and says
// "Position Pasted."; otherwise says "Not a valid Position" and leaves the game alone.
// Returns 1 when installed, 0 when refused.
int PositionFromFen(const char* text, std::size_t length);

} // namespace kestrin
