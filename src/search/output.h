// What the search shows in the side panel's information line while and after it thinks,
// and the principal variation and table entry as text.
#pragma once

#include <atomic>
#include <string>

#include "board/position.h"

namespace kestrin {

// "Give Evals from White's POV": on by default; off shows scores for the side the engine moved.
extern std::atomic<int> EvalsFromWhitePov;

std::string ScoreText(int score);
// "Ng1-f3", "e4xd5", "O-O  ", "O-O-O" for a move given by its from- and to-fields.
std::string ShortMoveText(int from, int to, const Position& position);

// Told the engine's score of a position (White's point of view) as the window shows it: the
// position after the computer's move with its search's final score, and the position being
// analysed after each finished iteration. Book moves carry no score. Called on the thread that
// shows the score; nullptr for nobody.
using ScoreListener = void (*)(const Position& position, int score);
void SetScoreListener(ScoreListener listener);

void ShowSearchInfo();
void ShowFinalInfo(int score, int depth);

// Entry `index` (1-based) of the principal variation; mode 0 compact, mode 1 for the panel.
std::string PvEntryText(int index, int mode);
std::string PvText(int mode);

void DisplayPv();
void PlayPv();
void DisplayTtEntry();

} // namespace kestrin
