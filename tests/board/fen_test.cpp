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
#include "support/legalmoves.h"

namespace kestrin {
namespace {

bool Read(const std::string& text, Position& out) { return ReadFen(text.data(), text.size(), out); }

std::string Written(const Position& p) {
  char buffer[FenBufferSize];
  PositionToFen(buffer, p);
  return buffer;
}

TEST(Fen, ReadAndWrittenBack) {
  const struct {
    const char* text;
    const char* written; // all six fields; nullptr: refused, the position left alone
    const char* move;    // "" or a move that must be legal,
    int legalMoves;      // one of this many
  } cases[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w Kq - 0 1", "r3k2r/8/8/8/8/8/8/R3K2R w Kq - 0 1", "", 0},
      // The clocks count from the set-up; a position with Black to move is ply 2 of move 1.
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 17 40", "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "", 0},
      // En passant: written when a pawn can take there, dropped when none can.
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d6", "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", 7},
      {"4k3/8/8/8/2pP4/8/8/4K3 b - d3 0 1", "4k3/8/8/8/2pP4/8/8/4K3 b - d3 0 1", "", 0},
      {"4k3/8/8/3p4/8/8/8/4K3 w - d6", "4k3/8/8/3p4/8/8/8/4K3 w - - 0 1", "", 0},
      // Castling rights whose king or rook is not at home can never be used: dropped.
      {"4k3/8/8/8/8/8/8/4K3 w KQkq - 0 1", "4k3/8/8/8/8/8/8/4K3 w - - 0 1", "", 0},
      {"r3k3/8/8/8/8/8/8/4K2R b KQkq - 0 1", "r3k3/8/8/8/8/8/8/4K2R b Kq - 0 1", "", 0},
      {"r3k2r/8/8/8/8/8/8/R2K3R w KQkq - 0 1", "r3k2r/8/8/8/8/8/8/R2K3R w kq - 0 1", "", 0},
      // Pieces beyond their own slots stand in free pawn slots: a third rook gives check.
      {"1r5k/2r5/8/8/3P4/8/8/K6r w - - 0 1", "1r5k/2r5/8/8/3P4/8/8/K6r w - - 0 1", "a1a2", 1},
      {"N3k2N/8/8/8/8/8/8/N3K2N b - - 0 1", "N3k2N/8/8/8/8/8/8/N3K2N b - - 0 1", "", 0},
      {"BBB1k3/QQ6/8/8/8/8/PPPPPP2/4K3 w - - 0 1", "BBB1k3/QQ6/8/8/8/8/PPPPPP2/4K3 w - - 0 1", "", 0},
      // What no position of ours can hold is refused, not set up without it.
      {"BBB1k3/QQ6/8/8/8/8/PPPPPPP1/4K3 w - - 0 1", nullptr, "", 0}, // a piece with no slot left
      {"4k3/8/8/8/8/P7/PPPPPPPP/4K3 w - - 0 1", nullptr, "", 0},     // a ninth pawn
      {"KKKKKKKK/k7/8/8/8/8/8/78 w - -", nullptr, "", 0},             // a second king
      {"8/8/8/8/8/8/8/K5k w - -", nullptr, "", 0},                    // a square short
      {"8/8/8/8/8/8/8/K6K w - -", nullptr, "", 0},                    // no black king
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
    EXPECT_EQ(Written(p) + test::ConsistencyProblems(p), c.written);
    // What is written reads back to the same position.
    Position again;
    ASSERT_TRUE(Read(Written(p), again));
    EXPECT_EQ(Written(again), c.written);
    if (!*c.move) continue;
    std::string legal; // four letters and a blank a move
    for (Move m : test::LegalMoves(p)) legal += test::CoordinateOf(m) + " ";
    EXPECT_TRUE(legal.size() == 5u * c.legalMoves && legal.find(c.move) != std::string::npos) << c.text << ": " << legal;
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
