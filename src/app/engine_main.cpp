// kestrin-engine: the engine without a window, and the developer commands.
#include <cstdio>
#include <cstring>

#include "app/commands.h"
#include "app/startup.h"

namespace {

void PrintUsage() {
  std::printf(
      "Kestrin Chess engine\n"
      "usage:\n"
      "  kestrin-engine perft DEPTH [FEN]   count the leaves of the legal move tree\n"
      "  kestrin-engine evalbench [ROUNDS]  evaluations per second over a fixed corpus of positions\n");
}

} // namespace

int main(int argc, char** argv) {
  kestrin::InitTables();
  if (argc >= 2 && std::strcmp(argv[1], "perft") == 0) return kestrin::RunPerftCommand(argc - 2, argv + 2);
  if (argc >= 2 && std::strcmp(argv[1], "evalbench") == 0) return kestrin::RunEvalBenchCommand(argc - 2, argv + 2);
  PrintUsage();
  return argc >= 2 ? 2 : 0;
}
