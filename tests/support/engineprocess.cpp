#include "support/engineprocess.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <csignal>
#include <sys/types.h>
#include <sys/wait.h>
#include <thread>

#include "support/scratchdir.h"

namespace kestrin::test {

EngineProcess::EngineProcess(const std::string& executable, const std::string& home) {
  std::signal(SIGPIPE, SIG_IGN); // an engine that has ended must not end the test
  const std::string out = home + "/engine.out";
  std::ofstream{out};
  // The shell's process becomes timeout's, which passes a signal it is sent on to the engine.
  pidFile = home + "/engine.pid";
  input = popen(("echo $$ > '" + pidFile + "'; exec timeout -s KILL 120 '" + executable + "' --home '" + home +
                 "' > '" + out + "'").c_str(),
                "w");
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

void EngineProcess::Signal(int signal) {
  std::ifstream file(pidFile);
  pid_t pid = 0;
  // The line is there as soon as the shell ran; a process can only be sent a signal once it is.
  for (int tries = 0; tries < 1000 && !(file >> pid); ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    file.clear();
    file.seekg(0);
  }
  if (pid > 0) kill(pid, signal);
}

int EngineProcess::Finish() {
  if (!input) return -1;
  const int status = pclose(input);
  input = nullptr;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void RunScript(const std::string& executable, const std::string& hello, const std::vector<std::string>& steps,
               const std::function<void(const std::string&, bool, const std::string&)>& awaited,
               const std::function<bool(const std::string&)>& other) {
  ScratchDirectory scratch;
  EngineProcess engine(executable, scratch.path.string());
  engine.Send(hello);
  const std::vector<std::string>& seen = engine.Seen();
  const auto matches = [](const std::string& line, const std::string& text) {
    return text == "#" ? !line.empty() && std::isdigit(static_cast<unsigned char>(line[0])) : line.rfind(text, 0) == 0;
  };
  std::size_t next = 0; // the first line no "<" step has read
  for (const std::string& step : steps) {
    const std::string text = step.substr(1);
    if (step[0] == '<') {
      bool found = false;
      for (std::string line; !found && (next < seen.size() || engine.ReadLine(line, 30)); ++next) {
        found = matches(seen[next], text);
        awaited(seen[next], found, text);
      }
      ASSERT_TRUE(found) << "no " << step << " in " << ::testing::PrintToString(seen);
    } else if (step[0] == '!') {
      for (std::string line; engine.ReadLine(line, 0.5);) {}
      for (std::size_t i = next; i < seen.size(); ++i)
        ASSERT_FALSE(matches(seen[i], text)) << step << " in " << ::testing::PrintToString(seen);
    } else if (step[0] == '~') {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(text)));
    } else if (!other(step)) {
      engine.Send(step);
    }
    if (::testing::Test::HasFatalFailure()) return;
  }
  EXPECT_EQ(engine.Finish(), 0) << ::testing::PrintToString(seen);
}

} // namespace kestrin::test
