#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/commands.h"
#include "eval/corpus.h"
#include "eval/evaluate.h"
#include "eval/kpk.h"
#include "eval/pawns.h"

namespace kestrin {

namespace {

// The fixed corpus: every position of 200 seeded random games of at most 100 plies, mostly
// middlegames with a share of endings.
constexpr u32 CorpusSeed = 20240611;
constexpr int CorpusGames = 200;
constexpr int CorpusPlies = 100;
constexpr int DefaultRounds = 1000;

} // namespace

int RunEvalBenchCommand(int argc, char** argv) {
  long rounds = DefaultRounds;
  if (argc >= 1) {
    char* end = nullptr;
    rounds = std::strtol(argv[0], &end, 10);
    if (*argv[0] == 0 || *end != 0 || rounds < 1 || rounds > 100000) {
      std::fprintf(stderr, "evalbench: the number of rounds must be a number from 1 to 100000\n");
      return 2;
    }
  }
  LoadKpk();
  const std::vector<Position> corpus = RandomGamePositions(CorpusSeed, CorpusGames, CorpusPlies);
  ClearPawnTable();
  // Every term is computed: the widest window never takes the lazy exit.
  long long sum = 0;
  auto start = std::chrono::steady_clock::now();
  for (long round = 0; round < rounds; ++round)
    for (const Position& p : corpus) sum += Evaluate(p, EvalLowestBound, EvalHighestBound);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double evaluations = static_cast<double>(corpus.size()) * static_cast<double>(rounds);
  std::printf("Positions: %zu\nRounds: %ld\nEvaluations: %.0f\nScore sum: %lld\nTime: %.3f s\n"
              "Evaluations per second: %.0f\n",
              corpus.size(), rounds, evaluations, sum, seconds, seconds > 0 ? evaluations / seconds : 0.0);
  return 0;
}

} // namespace kestrin
