#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "board/movegen.h"
#include "eval/evaluate.h"
#include "eval/kpk.h"
#include "notation/fen.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

bool Read(const std::string& text, Position& out) { return ReadFen(text.data(), text.size(), out); }
TEST(Fen, ReadAndWrittenBack) {
  const struct {
    const char* text;
    const char* written; // nullptr: refused, the position left alone
    const char* ep;      // the en-passant square kept, "" for none
  } cases[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w Kq - 0 1", "r3k2r/8/8/8/8/8/8/R3K2R w Kq -", ""},
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d6", "4k3/8/8/3pP3/8/8/8/4K3 w - -", "d6"},
      {"4k3/8/8/3p4/8/8/8/4K3 w - d6", "4k3/8/8/3p4/8/8/8/4K3 w - -", ""},       // no pawn to take
      {"KKKKKKKK/k7/8/8/8/8/8/78 w - -", "K7/k7/8/8/8/8/8/8 w - -", ""}, // one king kept, the walk ends
      {"8/8/8/8/8/8/8/K5k w - -", nullptr, ""}, // a square short
      {"8/8/8/8/8/8/8/K6K w - -", nullptr, ""}, // no black king
  };
  for (const auto& c : cases) {
    Position p;
    SetStartPosition(p);
    const Position before = p;
    ASSERT_EQ(Read(c.text, p), c.written != nullptr) << c.text;
    if (!c.written) {
      EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0) << c.text;
      continue;
    }
    EXPECT_EQ(test::ToFen(p) + test::ConsistencyProblems(p), c.written);
    EXPECT_EQ(p.epSquare, *c.ep ? SquareAt(c.ep[0] - 'a', c.ep[1] - '0') : NoEpSquare) << c.text;
  }
}

// Whatever the reader accepts (pawns on the back ranks, promoted men in pawn slots, kings on the
// edges, castling rights without rooks) is a consistent position that the generators and the
// evaluation handle without leaving the board.
TEST(Fen, HostileTextGivesAConsistentPositionOrNone) {
  LoadKpk("KPK.kbb");
  const std::string seeds[] = {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
                               "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
                               "QQQQQQQK/QqQqQqQq/8/8/8/8/8/qqqqqqqk b KQkq -", "K6P/8/8/2pP4/8/8/8/p6k w - c6",
                               "7K/7P/8/8/8/8/p7/k7 w - -", std::string(10240, 'p')};
  const std::string alphabet = "pnbrqkPNBRQK123456789/ -wbKQkqabcdefgh0\x01\xff";
  std::mt19937 random(11);
  int accepted = 0;
  for (int i = 0; i < 20000; ++i) {
    std::string text = seeds[i % std::size(seeds)];
    for (int k = random() % 6; k >= 0; --k) text[random() % text.size()] = alphabet[random() % alphabet.size()];
    if (random() % 4 == 0) text.resize(random() % text.size());
    Position p;
    if (!Read(text, p) || !++accepted) continue;
    ASSERT_EQ(test::ConsistencyProblems(p), "") << text;
    MoveList list;
    GenerateMoves(p.sideToMove, p, list);
    ASSERT_LT(std::abs(Evaluate(p, EvalLowestBound, EvalHighestBound)), 20000) << text;
  }
  ResetKpk();
  EXPECT_GT(accepted, 1000);
}

} // namespace
} // namespace kestrin
