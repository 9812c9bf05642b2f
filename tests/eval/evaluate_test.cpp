#include <gtest/gtest.h>

#include <cstdlib>

#include "board/tables.h"
#include "eval/corpus.h"
#include "eval/evaluate.h"
#include "eval/kpk.h"
#include "eval_support.h"
#include "notation/fen.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

using test::FromFen;
using test::Mirrored;

class Evaluation : public ::testing::Test {
protected:
  void SetUp() override {
    ResetPawnTable();
    ResetKpk();
    ASSERT_EQ(LoadKpk("KPK.kbb"), 1);
  }
  void TearDown() override { ResetKpk(); }
  static int Full(const Position& p) { return Evaluate(p, EvalLowestBound, EvalHighestBound); }
  // The running score after the pawn structure, before the endgame rules and the piece terms.
  static int BeforePieceTerms(const Position& p) {
    return p.materialScore + PieceBalanceBonus(p) + SeventhRankRooks(p) + p.pstScore + EvaluatePawns(p).structure;
  }
};

// Scores counted by hand, term by term; each colour-flipped position must give the negation.
TEST_F(Evaluation, HandCountedScores) {
  const struct {
    const char* fen;
    int whiteCastle, plyCount; // -1: as read
    int score;
  } cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", -1, -1, 0},
      {"r1bqkb1r/pppp1ppp/2n2n2/4p3/4P3/2N2N2/PPPP1PPP/R1BQKB1R w KQkq -", -1, -1, 0},
      // White castled: shield f2 g2 h2 +22; Black's king moved: +29, its shield g7 f7 h6 -22.
      // Material +15, squares -15, pawn placement +10, the c6 knight 9 from g1 -2; the rest
      // (rooks on own pawn files -18 each, queens 10 from the kings) cancels.
      {"3q1rk1/5pp1/2n4p/8/8/8/5PPP/2BQ1RK1 w - -", CastleDone, 10, 15 - 15 + 10 + 22 + 29 - 22 - 2},
      // Endgame: material -15, squares +17, structure +10 (islands -10 and +20, g7 passed -20 and
      // isolated +20), the f3 knight 6 from e8 +7; kings, placement and rooks even.
      {"2b1k2r/p5p1/8/8/8/5N2/PP6/3R2K1 w - -", -1, -1, -15 + 17 + 10 + 7},
      // Two rooks on the seventh against a bare king: the pawnless rules only (material 1008,
      // trade bonus 105, more pieces 75, the king in the corner 300 + 90, kings 4 apart).
      {"k7/1RR5/8/8/8/8/8/7K w - -", -1, -1, 1008 + 105 + 75 + 300 + 90 - 4 * 14},
      {"4k3/pp6/8/8/8/8/8/4KB2 w - -", -1, -1, -1}, // a bishop against two pawns cannot win
      {"k7/8/K7/P7/8/8/8/8 w - -", -1, -1, 0},     // the rook pawn with the king in its corner
  };
  for (const auto& c : cases) {
    Position p = FromFen(c.fen);
    if (c.whiteCastle >= 0) p.castleState[0] = static_cast<u8>(c.whiteCastle);
    if (c.plyCount >= 0) p.plyCount = static_cast<u16>(c.plyCount);
    EXPECT_EQ(Full(p), c.score) << c.fen;
    EXPECT_EQ(Full(Mirrored(p)), -c.score) << c.fen;
  }
}

// Pairs that differ in White's castling state or the ply count only, so that the difference is
// one rule: the king shield (and 29 for a king moved without castling), or the king squares that
// count only before ply 48 of a middlegame. The colour-flipped pairs check Black's side.
TEST_F(Evaluation, RulesSeenInDifferences) {
  const struct {
    const char* fen;
    int castleA, castleB, plyA, plyB; // -1: as read
    int difference;                   // B minus A
  } cases[] = {
      {"r2q1rk1/ppp2ppp/2n5/8/8/2N5/PPP2PPP/R2Q1RK1 w - -", CastleKingSideOnly, CastleDone, -1, -1, -16 + 16 + 11 + 11}, // f2 g2 h2
      {"r2q1rk1/ppp2ppp/2n5/8/8/2N2PPP/PPP5/R2Q1RK1 w - -", CastleKingSideOnly, CastleDone, -1, -1, 22}, // two ranks up alike
      {"r2q1rk1/ppp2ppp/2n5/8/8/2N5/PPP5/R2Q1RK1 w - -", CastleKingSideOnly, CastleNone, -1, -1, -16 - 29},
      {"r2q1rk1/ppp2ppp/2n5/8/8/2N5/PPP2PPP/R2QK2R w KQ -", -1, -1, 47, 48, 12 + 10}, // e1 -12, g8 -10 dropped
      {"r4rk1/ppp2ppp/2n5/8/8/2N5/PPP2PPP/R3K2R w KQ -", -1, -1, 10, 90, 0},            // an endgame
  };
  for (const auto& c : cases) {
    Position a = FromFen(c.fen), b = a;
    if (c.castleA >= 0) a.castleState[0] = static_cast<u8>(c.castleA);
    if (c.castleB >= 0) b.castleState[0] = static_cast<u8>(c.castleB);
    if (c.plyA >= 0) a.plyCount = static_cast<u16>(c.plyA);
    if (c.plyB >= 0) b.plyCount = static_cast<u16>(c.plyB);
    EXPECT_EQ(Full(b) - Full(a), c.difference) << c.fen;
    EXPECT_EQ(Full(Mirrored(b)) - Full(Mirrored(a)), -c.difference) << c.fen;
  }
}

