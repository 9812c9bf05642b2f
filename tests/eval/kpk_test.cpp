#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include <gtb-probe.h>

#include "eval/kpk.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

using test::FromFen;

// The bitbase the build generated beside the executables; the suites run from there.
constexpr const char* BuiltBitbase = "KPK.kbb";

int Sq(const char* name) { return 8 * ('8' - name[1]) + name[0] - 'a'; }

TEST(KpkIndex, Normalisation) {
  // Kd6, d7 against Kd8 with the defender to move: pawn index 3 (row 1, column 3).
  EXPECT_EQ(KpkBitIndex(Sq("d6"), Sq("d8"), Sq("d7"), 0), ((2 * 3 + 0) * 64 + Sq("d8")) * 64 + Sq("d6"));
  // e2 counts as d2 (pawn index 23) and both kings are mirrored: e1 -> d1, e8 -> d8.
  EXPECT_EQ(KpkBitIndex(Sq("e1"), Sq("e8"), Sq("e2"), 1), ((2 * 23 + 1) * 64 + Sq("d8")) * 64 + Sq("d1"));
  EXPECT_EQ(KpkBitIndex(Sq("e1"), Sq("e8"), Sq("e2"), 1), KpkBitIndex(Sq("d1"), Sq("d8"), Sq("d2"), 1));
  // A Black pawn on c2 turns into a White pawn on f7 (63 - 50 = 13), read as c7: index 2.
  EXPECT_EQ(KpkTurned(Sq("c2")), Sq("f7"));
  EXPECT_EQ(KpkBitIndex(0, 63, Sq("f7"), 0), ((2 * 2 + 0) * 64 + 56) * 64 + 7);
  // The largest index falls in the last byte.
  EXPECT_EQ(KpkBitIndex(Sq("h1"), Sq("h1"), Sq("d2"), 1), 196607);
  EXPECT_EQ(196607 / 8, KpkBytes - 1);
  EXPECT_EQ(KpkSquareOf(A8), 0);
  EXPECT_EQ(KpkSquareOf(H1), 63);
  EXPECT_EQ(KpkSquareOf(SquareAt(2, 2)), Sq("c2"));
}

class KpkFile : public ::testing::Test {
protected:
  void SetUp() override { ResetKpk(); }
  void TearDown() override { ResetKpk(); }
  static void Write(const char* path, std::size_t bytes) {
    std::ofstream out(path, std::ios::binary);
    std::vector<char> data(bytes, '\xFF');
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
  }
};

TEST_F(KpkFile, LoadingAndProbing) {
  EXPECT_EQ(LoadKpk("no-such-directory/KPK.kbb"), 0);
  EXPECT_FALSE(kpkLoaded);
  int score = 77;
  Position p = FromFen("3k4/3P4/3K4/8/8/8/8/8 b - -");
  EXPECT_FALSE(ProbeKpkPosition(p, score)); // not loaded: no verdict
  EXPECT_EQ(score, 77);

  ASSERT_EQ(LoadKpk(BuiltBitbase), 1) << "the build places KPK.kbb in the build directory";
  EXPECT_TRUE(kpkLoaded);
  // The bit of a probe folds into the score: a win adds the value, a draw gives 0.
  int bit = KpkBitIndex(Sq("d6"), Sq("d8"), Sq("d7"), 0);
  KpkBitbase[bit >> 3] = static_cast<u8>(KpkBitbase[bit >> 3] | (1u << (bit & 7)));
  score = 40;
  EXPECT_TRUE(ProbeKpk(Sq("d6"), Sq("d8"), Sq("d7"), 0, score, 500));
  EXPECT_EQ(score, 540);
  KpkBitbase[bit >> 3] = static_cast<u8>(KpkBitbase[bit >> 3] & ~(1u << (bit & 7)));
  EXPECT_TRUE(ProbeKpk(Sq("d6"), Sq("d8"), Sq("d7"), 0, score, 500));
  EXPECT_EQ(score, 0);
  // A pawn on a back rank (possible in a set-up position) is never looked up.
  score = 40;
  EXPECT_FALSE(ProbeKpk(Sq("d6"), Sq("d8"), Sq("d1"), 0, score, 500));
  EXPECT_FALSE(ProbeKpk(Sq("d6"), Sq("a1"), Sq("d8"), 0, score, 500));
  EXPECT_EQ(score, 40);
  EXPECT_FALSE(ProbeKpkPosition(FromFen("3k3P/8/3K4/8/8/8/8/8 b - -"), score));
  EXPECT_FALSE(ProbeKpkPosition(FromFen("3k4/8/3K4/8/8/8/8/p7 b - -"), score));
  // Other material is not a bitbase position.
  EXPECT_FALSE(ProbeKpkPosition(FromFen("3k4/3P4/3K4/8/8/8/8/N7 b - -"), score));
  EXPECT_FALSE(ProbeKpkPosition(FromFen("3k4/3P4/3K4/8/8/8/7p/8 b - -"), score));
  EXPECT_EQ(score, 40);
}

TEST_F(KpkFile, OnlyAFileOfTheRightSizeLoads) {
  const char* path = "kpk-test-short.kbb";
  Write(path, KpkBytes - 1);
  EXPECT_EQ(LoadKpk(path), 0);
  EXPECT_FALSE(kpkLoaded);
  Write(path, KpkBytes + 1);
  EXPECT_EQ(LoadKpk(path), 0);
  EXPECT_FALSE(kpkLoaded);
  EXPECT_EQ(KpkBitbase[0], 0); // nothing of a refused file is used
  Write(path, KpkBytes);
  EXPECT_EQ(LoadKpk(path), 1);
  EXPECT_EQ(KpkBitbase[KpkBytes - 1], 0xFF);
  std::remove(path);
}

