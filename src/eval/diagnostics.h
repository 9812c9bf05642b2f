// The developer displays of the evaluation: the position's counters and the evaluation's
// main terms, as texts for the side panel's information line.
#pragma once

#include <string>

#include "board/position.h"

namespace kestrin {

// "Display Board Flags": ply counters, piece, minor and pawn counts, castling states, en passant.
std::string BoardFlagsText(const Position& position);

// Display-only recomputations of parts of Evaluate.
// The piece-balance bonus without the material itself.
int DisplayPieceBalance(const Position& position);
struct PawnAndRookValues {
  int pawn; // structure plus middlegame placement while either side has more than 3 pieces, else endgame
  int rook; // file terms of all four rook slots plus rooks on the seventh
};
PawnAndRookValues DisplayPawnAndRooks(const Position& position);

// "Display Eval": sets the pawn-table selectors for the position (which may clear the pawn
// table), then evaluates it with a window that disables the lazy exit. It reads and fills the
// pawn table, so it must not run while the engine searches.
std::string EvalTermsText(const Position& position);

// The two texts of the game position, shown in the information line.
void ShowBoardFlags();
void ShowEvalTerms();

} // namespace kestrin
