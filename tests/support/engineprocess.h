// A kestrin-engine process fed through a pipe, as a chess interface feeds it. What it writes
// goes to a file in its home folder and is read back line by line.
#pragma once

#include <cstdio>
#include <fstream>
#include <functional>
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

// Starts `executable` in a scratch folder (the working directory meanwhile), sends `hello` and
// runs a script; the engine must then end with status 0 at the end of its input (a sanitizer's
// report fails). "<text" waits for a line starting with text ("<#" for a thinking line, which
// starts with its depth), showing `awaited` each line it reads and whether it was the one;
// "!text" checks that no such line came since the last awaited one nor comes within half a
// second; "~ms" pauses; any other step is shown to `other` and sent unless it returns true.
// A fatal failure ends the script.
void RunScript(const std::string& executable, const std::string& hello, const std::vector<std::string>& steps,
               const std::function<void(const std::string& line, bool found, const std::string& text)>& awaited,
               const std::function<bool(const std::string& step)>& other);

} // namespace kestrin::test
