// Starting the game record afresh: the part of a new game that belongs to the record. The
// game controller's new-game command runs it after stopping the engine.
#pragma once

#include "board/position.h"

namespace kestrin {

// The game position and startPosition become `start` (the initial array when none is
// given); the record, the repetition keys and both clocks are emptied, the game is in
// progress and the side to move is charged from now on.
void ResetGameRecord(const Position* start = nullptr);

// A fresh game from the initial position for the game files and the book builder: the
// engine's NewGame through the platform's GameControl, which stops the engine first; in a
// program without the engine, the record alone. With `show` the window announces it.
void StartNewGame(bool show);

} // namespace kestrin
