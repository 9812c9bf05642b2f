// Games as pgn-extract (Debian's package of that name), a reader independent of ours, reads
// them: each game's moves in coordinate form and its result token.
#pragma once

#include <string>
#include <vector>

namespace kestrin::test {

constexpr const char* PgnExtract = "/usr/games/pgn-extract";

// One game per entry: "e2e4 e7e5 g1f3 1-0" (the moves, then the result after them), or
// the reader's complaints about the file as the only entry when it reported any.
std::vector<std::string> ReadWithPgnExtract(const std::string& file);

} // namespace kestrin::test
