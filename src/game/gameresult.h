// How a finished game is told to the player: the result token ("1-0", "0-1", "1/2-1/2"),
// who won and why, for the move list, the information line, the title and the end box.
#pragma once

#include <string>

#include "board/position.h"

namespace kestrin {

struct GameEnd {
  int result = 4;     // a GameResult code; 4 while the game goes on
  std::string reason; // "checkmate", "stalemate", "repetition", "fifty moves", "material", "time", ...
};

// "1-0", "0-1", "1/2-1/2", or "*" for a game in progress.
const char* ResultToken(int result);
// The end the position itself shows (mate, stalemate, repetition, the 50-move count, bare
// material), or a game in progress.
GameEnd EndShownBy(const Position& position);
// The end of the game on the board, kept from the moment it was first seen: the position's
// own end, else a clock at zero ("time"), a draw agreed ("agreement") or a resignation.
GameEnd CurrentGameEnd();
// "1-0  White wins by checkmate", "1/2-1/2  Draw by repetition", "0-1  Black wins on time".
std::string ResultLine(const GameEnd& end);
// "Kestrin Chess 2.82 - White to move", or the result line once the game is over.
std::string WindowTitleFor(const Position& position, const GameEnd& end);

} // namespace kestrin
