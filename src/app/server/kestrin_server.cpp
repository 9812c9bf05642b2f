// kestrin-server: the network server without a window, for a club that keeps one running.
// Its own user (client 0) only watches: it never takes a seat.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/startup.h"
#include "net/pollloop.h"
#include "net/server.h"

namespace {

kestrin::PollLoop* runningLoop = nullptr;

extern "C" void StopOnSignal(int) {
  if (runningLoop) runningLoop->Stop();
}

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "Usage: kestrin-server [--port N] [--bind ADDRESS]\n"
               "Runs a Kestrin Chess network server without a window. Players connect with\n"
               "Internet > Connect in Kestrin Chess. Events are written to standard error;\n"
               "Ctrl+C or SIGTERM tells every client and stops.\n"
               "  --port N          port to listen on (default %u; 0 picks a free one)\n"
               "  --bind ADDRESS    listen on this address or host name only (default: every address)\n",
               static_cast<unsigned>(kestrin::NetPort));
}

} // namespace

int main(int argc, char** argv) {
  unsigned long port = kestrin::NetPort;
  std::string bind;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      PrintUsage(stdout);
      return 0;
    }
    if ((arg == "--port" || arg == "--bind") && i + 1 == argc) {
      std::fprintf(stderr, "kestrin-server: %s needs %s\n", arg.c_str(), arg == "--port" ? "a port number" : "an address");
      return 1;
    }
    if (arg == "--port" || arg == "--bind") {
      const std::string value = argv[++i];
      if (arg == "--bind") {
        bind = value;
        continue;
      }
      char* end = nullptr;
      port = std::strtoul(value.c_str(), &end, 10);
      if (!value.empty() && *end == '\0' && port <= 65535) continue; // 0: any free port
      std::fprintf(stderr, "kestrin-server: not a port number: %s\n", value.c_str());
      return 1;
    }
    std::fprintf(stderr, "kestrin-server: unknown option %s\n", arg.c_str());
    PrintUsage(stderr);
    return 1;
  }

  kestrin::InitTables();
  kestrin::PollLoop loop;
  kestrin::Server server(loop);
  server.log = [](const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
  };
  if (!server.Start(static_cast<std::uint16_t>(port), "Server", bind)) {
    std::fprintf(stderr, "kestrin-server: cannot listen on %s port %lu (port in use, or address not of this machine)\n",
                 bind.empty() ? "every address," : (bind + ",").c_str(), port);
    return 1;
  }
  std::fprintf(stderr, "Listening on %s port %u\n", bind.empty() ? "every address," : (bind + ",").c_str(),
               static_cast<unsigned>(server.Port()));
  runningLoop = &loop;
  struct sigaction action {};
  action.sa_handler = StopOnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  loop.Run();
  runningLoop = nullptr;
  // Every client hears that the server goes before its connection closes.
  server.Shutdown(2000);
  std::fprintf(stderr, "Server stopped\n");
  return 0;
}
