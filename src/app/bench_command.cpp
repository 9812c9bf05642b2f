#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/commands.h"
#include "notation/fen.h"
#include "platform/frontend.h"
#include "search/searchstate.h"
#include "search/think.h"
#include "search/transposition.h"
#include "eval/pawns.h"

namespace kestrin {

namespace {

struct BenchPosition {
  const char* name;
  const char* fen;
};

// Opening, middlegame, endgame and tactical positions; the node total over all of them is a
// signature of the search's behaviour.
const BenchPosition BenchPositions[] = {
    {"initial", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
    {"open game", "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3"},
    {"queen's gambit", "rnbqkb1r/ppp2ppp/4pn2/3p4/2PP4/2N5/PP2PPPP/R1BQKBNR w KQkq - 2 4"},
    {"sicilian", "r1bqkb1r/pp2pppp/2np1n2/8/3NP3/2N5/PPP2PPP/R1BQKB1R w KQkq - 2 6"},
    {"kiwipete", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"},
    {"middlegame", "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10"},
    {"closed centre", "r1bq1rk1/pp2bppp/2n1pn2/2pp4/3P4/2PBPN2/PP1N1PPP/R1BQ1RK1 w - - 0 8"},
    {"tactics", "r1b1kb1r/pppp1ppp/5q2/4n3/3KP3/2N3PN/PPP4P/R1BQ1B1R b kq - 0 1"},
    {"mate in three", "r5rk/5p1p/5R2/4B3/8/8/7P/7K w - - 0 1"},
    {"rook ending", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1"},
    {"pawn ending", "8/8/1p1k4/p1p5/P1P1K3/1P6/8/8 w - - 0 1"},
    {"queen ending", "8/6k1/5pp1/8/3Q4/6P1/5PK1/1q6 w - - 0 1"},
};

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

} // namespace

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
  BenchPosition single{"given", fen.c_str()};
  const BenchPosition* first = fen.empty() ? BenchPositions : &single;
  const BenchPosition* last = fen.empty() ? std::end(BenchPositions) : &single + 1;

  AllocateTranspositionTable(DefaultHashSizeExponent);
  unsigned long long totalNodes = 0;
  double totalSeconds = 0;
  std::printf("%-16s %12s %9s %12s  %s\n", "position", "nodes", "seconds", "nodes/s", "score");
  for (const BenchPosition* b = first; b != last; ++b) {
    Position position;
    if (!ReadFen(b->fen, std::string(b->fen).size(), position)) {
      std::fprintf(stderr, "Not a valid Position\n");
      return 2;
    }
    ResetSearchState();
    ClearTranspositionTable();
    search.targetSeconds = 1e9f;
    auto start = std::chrono::steady_clock::now();
    int score = Think(position, ThinkAnalyse, depth);
    double seconds = Seconds(std::chrono::steady_clock::now() - start);
    unsigned long long nodes = search.nodeCount;
    totalNodes += nodes;
    totalSeconds += seconds;
    std::printf("%-16s %12llu %9.3f %12.0f  %d\n", b->name, nodes, seconds, seconds > 0 ? nodes / seconds : 0.0,
                score);
  }
  std::printf("\nDepth: %d\nNodes: %llu\nTime: %.3f s\nNodes per second: %.0f\n", depth, totalNodes, totalSeconds,
              totalSeconds > 0 ? totalNodes / totalSeconds : 0.0);
  return 0;
}

} // namespace kestrin
