#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "eval/corpus.h"
#include "eval/evaluate.h"
#include "eval/kpk.h"
#include "notation/fen.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

// Positions the FEN reader accepts, however odd: pawns on the back ranks, promoted men in pawn
// slots, kings in corners and on edges, castling rights without rooks. Evaluate must stay on
// the board for all of them; the sanitizer build checks every read.
class FenFuzz : public ::testing::Test {
protected:
  CorpusRandom random{0x9E3779B9u};
  u32 Next() { return random.Next(); }
  int Below(int n) { return random.Below(n); }

  // A square near an edge half of the time.
  int KingSquareIndex() {
    if (Below(2)) return Below(64);
    int edge = Below(8);
    switch (Below(4)) {
    case 0: return edge;
    case 1: return 56 + edge;
    case 2: return 8 * edge;
    default: return 8 * edge + 7;
    }
  }

  std::string RandomFen() {
    char squares[64];
    for (char& c : squares) c = 0;
    squares[KingSquareIndex()] = 'K';
    int black = KingSquareIndex();
    if (!squares[black]) squares[black] = 'k';
    static const char men[] = "PPPPQQNBRpppppqqnbr";
    int count = Below(30);
    for (int i = 0; i < count; ++i) {
      int s = Below(64);
      if (!squares[s]) squares[s] = men[Below(sizeof men - 1)];
    }
    std::string fen;
    for (int row = 0; row < 8; ++row) {
      int empty = 0;
      for (int file = 0; file < 8; ++file) {
        char c = squares[8 * row + file];
        if (!c) {
          ++empty;
          continue;
        }
        if (empty) fen += static_cast<char>('0' + empty);
        empty = 0;
        fen += c;
      }
      if (empty) fen += static_cast<char>('0' + empty);
      if (row < 7) fen += '/';
    }
    fen += Below(2) ? " w " : " b ";
    static const char* const rights[] = {"KQkq", "-", "Kq", "Qk", "K", "q"};
    fen += rights[Below(6)];
    return fen + " -";
  }
};

TEST_F(FenFuzz, EvaluateStaysOnTheBoard) {
  test::InitTablesOnce();
  ResetPawnTable();
  ResetKpk();
  ASSERT_EQ(LoadKpk("KPK.kbb"), 1);
  const char* crafted[] = {
      "K6P/8/8/8/8/8/8/p6k w - -",      "k6P/8/8/8/8/8/8/7K b - -",  "7k/8/8/8/8/8/8/K6p w - -",
      "PPPPPPPP/8/8/8/8/8/k7/pppppppK w - -", "QQQQQQQK/QQQQQQQQ/8/8/8/8/8/qqqqqqqk b KQkq -",
      "RR5k/8/8/8/8/8/8/K5rr w - -",    "BBNN3k/8/8/8/8/8/8/K3bbnn b - -", "7K/7P/8/8/8/8/p7/k7 w - -",
  };
  int evaluated = 0;
  auto run = [&](const std::string& fen) {
    Position p;
    if (!ReadFen(fen.data(), fen.size(), p)) return;
    int lower = Below(60001) - 30000, upper = Below(60001) - 30000;
    int lazy = Evaluate(p, lower, upper), full = Evaluate(p, EvalLowestBound, EvalHighestBound);
    // Nine queens and every other piece against a bare king stay far from the 16-bit limits.
    EXPECT_LT(std::abs(lazy), 20000) << fen;
    EXPECT_LT(std::abs(full), 20000) << fen;
    ++evaluated;
  };
  for (const char* fen : crafted) run(fen);
  for (int i = 0; i < 20000; ++i) run(RandomFen());
  EXPECT_GT(evaluated, 19000);
  ResetKpk();
}

} // namespace
} // namespace kestrin
