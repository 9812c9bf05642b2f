// A kestrin-engine process fed through a pipe, as a chess interface feeds it. What it writes
// goes to a file in its home folder and is read back line by line.
#pragma once

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace kestrin::test {

class EngineProcess {
public:
  // Starts `executable` with its folder for settings, games and its output at `home`.
  EngineProcess(const std::string& executable, const std::string& home);
  ~EngineProcess() { Finish(); }

  // Writes the line and a line feed.
  void Send(const std::string& line);
  // The next line (without its line feed), kept in Seen(); false when none came within `seconds`.
  bool ReadLine(std::string& line, double seconds = 10);
  const std::vector<std::string>& Seen() const { return seen; }
  // Sends `signal` to the engine as an interface that ends it would.
  void Signal(int signal);
  // Closes the engine's input and waits for it to end (it is killed after two minutes in all):
  // its exit status, or -1.
  int Finish();

private:
  std::FILE* input = nullptr;
  std::string pidFile;
  std::ifstream output;
  std::string pending;
  std::vector<std::string> seen;
};

} // namespace kestrin::test
