// Taking moves back and playing them again in the window game. Both only move the game
// position through the record, as the browsing buttons do: the record keeps the later moves
// until a new move is made, so what was taken back can be played again.
#pragma once

namespace kestrin {

// The plies Take Back would step back now: the last move of the side to move and, against
// the computer, the computer's reply with it; 0 when there is nothing to take back.
int TakeBackPlies();
// The plies Redo would step forward: the moves taken back, up to the record's end.
int RedoPlies();

// Stops any search, ponder or analysis first (an analysis goes on from the new position).
// Return false when there was nothing to do or a network game is connected.
bool TakeBackMove();
bool RedoMove();

// Shows the position after `ply` half-moves of the record (0: the start), as the panel's
// browsing does; ignored while the engine searches.
bool ShowPly(int ply);

} // namespace kestrin
