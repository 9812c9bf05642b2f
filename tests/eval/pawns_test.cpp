#include <gtest/gtest.h>

#include <tuple>

#include "eval/evaluate.h"
#include "eval/pawns.h"
#include "eval_support.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

using test::FromFen;

constexpr u8 Files(const char* files) {
  u8 set = 0;
  for (const char* f = files; *f; ++f) set = static_cast<u8>(set | (1u << (*f - 'a')));
  return set;
}

class PawnStructure : public ::testing::Test {
protected:
  void SetUp() override { ResetPawnTable(); }
  void TearDown() override { ResetPawnTable(); }
};

// Structures counted by hand; the colour-flipped position must give the mirror record.
TEST_F(PawnStructure, Records) {
  const struct {
    const char* fen;
    int structure;
    u8 whiteFiles, blackFiles, flags;
  } cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", 0, 0xFF, 0xFF, 0},
      // White: doubled -15, one island -10, both c-pawns isolated -40; Black: one island +10.
      {"4k3/1ppp4/8/8/8/2P5/2P5/4K3 w - -", -55, Files("c"), Files("bcd"), 0},
      // Rook pawns face to face: the islands only; neither is passed, isolated or backward.
      {"4k3/p7/8/8/8/8/P7/4K3 w - -", 0, Files("a"), Files("a"), WhitePawnsOnA | BlackPawnsOnA},
      // e6 passed +71 (its file leaves the set), e3 behind it is not; doubled, island, isolated.
      {"4k3/8/4P3/8/8/4P3/8/4K3 w - -", 71 - 15 - 10 - 40, 0, 0, BlackPawnsOnA | BlackPawnsOnH},
      {"4k3/8/8/8/8/8/3p4/4K3 w - -", -104 + 10 + 20, 0, 0, WhitePawnsOnA | WhitePawnsOnH},
      // d3 lags behind c4 and e4 (level: both files examined), c4 locked by c5: backward -20.
      {"4k3/8/8/2p5/2P1P3/3P4/8/4K3 w - -", -20 + 30 - 10 + 10 + 20, Files("cd"), Files("c"), 0},
      // h2 is passed (+20) and, a rook pawn, never isolated.
      {"4k3/8/8/8/8/8/7P/4K3 w - -", -10 + 20, 0, 0, WhitePawnsOnH | BlackPawnsOnA | BlackPawnsOnH},
      // A queen in a pawn slot is no pawn: the a-pawn is every White pawn.
      {"4k3/p7/8/8/8/P7/8/Q2QK3 w - -", 0, Files("a"), Files("a"), WhitePawnsOnA | BlackPawnsOnA},
  };
  for (const auto& c : cases) {
    const Position p = FromFen(c.fen);
    const PawnEntry e = EvaluatePawns(p), m = EvaluatePawns(test::Mirrored(p));
    EXPECT_EQ(std::make_tuple(e.structure, e.whiteFiles, e.blackFiles, e.flags),
              std::make_tuple(c.structure, c.whiteFiles, c.blackFiles, c.flags))
        << c.fen;
    EXPECT_EQ(std::make_tuple(m.structure, m.middlegame, m.endgame, m.whiteFiles, m.flags),
              std::make_tuple(-e.structure, -e.middlegame, -e.endgame, e.blackFiles, ((e.flags & 3) << 2) | (e.flags >> 2)))
        << c.fen;
  }
}

TEST_F(PawnStructure, APromotedManInAPawnSlotLeavesTheKey) {
  // e8=Q, Kh7, Qe6: the queen keeps the e-pawn's slot.
  Position p = FromFen("6nk/p3P3/8/8/8/8/7P/4K3 w - -");
  for (const char* move : {"e7e8", "h8h7", "e8e6"}) test::Play(p, move);
  EXPECT_EQ(p.pawnKey, PawnKeyOf(p));
  p.pawnKey = PawnKeyOf(p); // as a search starts
  // The same board with a real pawn on e6 fills the cache first.
  ProbePawns(FromFen("6n1/p6k/4P3/8/8/8/7P/4K3 w - -"));
  const int cached = Evaluate(p, EvalLowestBound, EvalHighestBound);
  ClearPawnTable();
  EXPECT_EQ(cached, Evaluate(p, EvalLowestBound, EvalHighestBound));
}

} // namespace
} // namespace kestrin
