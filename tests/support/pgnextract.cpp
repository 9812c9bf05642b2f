#include "support/pgnextract.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

#include "support/scratchdir.h"

namespace kestrin::test {

std::vector<std::string> ReadWithPgnExtract(const std::string& file) {
  const std::string out = file + ".extracted", log = file + ".log";
  const std::string command = std::string("timeout 60 ") + PgnExtract + " -s -C -N -V -Wuci -w1000 -o'" + out +
                              "' -l'" + log + "' '" + file + "'";
  if (std::system(command.c_str()) != 0) return {"pgn-extract failed: " + ReadFileBytes(log)};
  // Anything it had to say about the file (a move it could not read, a tag it stopped at).
  const std::string complaints = ReadFileBytes(log);
  if (!complaints.empty()) return {complaints};
  std::vector<std::string> games;
  std::istringstream lines(ReadFileBytes(out));
  for (std::string line; std::getline(lines, line);)
    if (!line.empty() && line[0] != '[') {
      // Its promotion letters are capitals; in coordinate form they are small.
      for (char& c : line) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      games.push_back(line);
    }
  return games;
}

} // namespace kestrin::test