TEST_F(KpkFile, KnownVerdicts) {
  ASSERT_EQ(LoadKpk(BuiltBitbase), 1);
  auto verdict = [](const char* fen) {
    int score = 1;
    EXPECT_TRUE(ProbeKpkPosition(FromFen(fen), score)) << fen;
    return score == 0 ? 0 : (score > 0 ? 1 : -1);
  };
  // The king on the sixth in front of its pawn wins whoever moves, for either colour.
  EXPECT_EQ(verdict("4k3/8/4K3/4P3/8/8/8/8 w - -"), 1);
  EXPECT_EQ(verdict("4k3/8/4K3/4P3/8/8/8/8 b - -"), 1);
  EXPECT_EQ(verdict("8/8/8/8/4p3/4k3/8/4K3 w - -"), -1);
  EXPECT_EQ(verdict("8/8/8/8/4p3/4k3/8/4K3 b - -"), -1);
  EXPECT_EQ(verdict("k7/8/K7/P7/8/8/8/8 w - -"), 0); // the rook pawn with the king in its corner
  EXPECT_EQ(verdict("k7/P7/1K6/8/8/8/8/8 b - -"), 0); // stalemate
  EXPECT_EQ(verdict("7K/8/8/8/8/8/5kp1/8 b - -"), -1); // the pawn runs
  EXPECT_EQ(verdict("7K/8/8/8/8/8/5kp1/8 w - -"), -1);
  EXPECT_EQ(verdict("8/8/8/8/8/8/k5pK/8 w - -"), 0);   // ... unless the king takes it
}

// Every legal king-and-pawn-against-king position, the pawn of either colour and either side
// to move, judged by our bitbase and by the Gaviota tablebases.
TEST(KpkGaviota, EveryPositionAgrees) {
  ResetKpk();
  ASSERT_EQ(LoadKpk(BuiltBitbase), 1);
  const char** paths = tbpaths_add(tbpaths_init(), GAVIOTA_TABLES);
  tb_init(0, tb_CP4, paths);
  tbcache_init(8 * 1024 * 1024, 96);
  ASSERT_TRUE(tb_is_initialized());
  ASSERT_NE(tb_availability() & 1u, 0u) << "the 3-man tablebases are missing";

  auto tbSquare = [](int file, int rank) { return static_cast<unsigned>(8 * (rank - 1) + file); };
  auto adjacent = [](int f1, int r1, int f2, int r2) { return std::abs(f1 - f2) <= 1 && std::abs(r1 - r2) <= 1; };
  long compared = 0, wins = 0, mismatches = 0;
  Position p;
  for (int pawnColour = White; pawnColour <= Black; ++pawnColour)
    for (int ps = 0; ps < 64; ++ps) {
      int pf = ps % 8, pr = ps / 8 + 1;
      if (pr == 1 || pr == 8) continue;
      int forward = pawnColour == White ? 1 : -1;
      for (int ws = 0; ws < 64; ++ws)
        for (int bs = 0; bs < 64; ++bs) {
          int wf = ws % 8, wr = ws / 8 + 1, bf = bs % 8, br = bs / 8 + 1;
          if (ws == bs || ws == ps || bs == ps || adjacent(wf, wr, bf, br)) continue;
          int enemyFile = pawnColour == White ? bf : wf, enemyRank = pawnColour == White ? br : wr;
          bool pawnChecks = enemyRank == pr + forward && std::abs(enemyFile - pf) == 1;
          for (int side = White; side <= Black; ++side) {
            if (pawnChecks && side == pawnColour) continue; // the side not to move is in check
            ClearPosition(p);
            PlacePiece(p, wf, 8 - wr, WhiteKing);
            PlacePiece(p, bf, 8 - br, BlackKing);
            PlacePiece(p, pf, 8 - pr, pawnColour == White ? WhitePawn : BlackPawn);
            p.sideToMove = static_cast<u8>(side);
            int score = 1;
            ASSERT_TRUE(ProbeKpkPosition(p, score));

            unsigned wSq[3] = {tbSquare(wf, wr), tb_NOSQUARE, tb_NOSQUARE};
            unsigned bSq[3] = {tbSquare(bf, br), tb_NOSQUARE, tb_NOSQUARE};
            unsigned char wPc[3] = {tb_KING, tb_NOPIECE, tb_NOPIECE};
            unsigned char bPc[3] = {tb_KING, tb_NOPIECE, tb_NOPIECE};
            (pawnColour == White ? wSq : bSq)[1] = tbSquare(pf, pr);
            (pawnColour == White ? wPc : bPc)[1] = tb_PAWN;
            unsigned info = tb_UNKNOWN, plies = 0;
            int probed = tb_probe_hard(side == White ? tb_WHITE_TO_MOVE : tb_BLACK_TO_MOVE, tb_NOSQUARE,
                                       tb_NOCASTLE, wSq, bSq, wPc, bPc, &info, &plies);
            ASSERT_TRUE(probed) << test::ToFen(p);
            bool tablebaseWin = info == (pawnColour == White ? tb_WMATE : tb_BMATE);
            bool ourWin = score != 0;
            ++compared;
            wins += tablebaseWin;
            if (ourWin != tablebaseWin && ++mismatches <= 10)
              ADD_FAILURE() << test::ToFen(p) << ": ours " << ourWin << ", Gaviota " << tablebaseWin;
          }
        }
    }
  tbcache_done();
  tb_done();
  tbpaths_done(paths);
  EXPECT_EQ(mismatches, 0);
  std::printf("KPK positions compared with Gaviota: %ld, wins for the side with the pawn: %ld\n", compared, wins);
  RecordProperty("compared", static_cast<int>(compared));
  RecordProperty("wins", static_cast<int>(wins));
  ResetKpk();
}

} // namespace
} // namespace kestrin
