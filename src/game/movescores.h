// The engine's scores of the game's positions, for the evaluation graph: noted as the engine
// reports them (its own moves, analysis), read back for the moves of the record. A score
// belongs to a position, not to a ply, so a move taken back and played otherwise, a loaded
// game or a new one never shows a score that was not about its position.
#pragma once

#include <optional>
#include <vector>

#include "board/position.h"

namespace kestrin {

// Keeps `score` (centipawns, White's point of view) for `position`; any thread.
void NoteScore(const Position& position, int score);
void ClearScores();
// Counts the scores noted so far: a reader redraws when it changed.
unsigned ScoresVersion();

// One entry per move of the main record: the score of the position after move k + 1, or none.
std::vector<std::optional<int>> RecordScores();

} // namespace kestrin
