// A kestrin-engine process driven through real pipes, as a chess interface drives it.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace kestrin::test {

class EngineProcess {
public:
  // Starts `executable` with `arguments`; its working folder for settings and games is `home`.
  EngineProcess(const std::string& executable, const std::string& home, std::vector<std::string> arguments = {});
  ~EngineProcess();
  EngineProcess(const EngineProcess&) = delete;
  EngineProcess& operator=(const EngineProcess&) = delete;

  // Writes raw bytes; Send adds the line feed.
  void Write(const std::string& bytes);
  void Send(const std::string& line) { Write(line + "\n"); }
  // The next line (without its line feed), or false when none came within `seconds`.
  bool ReadLine(std::string& line, double seconds = 10);
  // Reads lines until one starts with `prefix`; the lines read on the way are kept in `seen`.
  bool WaitFor(const std::string& prefix, std::string* found = nullptr, double seconds = 10);
  // Everything read so far.
  const std::vector<std::string>& Seen() const { return seen; }
  // Closes the engine's input and waits for it to end; returns its exit status (-1 on a
  // signal, -2 when it had to be killed).
  int Finish(double seconds = 10);
  bool Running();

private:
  pid_t pid = -1;
  bool exited = false;
  int exitStatus = -1;
  int input = -1, output = -1;
  std::string pending;
  std::vector<std::string> seen;
};

} // namespace kestrin::test
