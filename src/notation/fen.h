// FEN text: writing a position, and reading one into a working position.
#pragma once

#include <cstddef>

#include "board/position.h"

namespace kestrin {

// Writes piece placement, side, castling and "-" for en passant; returns the length written.
// The buffer must hold at least FenBufferSize characters.
constexpr std::size_t FenBufferSize = 100;
int PositionToFen(char* buffer, const Position& position);

// Reads FEN text (no terminating zero needed). Returns true and fills `out` when the text gives
// 64 squares, a side to move and both kings; otherwise returns false and leaves `out` alone.
bool ReadFen(const char* text, std::size_t length, Position& out);

// Makes an accepted FEN text the start and the game position of a fresh game and says
// "Position Pasted."; otherwise says "Not a valid Position" and leaves the game alone.
// Returns 1 when installed, 0 when refused.
int PositionFromFen(const char* text, std::size_t length);

} // namespace kestrin
