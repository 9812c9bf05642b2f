#include "app/commands.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/perft.h"
#include "notation/fen.h"

namespace kestrin {

namespace {

void SquareText(int square, char* out) {
  out[0] = static_cast<char>('a' + square % 10 - 2);
  out[1] = static_cast<char>('0' + 10 - square / 10);
}

// Coordinate text of a root move: e2e4, e1g1 for castling, e7e8q for a promotion.
void CoordinateText(const Position& p, const PerftDivision& d, char* out) {
  static const int castleKingFrom[4] = {E1, E1, E8, E8};
  int from = MoveFrom(d.move);
  if (from >= FirstCastleCode) from = castleKingFrom[from - CastleWhiteShort];
  (void)p;
  SquareText(from, out);
  SquareText(MoveTo(d.move), out + 2);
  int n = 4;
  if (d.promotionType) out[n++] = "..pbnrqk"[d.promotionType];
  out[n] = 0;
}

} // namespace

int RunPerftCommand(int argc, char** argv) {
  if (argc < 1) {
    std::fprintf(stderr, "usage: kestrin-engine perft DEPTH [FEN]\n");
    return 2;
  }
  char* end = nullptr;
  long depth = std::strtol(argv[0], &end, 10);
  if (*argv[0] == 0 || *end != 0 || depth < 1 || depth > 12) {
    std::fprintf(stderr, "perft: the depth must be a number from 1 to 12\n");
    return 2;
  }
  Position position;
  SetStartPosition(position);
  if (argc > 1) {
    std::string fen;
    for (int i = 1; i < argc; ++i) fen += std::string(i > 1 ? " " : "") + argv[i];
    if (!ReadFen(fen.data(), fen.size(), position)) {
      std::fprintf(stderr, "Not a valid Position\n");
      return 2;
    }
  }
  auto start = std::chrono::steady_clock::now();
  auto division = PerftDivide(position, static_cast<int>(depth));
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  u64 total = 0;
  for (const PerftDivision& d : division) {
    char text[8];
    CoordinateText(position, d, text);
    std::printf("%s: %llu\n", text, static_cast<unsigned long long>(d.leaves));
    total += d.leaves;
  }
  std::printf("\nMoves: %zu\nLeaves: %llu\nTime: %.3f s\nLeaves per second: %.0f\n", division.size(),
              static_cast<unsigned long long>(total), seconds, seconds > 0 ? total / seconds : 0.0);
  return 0;
}

} // namespace kestrin
