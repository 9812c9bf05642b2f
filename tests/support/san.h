// Standard short algebraic notation, written from the legal moves alone, as other chess
// programs write their PGN files; the tests' independent check of what the reader accepts.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "board/position.h"

namespace kestrin::test {

// "Nf3", "exd5", "Nbd2", "R1e2", "e8=Q+", "O-O-O#" for the legal move `move` of `before`.
std::string SanOf(const Position& before, Move move, int promotionType = Queen);
// Makes the legal move whose text is `san` (check and annotation marks ignored); false,
// changing nothing, when no legal move has that text.
bool PlaySan(Position& position, const std::string& san);

// A random legal game: each ply in standard notation and in coordinates (e2e4, e7e8n), and
// the position after it as FEN. Promotions take a random piece; during the first
// `narrowPlies` plies only the first two legal moves are drawn, so that games share openings.
struct RandomGame {
  std::vector<std::string> san, coordinates, fens;
};
RandomGame PlayRandomGame(std::mt19937& random, int maxPlies, const Position& start, int narrowPlies = 0);

// Checks the games a match between the engine called `name` and another wrote to a PGN file,
// colours swapped: two games, `name` White in the first and Black in the second, each with a
// real result tag, none holding a word of `abnormal`, each replaying legally in more than 20 plies.
void CheckMatchGames(const std::string& pgn, const std::string& name, const std::vector<std::string>& abnormal);

} // namespace kestrin::test