TEST_F(Evaluation, KingAndPawnTakeTheBitbaseVerdict) {
  const Position white = FromFen("4k3/8/4K3/4P3/8/8/8/8 b - -");
  EXPECT_EQ(Full(white), BeforePieceTerms(white) + 500);
  EXPECT_EQ(Full(Mirrored(white)), -Full(white));
}

TEST_F(Evaluation, LazyExitOnlyBeyondTheMargin) {
  for (const char* fen : {"r2q1rk1/pp3ppp/2n1b3/3p4/3P4/2N1BN2/PP3PPP/R2Q1RK1 w - -",
                          "r2q1rk1/pp3ppp/2n1b3/3p4/3P4/2N1BN2/PP3PPP/R2Q1RK1 b - -"}) {
    const Position p = FromFen(fen);
    const int early = BeforePieceTerms(p), full = Full(p), sign = p.sideToMove == White ? 1 : -1;
    ASSERT_NE(early, full) << fen;
    auto bound = [&](int margin) { return early - sign * margin; }; // the bound that matters to the mover
    auto eval = [&](int b) { return sign > 0 ? Evaluate(p, EvalLowestBound, b) : Evaluate(p, b, EvalHighestBound); };
    EXPECT_EQ(eval(bound(LazyMargin + 1)), early) << fen;
    EXPECT_EQ(eval(bound(LazyMargin)), full) << fen;
    EXPECT_EQ(sign > 0 ? Evaluate(p, early + 10000, EvalHighestBound) : Evaluate(p, EvalLowestBound, early - 10000),
              full)
        << fen; // the other bound is no concern of the mover
  }
}

// The colour-flipped position scores the negation. Two rules are asymmetric by design: the
// king-centre table has 0 on h7 but 2 on h2, and the endgame scalings shift right, which rounds
// toward minus infinity.
TEST_F(Evaluation, ColourFlipNegatesTheScoreOverRandomGames) {
  const std::vector<Position> corpus = RandomGamePositions(20240611, 30, 240);
  int exact = 0;
  for (const Position& p : corpus) {
    const int e = Full(p), f = Full(Mirrored(p));
    if (e == -f) {
      ++exact;
      continue;
    }
    const bool scaled = p.whitePawns + p.blackPawns == 0 || (p.whitePieces <= 1 && p.blackPieces <= 1);
    auto onH = [](int k) { return k == SquareAt(7, 7) || k == SquareAt(7, 2); };
    const bool edgeKing = onH(KingSquare(p, White)) || onH(KingSquare(p, Black));
    const int gap = std::abs(e + f);
    EXPECT_TRUE((scaled && gap <= 2) || (edgeKing && gap <= 4)) << test::ToFen(p) << ": " << e << " vs " << f;
  }
  EXPECT_GT(exact, static_cast<int>(corpus.size()) * 9 / 10);
}

// Whatever the FEN reader accepts (pawns on the back ranks, promoted men in pawn slots, kings on
// the edges, castling rights without rooks) is evaluated on the board and inside 16 bits.
TEST_F(Evaluation, OddPositionsStayOnTheBoard) {
  CorpusRandom random{0x9E3779B9u};
  static const char men[] = "PPPPQQNBRpppppqqnbr";
  int evaluated = 0;
  for (int i = 0; i < 20000; ++i) {
    std::string squares(64, '1');
    squares[random.Below(2) ? random.Below(64) : 8 * random.Below(8) + 7 * random.Below(2)] = 'K';
    const int black = random.Below(64);
    if (squares[black] == '1') squares[black] = 'k';
    for (int n = random.Below(30); n > 0; --n) {
      const int s = random.Below(64);
      if (squares[s] == '1') squares[s] = men[random.Below(sizeof men - 1)];
    }
    std::string fen;
    for (int row = 0; row < 8; ++row) fen += squares.substr(8 * row, 8) + (row < 7 ? "/" : "");
    static const char* const rights[] = {" w KQkq -", " b - -", " w Kq -", " b Qk -"};
    fen += rights[random.Below(4)];
    Position p;
    if (!ReadFen(fen.data(), fen.size(), p)) continue;
    ++evaluated;
    const int lazy = Evaluate(p, random.Below(60001) - 30000, random.Below(60001) - 30000);
    EXPECT_LT(std::abs(lazy), 20000) << fen;
    EXPECT_LT(std::abs(Full(p)), 20000) << fen;
  }
  EXPECT_GT(evaluated, 10000);
}

} // namespace
} // namespace kestrin
