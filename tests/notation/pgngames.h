// Helpers of the PGN suites: random legal games with their positions, and the positions a
// game record replays to.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "board/position.h"

namespace kestrin::test {

struct GeneratedGame {
  std::vector<std::string> san;         // standard short algebraic, check marks included
  std::vector<std::string> coordinates; // e2e4, e7e8n
  std::vector<std::string> fens;        // the position after each ply
  std::vector<std::vector<std::string>> sidelines; // a few legal SAN moves from the position before each ply
};

// A random legal game of at most `maxPlies` plies from `start`, with random promotion pieces.
GeneratedGame RandomGame(std::mt19937& random, int maxPlies, const Position& start);

// Records the coordinate moves on the game position and in the main record, from a fresh game.
void RecordCoordinates(const std::vector<std::string>& coordinates, const Position* start = nullptr);

// The FEN of the position after each recorded ply of the main record, replayed from startPosition.
std::vector<std::string> RecordFens();
// The texts of the main record's plies.
std::vector<std::string> RecordTexts();

} // namespace kestrin::test
