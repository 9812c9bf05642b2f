#include "support/engineprocess.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kestrin::test {

EngineProcess::EngineProcess(const std::string& executable, const std::string& home,
                             std::vector<std::string> arguments) {
  int toEngine[2], fromEngine[2];
  if (pipe(toEngine) != 0 || pipe(fromEngine) != 0) return;
  std::signal(SIGPIPE, SIG_IGN);
  pid = fork();
  if (pid == 0) {
    dup2(toEngine[0], 0);
    dup2(fromEngine[1], 1);
    close(toEngine[1]);
    close(fromEngine[0]);
    std::vector<std::string> all = {executable, "--home", home};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(executable.c_str(), argv.data());
    _exit(127);
  }
  close(toEngine[0]);
  close(fromEngine[1]);
  input = toEngine[1];
  output = fromEngine[0];
  fcntl(output, F_SETFL, fcntl(output, F_GETFL) | O_NONBLOCK);
}

EngineProcess::~EngineProcess() {
  if (input >= 0) close(input);
  if (Running()) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  if (output >= 0) close(output);
}

void EngineProcess::Write(const std::string& bytes) {
  std::size_t done = 0;
  while (input >= 0 && done < bytes.size()) {
    ssize_t n = write(input, bytes.data() + done, bytes.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
}

bool EngineProcess::ReadLine(std::string& line, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    std::size_t feed = pending.find('\n');
    if (feed != std::string::npos) {
      line = pending.substr(0, feed);
      pending.erase(0, feed + 1);
      seen.push_back(line);
      return true;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p{output, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
    char buffer[4096];
    ssize_t n = read(output, buffer, sizeof buffer);
    if (n <= 0) {
      if (n == 0) return false; // end of output
      continue;
    }
    pending.append(buffer, static_cast<std::size_t>(n));
  }
}

bool EngineProcess::WaitFor(const std::string& prefix, std::string* found, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  std::string line;
  for (;;) {
    const double left = std::chrono::duration<double>(end - std::chrono::steady_clock::now()).count();
    if (left <= 0 || !ReadLine(line, left)) return false;
    if (line.rfind(prefix, 0) == 0) {
      if (found) *found = line;
      return true;
    }
  }
}

bool EngineProcess::Running() {
  if (pid <= 0 || exited) return false;
  int status = 0;
  if (waitpid(pid, &status, WNOHANG) != pid) return true;
  exited = true;
  exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return false;
}

int EngineProcess::Finish(double seconds) {
  if (input >= 0) {
    close(input);
    input = -1;
  }
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (Running()) {
    if (std::chrono::steady_clock::now() > end) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
      exited = true;
      return exitStatus = -2;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return exitStatus;
}

} // namespace kestrin::test
