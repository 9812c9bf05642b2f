// Move text: the one long-algebraic form the game record is written in (Ng1-f3, e7xd8=Q,
// O-O), and the wider family of forms it reads (e2e4, Nf3, exd5, Nbd2, R1e2, e8=Q+, 0-0-0).
#pragma once

#include <string_view>

#include "board/position.h"

namespace kestrin {

struct GameHistory;

// A record slot: at most 7 characters padded with blanks to 6, then zeros.
constexpr int MoveTextSlotSize = 8;

// Writes the text of `move`, about to be made on `before` with the current promotion choice.
void FormatMoveText(char* slot, const Position& before, Move move);

// The piece code of a move-text letter ("p" pawn, "K" king, "N" "B" "R" "Q"; "n" "b" "r" "q"
// too when lenient), or 0 when the letter names no piece.
int PieceFromLetter(char letter, bool lenient);

// File 0..7, row 0..7 from the top, -1 when not given; the piece code of the side to move.
struct ParsedMove {
  int fromFile, fromRow, toFile, toRow;
  int piece;
};
// Reads the text from its first character; sets the promotion choice for any move but castling.
ParsedMove ParseMoveText(std::string_view text, const Position& position);

// Makes the legal move the text stands for on `position`, recording it in `history`
// (nullptr: the main record) when `record` is 1. Returns 0, changing nothing, when the text
// names no target square or no legal move fits it.
int PlayMoveText(std::string_view text, Position& position, int record, GameHistory* history);

} // namespace kestrin
