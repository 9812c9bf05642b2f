// The window's view of the engine thinking: the side panel's information line while and after
// it thinks, and the scores the evaluation graph is told of.
#pragma once

#include "board/position.h"
#include "search/report.h"

namespace kestrin {

// The report the window installs while it is open.
SearchReport& WindowSearchReport();

// Told the engine's score of a position (White's point of view) as the window shows it: the
// position after the computer's move with its search's final score, and the position being
// analysed after each finished iteration. Book moves carry no score. Called on the thread that
// shows the score; nullptr for nobody.
using ScoreListener = void (*)(const Position& position, int score);
void SetScoreListener(ScoreListener listener);

// The information line after a think: its score, and the iteration it ended in (the line
// names the depth below it, the last one finished).
void ShowFinalInfo(int score, int iterationDepth);

} // namespace kestrin
