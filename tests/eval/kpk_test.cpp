#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include <gtb-probe.h>

#include "board/attacks.h"
#include "eval/kpk.h"
#include "support/fixtures.h"

namespace kestrin {
namespace {

using test::FromFen;

// The bitbase the build generated beside the executables; the suites run from there.
constexpr const char* BuiltBitbase = "KPK.kbb";

TEST(Kpk, OnlyAFileOfTheBitbaseSizeLoads) {
  const char* path = "kpk-test-short.kbb";
  for (std::size_t bytes : {std::size_t(KpkBytes - 1), std::size_t(KpkBytes + 1), std::size_t(KpkBytes)}) {
    ResetKpk();
    std::ofstream(path, std::ios::binary) << std::string(bytes, '\xFF');
    EXPECT_EQ(LoadKpk(path), bytes == KpkBytes) << bytes;
    EXPECT_EQ(KpkBitbase[0], bytes == KpkBytes ? 0xFF : 0) << bytes; // nothing of a refused file is used
  }
  std::remove(path);
  ResetKpk();
  // Not loaded, other material, or a pawn on a back rank (a set-up position): no verdict.
  int score = 77;
  EXPECT_FALSE(ProbeKpkPosition(FromFen("3k4/3P4/3K4/8/8/8/8/8 b - -"), score));
  ASSERT_EQ(LoadKpk(BuiltBitbase), 1);
  for (const char* fen : {"3k3P/8/3K4/8/8/8/8/8 b - -", "3k4/8/3K4/8/8/8/8/p7 b - -", "3k4/3P4/3K4/8/8/8/8/N7 b - -"})
    EXPECT_FALSE(ProbeKpkPosition(FromFen(fen), score)) << fen;
  EXPECT_EQ(score, 77);
  ResetKpk();
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

  long compared = 0, mismatches = 0;
  Position p;
  // Squares numbered from a1 along the ranks, as the tablebases number them.
  for (int pawn : {WhitePawn, BlackPawn})
    for (unsigned ps = 8; ps < 56; ++ps)
      for (unsigned ws = 0; ws < 64; ++ws)
        for (unsigned bs = 0; bs < 64; ++bs)
          for (int side : {White, Black}) {
            ClearPosition(p);
            p.sideToMove = static_cast<u8>(side);
            // Two men on one square, or the side not to move in check (kings side by side too): not a position.
            if (!PlacePiece(p, ws % 8, 7 - ws / 8, WhiteKing) || !PlacePiece(p, bs % 8, 7 - bs / 8, BlackKing) ||
                !PlacePiece(p, ps % 8, 7 - ps / 8, pawn) || IsInCheck(Opponent(side), p))
              continue;
            int score = 1;
            ASSERT_TRUE(ProbeKpkPosition(p, score));
            unsigned wSq[3] = {ws, tb_NOSQUARE, tb_NOSQUARE}, bSq[3] = {bs, tb_NOSQUARE, tb_NOSQUARE};
            unsigned char wPc[3] = {tb_KING, tb_NOPIECE, tb_NOPIECE}, bPc[3] = {tb_KING, tb_NOPIECE, tb_NOPIECE};
            (pawn == WhitePawn ? wSq : bSq)[1] = ps;
            (pawn == WhitePawn ? wPc : bPc)[1] = tb_PAWN;
            unsigned info = tb_UNKNOWN, plies = 0;
            int probed = tb_probe_hard(side == White ? tb_WHITE_TO_MOVE : tb_BLACK_TO_MOVE, tb_NOSQUARE,
                                       tb_NOCASTLE, wSq, bSq, wPc, bPc, &info, &plies);
            ASSERT_TRUE(probed) << test::ToFen(p);
            const bool tablebaseWin = info == (pawn == WhitePawn ? tb_WMATE : tb_BMATE);
            ++compared;
            if ((score != 0) != tablebaseWin && ++mismatches <= 10)
              ADD_FAILURE() << test::ToFen(p) << ": ours " << score << ", Gaviota win " << tablebaseWin;
          }
  tbcache_done(), tb_done(), tbpaths_done(paths);
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(compared, 662704); // every legal placement, both sides to move
  ResetKpk();
}

} // namespace
} // namespace kestrin
