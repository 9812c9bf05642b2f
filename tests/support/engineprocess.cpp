#include "support/engineprocess.h"

#include <chrono>
#include <csignal>
#include <sys/wait.h>
#include <thread>

namespace kestrin::test {

EngineProcess::EngineProcess(const std::string& executable, const std::string& home) {
  std::signal(SIGPIPE, SIG_IGN); // an engine that has ended must not end the test
  const std::string out = home + "/engine.out";
  std::ofstream{out};
  input = popen(("exec timeout -s KILL 120 '" + executable + "' --home '" + home + "' > '" + out + "'").c_str(), "w");
  output.open(out, std::ios::binary);
}

void EngineProcess::Send(const std::string& line) {
  if (!input) return;
  std::fputs((line + '\n').c_str(), input);
  std::fflush(input);
}

bool EngineProcess::ReadLine(std::string& line, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  std::size_t feed;
  while ((feed = pending.find('\n')) == std::string::npos) {
    char buffer[4096];
    output.clear(); // read on past the end of what was written so far
    output.read(buffer, sizeof buffer);
    pending.append(buffer, static_cast<std::size_t>(output.gcount()));
    if (output.gcount() > 0) continue;
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  seen.push_back(line = pending.substr(0, feed));
  pending.erase(0, feed + 1);
  return true;
}

int EngineProcess::Finish() {
  if (!input) return -1;
  const int status = pclose(input);
  input = nullptr;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace kestrin::test
