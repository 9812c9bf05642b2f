#include "search/bench.h"

#include <chrono>
#include <cstring>
#include <iterator>

#include "board/keys.h"
#include "eval/kpk.h"
#include "notation/fen.h"
#include "search/searchstate.h"
#include "search/think.h"
#include "search/transposition.h"

namespace kestrin {

namespace {

// Opening, middlegame, endgame and tactical positions, and a lone king to mate (no null move there).
constexpr BenchPosition Positions[] = {
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
    {"rook mate", "8/8/8/4k3/8/8/8/R3K3 w - - 0 1"},
};

} // namespace

std::span<const BenchPosition> BenchPositions() { return Positions; }

bool BenchSearch(const char* fen, int depth, BenchResult& result) {
  Position position;
  if (!ReadFen(fen, std::strlen(fen), position)) return false;
  // The table's size decides which entries survive, and so the node count.
  constexpr u32 DefaultMask = (u32(1) << (DefaultHashSizeExponent - 1)) - 1;
  if (!transpositionTable.buckets || transpositionTable.mask != DefaultMask)
    AllocateTranspositionTable(DefaultHashSizeExponent);
  ResetSearchState();
  ClearTranspositionTable();
  ClearRepetitionKeys();
  ResetKpk();
  search.targetSeconds = 1e9f;
  const auto start = std::chrono::steady_clock::now();
  result.score = Think(position, ThinkAnalyse, depth);
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.nodes = search.nodeCount;
  return true;
}

} // namespace kestrin
