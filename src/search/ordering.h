// Move ordering: hash move, captures by victim and attacker, the ply's killer, then quiet
// moves (sorted by history near the root). The generated list is rewritten in place as one
// ordered list in moves[0 .. quietCount - 1] with its front part (hash move, captures,
// killer) counted by captureCount.
#pragma once

#include "board/movegen.h"
#include "board/position.h"

namespace kestrin {

constexpr int KillerPlies = 50;

extern u16 Killers[KillerPlies];
extern u32 WhiteHistory[16384]; // [to * 128 + from], by the side that made the move
extern u32 BlackHistory[16384];

// Sorts the generated captures, highest 8 x victim - attacker first; ties keep generation order.
void ScoreCaptures(MoveList& list, const Position& position);
// Not in check: hash move, captures, killer, then the quiet moves in generation order.
void OrderMoves(u16 hashMove, MoveList& list, u16 killer, const Position& position);
// In check: only the legal moves, hash move first.
void OrderEvasions(u16 hashMove, MoveList& list, const Position& position);
// Sorts slots captureCount .. quietCount - 1 by the history of `side`, highest first.
void SortByHistory(MoveList& list, int side);
// The node's best move becomes the ply's killer when quiet; deep nodes credit its history.
void UpdateKillerAndHistory(int ply, int depth, int side, u16 bestMove, const Position& position);
// Killers to none and both history tables to zero.
void ResetKillers();
void ClearHistoryTables();

} // namespace kestrin
