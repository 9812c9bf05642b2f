#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/commands.h"
#include "search/bench.h"

namespace kestrin {

int RunBenchCommand(int argc, char** argv) {
  int depth = 7;
  if (argc >= 1) {
    char* end = nullptr;
    long value = std::strtol(argv[0], &end, 10);
    if (*argv[0] == 0 || *end != 0 || value < 1 || value > 28) {
      std::fprintf(stderr, "bench: the depth must be a number from 1 to 28\n");
      return 2;
    }
    depth = static_cast<int>(value);
  }
  std::string fen;
  for (int i = 1; i < argc; ++i) fen += std::string(i > 1 ? " " : "") + argv[i];
  const BenchPosition given[] = {{"given", fen.c_str()}};
  const std::span<const BenchPosition> positions = fen.empty() ? BenchPositions() : given;

  unsigned long long totalNodes = 0;
  double totalSeconds = 0;
  std::printf("%-16s %12s %9s %12s  %s\n", "position", "nodes", "seconds", "nodes/s", "score");
  for (const BenchPosition& b : positions) {
    BenchResult r;
    if (!BenchSearch(b.fen, depth, r)) {
      std::fprintf(stderr, "Not a valid Position\n");
      return 2;
    }
    totalNodes += r.nodes;
    totalSeconds += r.seconds;
    std::printf("%-16s %12llu %9.3f %12.0f  %d\n", b.name, static_cast<unsigned long long>(r.nodes), r.seconds,
                r.seconds > 0 ? r.nodes / r.seconds : 0.0, r.score);
  }
  std::printf("\nDepth: %d\nNodes: %llu\nTime: %.3f s\nNodes per second: %.0f\n", depth, totalNodes, totalSeconds,
              totalSeconds > 0 ? totalNodes / totalSeconds : 0.0);
  return 0;
}

} // namespace kestrin
