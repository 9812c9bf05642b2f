// Computes the king-and-pawn-versus-king bitbase by retrograde analysis and writes it in the
// layout the evaluation reads. Usage: kpkgen OUTPUT
//
// Squares are 0-63 with a8 = 0; the side with the pawn is White, moving toward row 0. Only
// pawns on files a-d are solved: a pawn never leaves its file, and files e-h read the
// mirrored position.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "eval/kpk.h"

namespace {

using kestrin::KpkBitIndex;

int Row(int s) { return s / 8; }
int Column(int s) { return s % 8; }
int Distance(int a, int b) { return std::max(std::abs(Row(a) - Row(b)), std::abs(Column(a) - Column(b))); }
bool OnBoard(int row, int column) { return row >= 0 && row < 8 && column >= 0 && column < 8; }

bool PawnAttacks(int pawn, int s) { return Row(s) == Row(pawn) - 1 && std::abs(Column(s) - Column(pawn)) == 1; }

// Whether a queen (or rook) on `piece` attacks `target`, the White king on `block` the only
// man in the way (the Black king is looked through, so it cannot step back along a line).
bool SliderAttacks(int piece, int target, int block, bool diagonals) {
  for (int dr = -1; dr <= 1; ++dr)
    for (int dc = -1; dc <= 1; ++dc) {
      if ((dr == 0 && dc == 0) || (!diagonals && dr != 0 && dc != 0)) continue;
      for (int r = Row(piece) + dr, c = Column(piece) + dc; OnBoard(r, c); r += dr, c += dc) {
        int s = 8 * r + c;
        if (s == target) return true;
        if (s == block) break;
      }
    }
  return false;
}

// After a promotion on `queening` with Black to move: won unless Black can take the new
// piece or is stalemated. King and queen, or king and rook, win every other position.
bool PromotionWins(int whiteKing, int blackKing, int queening, bool queen) {
  bool anyMove = false;
  for (int dr = -1; dr <= 1; ++dr)
    for (int dc = -1; dc <= 1; ++dc) {
      if (dr == 0 && dc == 0) continue;
      int r = Row(blackKing) + dr, c = Column(blackKing) + dc;
      if (!OnBoard(r, c)) continue;
      int t = 8 * r + c;
      if (Distance(t, whiteKing) <= 1) continue;
      if (t == queening) return false; // the undefended piece is taken
      if (SliderAttacks(queening, t, whiteKing, queen)) continue;
      anyMove = true;
    }
  if (anyMove) return true;
  return SliderAttacks(queening, blackKing, whiteKing, queen); // mate, else stalemate
}

class Solver {
public:
  Solver() : win_(8 * kestrin::KpkBytes, 0) {}

  void Solve() {
    bool changed = true;
    while (changed) {
      changed = false;
      for (int pawn = 8; pawn < 56; ++pawn) {
        if (Column(pawn) >= 4) continue;
        for (int wk = 0; wk < 64; ++wk)
          for (int bk = 0; bk < 64; ++bk)
            for (int whiteToMove = 0; whiteToMove < 2; ++whiteToMove) {
              if (!Legal(wk, bk, pawn, whiteToMove)) continue;
              int i = KpkBitIndex(wk, bk, pawn, whiteToMove);
              if (win_[i]) continue;
              if (whiteToMove ? WhiteWins(wk, bk, pawn) : BlackLoses(wk, bk, pawn)) {
                win_[i] = 1;
                changed = true;
              }
            }
      }
    }
  }

  std::vector<unsigned char> Bits() const {
    std::vector<unsigned char> bytes(kestrin::KpkBytes, 0);
    for (std::size_t i = 0; i < win_.size(); ++i)
      if (win_[i]) bytes[i >> 3] = static_cast<unsigned char>(bytes[i >> 3] | (1u << (i & 7)));
    return bytes;
  }

private:
  static bool Legal(int wk, int bk, int pawn, int whiteToMove) {
    if (wk == bk || wk == pawn || bk == pawn || Distance(wk, bk) <= 1) return false;
    return !(whiteToMove && PawnAttacks(pawn, bk));
  }

  bool Won(int wk, int bk, int pawn, int whiteToMove) const {
    return win_[KpkBitIndex(wk, bk, pawn, whiteToMove)] != 0;
  }

  bool WhiteWins(int wk, int bk, int pawn) const {
    for (int dr = -1; dr <= 1; ++dr)
      for (int dc = -1; dc <= 1; ++dc) {
        int r = Row(wk) + dr, c = Column(wk) + dc;
        if ((dr == 0 && dc == 0) || !OnBoard(r, c)) continue;
        int t = 8 * r + c;
        if (t != pawn && Distance(t, bk) > 1 && Won(t, bk, pawn, 0)) return true;
      }
    int push = pawn - 8;
    if (push == wk || push == bk) return false;
    if (Row(push) == 0) return PromotionWins(wk, bk, push, true) || PromotionWins(wk, bk, push, false);
    if (Won(wk, bk, push, 0)) return true;
    int twoSteps = pawn - 16;
    return Row(pawn) == 6 && twoSteps != wk && twoSteps != bk && Won(wk, bk, twoSteps, 0);
  }

  bool BlackLoses(int wk, int bk, int pawn) const {
    bool anyMove = false;
    for (int dr = -1; dr <= 1; ++dr)
      for (int dc = -1; dc <= 1; ++dc) {
        int r = Row(bk) + dr, c = Column(bk) + dc;
        if ((dr == 0 && dc == 0) || !OnBoard(r, c)) continue;
        int t = 8 * r + c;
        if (Distance(t, wk) <= 1 || PawnAttacks(pawn, t)) continue;
        if (t == pawn) return false; // the pawn falls: a draw
        if (!Won(wk, t, pawn, 1)) return false;
        anyMove = true;
      }
    // Without a move Black is mated when the pawn gives check, else stalemated.
    return anyMove || PawnAttacks(pawn, bk);
  }

  std::vector<unsigned char> win_; // by bit index
};

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kpkgen OUTPUT\n");
    return 2;
  }
  Solver solver;
  solver.Solve();
  std::vector<unsigned char> bytes = solver.Bits();
  std::string temporary = std::string(argv[1]) + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (file && std::fclose(file) != 0) written = false;
  if (!written || std::rename(temporary.c_str(), argv[1]) != 0) {
    std::fprintf(stderr, "kpkgen: cannot write %s\n", argv[1]);
    std::remove(temporary.c_str());
    return 1;
  }
  return 0;
}
