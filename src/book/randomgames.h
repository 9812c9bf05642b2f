// A PGN file of random legal games for measuring book builds. The first moves are drawn from
// few choices, so that games share their openings as the games of a real collection do.
#pragma once

#include <random>
#include <string>

namespace kestrin {

// Writes `games` games to `fileName`; false when the file cannot be written whole.
bool WriteRandomGames(const std::string& fileName, int games, std::mt19937& random);

} // namespace kestrin
