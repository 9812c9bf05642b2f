// Whether a game is over, and why: mate, stalemate, repetition, the 50-move count, bare kings and minors.
#pragma once

#include "board/position.h"

namespace kestrin {

// GameResult codes; a game still going on is kept as GameInProgress.
constexpr int WhiteWon = 1;
constexpr int BlackWon = 2;
constexpr int GameDrawn = 3;
constexpr int GameInProgress = 4;

// MateStatus results.
constexpr int HasLegalMove = 0;
constexpr int Checkmated = 1;
constexpr int Stalemated = 2;

int MateStatus(const Position& position, int side);

// Neither side has a pawn and only one side has a piece, a single bishop or knight.
bool IsInsufficientMaterial(const Position& position);

// `position` is the position after the last move. Returns 1 and sets `result` when the game
// is over, 0 when it goes on. With `showMessages` 1 (and outside the engine mode) the reason
// is shown in a " Game Over! " box.
int CheckGameEnd(const Position& position, int showMessages, int& result);
// The same for a game whose repetition keys are kept elsewhere than the main record's (a
// server table): `repetitions` is the count of earlier occurrences of `position`.
int CheckGameEnd(const Position& position, int showMessages, int& result, int repetitions);

} // namespace kestrin
