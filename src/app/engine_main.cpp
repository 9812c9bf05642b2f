// kestrin-engine: the engine for chess interfaces, without any window, and the developer commands.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/commands.h"
#include "app/modechoice.h"
#include "app/startup.h"

namespace {

void PrintUsage() {
  std::printf(
      "Kestrin Chess engine\n"
      "usage:\n"
      "  kestrin-engine [--home DIR]           engine mode: a chess interface (xboard or UCI protocol)\n"
      "                                        writes its commands to standard input\n"
      "  kestrin-engine perft DEPTH [FEN]      count the leaves of the legal move tree\n"
      "  kestrin-engine bench [DEPTH]          search a fixed set of positions; nodes, time, speed\n"
      "  kestrin-engine evalbench [ROUNDS]     evaluations per second over a fixed set of positions\n"
      "  kestrin-engine bookbench [GAMES]      games per second building a book from generated games\n"
      "  kestrin-engine booklines BOOK         every line the book can play, in coordinates\n"
      "DIR is the folder for settings, bitbase, book and saved games (default ~/.local/share/kestrin).\n");
}

} // namespace

int main(int argc, char** argv) {
  std::string home;
  int first = 1;
  if (argc >= 3 && std::strcmp(argv[1], "--home") == 0) {
    home = argv[2];
    first = 3;
  }
  if (first < argc) {
    kestrin::InitTables();
    const char* command = argv[first];
    if (std::strcmp(command, "perft") == 0) return kestrin::RunPerftCommand(argc - first - 1, argv + first + 1);
    if (std::strcmp(command, "bench") == 0) return kestrin::RunBenchCommand(argc - first - 1, argv + first + 1);
    if (std::strcmp(command, "evalbench") == 0)
      return kestrin::RunEvalBenchCommand(argc - first - 1, argv + first + 1);
    if (std::strcmp(command, "bookbench") == 0)
      return kestrin::RunBookBenchCommand(argc - first - 1, argv + first + 1);
    if (std::strcmp(command, "booklines") == 0)
      return kestrin::RunBookLinesCommand(argc - first - 1, argv + first + 1);
    PrintUsage();
    return std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0 ? 0 : 2;
  }
  // The first line on standard input chooses the engine mode; it is the interface's opening command.
  std::string firstLine;
  if (!kestrin::ReadFirstLine(-1, &firstLine)) {
    PrintUsage();
    return 0;
  }
  return kestrin::RunEngineMode(home, firstLine);
}
