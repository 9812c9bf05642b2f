#include "app/modechoice.h"

#include <csignal>
#include <cstdio>
#include <poll.h>
#include <unistd.h>

#include "app/startup.h"
#include "platform/frontend.h"
#include "search/engine.h"
#include "uci/session.h"
#include "winboard/protocol.h"

namespace kestrin {

bool ReadFirstLine(int waitMilliseconds, std::string* line) {
  if (isatty(STDIN_FILENO)) return false;
  // Nothing written yet: wait for the first byte only as long as the caller allows.
  pollfd input{STDIN_FILENO, POLLIN, 0};
  const int ready = poll(&input, 1, waitMilliseconds < 0 ? -1 : waitMilliseconds);
  if (ready <= 0 || (input.revents & (POLLIN | POLLHUP)) == 0) return false;
  int c;
  bool any = false;
  if (line) line->clear();
  while ((c = std::fgetc(stdin)) != EOF) {
    any = true;
    if (c == '\n') break;
    if (line && line->size() < 64) line->push_back(static_cast<char>(c));
  }
  return any;
}

int RunEngineMode(const std::string& home, const std::string& firstLine) {
  // Interfaces may interrupt an engine that has not declared otherwise; it must survive that.
  std::signal(SIGINT, SIG_IGN);
  if (!EnterHomeDirectory(home)) return 1;
  WinboardMode = 1;
  InitEngine();
  const std::size_t end = firstLine.find_last_not_of(" \t\r");
  if (firstLine.substr(0, end + 1) == "uci") RunUci(stdin);
  else RunWinboard(stdin);
  StopEngineThread();
  return 0;
}

} // namespace kestrin
