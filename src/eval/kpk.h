// King and pawn against king, decided exactly by a bitbase read from "KPK.kbb".
#pragma once

#include "board/position.h"

namespace kestrin {

// One bit per position, set when the side with the pawn wins.
constexpr int KpkBytes = 24576;
extern u8 KpkBitbase[KpkBytes];
extern bool kpkLoaded;

// Squares of the bitbase: 0-63 with a8 = 0, h8 = 7, a7 = 8 ... h1 = 63.
inline int KpkSquareOf(int boardSquare) { return 8 * (boardSquare / 10 - 2) + boardSquare % 10 - 2; }
// A half turn of the board: puts a Black pawn where a White one would stand.
inline int KpkTurned(int square) { return 63 - square; }
// The pawn of a bitbase position stands on rows 1-6 (ranks 7 down to 2).
inline bool KpkPawnRowValid(int pawn) { return pawn >= 8 && pawn < 56; }

// The bit of a position normalised so that the side with the pawn is White moving up.
// The pawn must satisfy KpkPawnRowValid. Pawns on files e-h read the mirrored position.
int KpkBitIndex(int attackingKing, int defendingKing, int pawn, int attackerToMove);

// Reads the bitbase; 1 when loaded, 0 when the file cannot be opened or is not exactly the
// bitbase's size (a truncated file would turn wins into draws unnoticed).
int LoadKpk(const char* path = "KPK.kbb");
// The bitbase's verdict folded into `score`: `value` is added for a win, a draw makes the
// score 0. Returns false, leaving the score alone, when the pawn is on a back rank.
bool ProbeKpk(int attackingKing, int defendingKing, int pawn, int attackerToMove, int& score, int value);
// Probes a position with the two kings and one pawn when the bitbase is loaded: the score
// becomes score + 500 when White wins, score - 500 when Black wins, 0 for a draw. Returns
// false (score untouched) for other material, an unloaded bitbase or a back-rank pawn.
bool ProbeKpkPosition(const Position& position, int& score);
// Forgets the bitbase (all bits clear, not loaded).
void ResetKpk();

} // namespace kestrin
