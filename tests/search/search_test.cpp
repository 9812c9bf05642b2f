#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>

#include "board/attacks.h"
#include "board/gameend.h"
#include "board/movegen.h"
#include "eval/evaluate.h"
#include "notation/history.h"
#include "notation/newgame.h"
#include "search/alphabeta.h"
#include "search/keys.h"
#include "search/ordering.h"
#include "search/quiescence.h"
#include "search/searchstate.h"
#include "search/think.h"
#include "search/transposition.h"
#include "platform/clock.h"
#include "platform/frontend.h"
#include "search/limits.h"
#include "support/fixtures.h"
#include "support/recordingfrontend.h"

namespace kestrin {
namespace {

using test::FromFen;

class SearchTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!transpositionTable.buckets) AllocateTranspositionTable(18);
    ResetSearchState();
    ClearTranspositionTable();
    ClearHistoryTables();
    ResetKillers();
    ClearRepetitionKeys();
    search.targetSeconds = 1e6f;
  }

  // The working position set up as the driver does before iteration `depth`.
  Position Prepare(const std::string& fen, int depth) {
    Position p = FromFen(fen);
    PrepareSearch(p);
    search.iterationDepth = depth;
    StartIteration(p);
    return p;
  }

  int Root(const Position& p, int depth, u16& best) {
    best = NoMove16;
    return AlphaBeta(p.sideToMove, 0, depth, depth - 9998, 9998 - depth, best, 1);
  }

  // The analysis driver to a fixed depth; returns the best move's coordinates.
  std::string BestMove(const std::string& fen, int depth, int* score = nullptr) {
    Position p = FromFen(fen);
    int s = Think(p, ThinkAnalyse, depth);
    if (score) *score = s;
    const u16 best = search.rootBestMove;
    return test::CoordinateOf(best);
  }
};

TEST_F(SearchTest, CheckmateAndStalemateAtTheRoot) {
  Position mated = Prepare("R5k1/5ppp/8/8/8/8/8/6K1 b - -", 1);
  u16 best;
  EXPECT_EQ(Root(mated, 1, best), 9998); // (1 - 9999) x -1
  EXPECT_EQ(search.pvTable[1][0], 1u);
  EXPECT_EQ(search.pvTable[1][1], PvMate);
  Position whiteMated = Prepare("6k1/8/8/8/8/8/5PPP/r5K1 w - -", 1);
  EXPECT_EQ(Root(whiteMated, 1, best), -9998);
  // Stalemate at the root leaves the no-value start; below the root it is the draw score.
  Position stalemate = Prepare("7k/5Q2/8/8/8/8/8/6K1 b - -", 1);
  EXPECT_EQ(Root(stalemate, 1, best), 19999);
}

TEST_F(SearchTest, DeepNodesStayWithinThePlyRecords) {
  // A node at ply 47 with 13 plies left and a window at its score: null moves and internal
  // deepening alternate below it, yet no node may go beyond the last ply record.
  Position p = Prepare("r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -", 14);
  ASSERT_EQ(search.maxTotalPly, 46);
  const Position before = search.work;
  const int e = Evaluate(search.work, -30000, 30000);
  for (int side : {White, Black}) {
    search.work.sideToMove = static_cast<u8>(side);
    u16 best = NoMove16;
    const int v = AlphaBeta(side, 46, 13, e - 1, e, best, 0);
    EXPECT_GE(v, e - 1);
    EXPECT_LE(v, e);
    EXPECT_LE(search.pvTable[47][0], u32(SearchPlies - 47));
  }
  search.work.sideToMove = before.sideToMove;
  EXPECT_EQ(std::memcmp(before.board + 1, search.work.board + 1, sizeof before - 1), 0);
  (void)p;
}

TEST_F(SearchTest, ReplyExtensionsCountLegalMoves) {
  struct Case {
    const char* fen;
    u32 fraction; // of the last root move searched, in 1/32 ply
  };
  const Case cases[] = {
      {"7k/8/8/8/8/p7/P5r1/7K w - -", 24},       // Kxg2 alone is legal; Kg1 and Kh2 are generated
      {"7k/8/8/4p3/4P3/p2P4/P5r1/7K w - -", 8}, // Kxg2 and d4
      {"7k/8/8/8/8/p6p/P7/r6K w - -", 24},      // in check: Kh2 alone
  };
  for (const Case& c : cases) {
    Position p = Prepare(c.fen, 2);
    u16 best;
    Root(p, 2, best);
    EXPECT_EQ(search.plies[1].list.extensionFraction, c.fraction) << c.fen;
  }
}

TEST_F(SearchTest, FiftyMoveRuleBeforeAnyMove) {
  Position p = FromFen("4k3/8/8/8/8/8/4P3/4K3 w - -");
  p.plyCount = 150;
  p.irreversiblePly = 50;
  PrepareSearch(p);
  search.iterationDepth = 2;
  StartIteration(p);
  u16 best;
  EXPECT_EQ(Root(p, 2, best), search.drawScore);
  EXPECT_EQ(search.pvTable[1][1], PvDraw);
  EXPECT_EQ(search.nodeCount, 0u);
  // 99 plies is not yet a draw.
  p.irreversiblePly = 52;
  StartIteration(p);
  EXPECT_NE(Root(p, 2, best), search.drawScore);
}

TEST_F(SearchTest, DrawScoreByGamePhase) {
  Position p = FromFen("4k3/8/8/8/8/8/4P3/4K3 w - -");
  PrepareSearch(p);
  EXPECT_EQ(search.drawScore, -20);
  p.sideToMove = Black;
  PrepareSearch(p);
  EXPECT_EQ(search.drawScore, 20);
  p.plyCount = 121;
  PrepareSearch(p);
  EXPECT_EQ(search.drawScore, -30);
  p.plyCount = 100;
  PrepareSearch(p);
  EXPECT_EQ(search.drawScore, 0);
  EXPECT_EQ(search.nullMoveDisabled, 0);
  Position bare = FromFen("4k3/8/8/8/8/8/8/R3K3 w - -");
  PrepareSearch(bare);
  EXPECT_EQ(search.nullMoveDisabled, 1);
}

TEST_F(SearchTest, BareMinorsAfterACaptureAreDrawn) {
  // Taking the last pawn leaves king and bishop against king: drawn at once.
  Position p = Prepare("4k3/8/8/8/8/8/3p4/2B1K3 w - -", 2);
  u16 best;
  const int score = Root(p, 2, best);
  EXPECT_EQ(search.pvTable[1][2], PvDraw) << test::CoordinateOf(best);
  EXPECT_EQ(score, search.drawScore);
}

TEST_F(SearchTest, QuiescenceStandPatAndLevelLimit) {
  Position p = Prepare("4k3/8/8/3p4/4P3/8/8/Q3K3 w - -", 1);
  const int eval = Evaluate(search.work, -30000, 30000);
  // At level 50 the plain evaluation comes back, whatever the window.
  EXPECT_EQ(QuiescenceSearch(White, eval + 500, eval + 600, 49), eval);
  // White stands at or above beta: beta, with no move generated.
  search.plies[2].list.captureCount = 77;
  EXPECT_EQ(QuiescenceSearch(White, eval - 200, eval - 100, 1), eval - 100);
  EXPECT_EQ(search.plies[2].list.captureCount, 77u);
  // Black to move at or below alpha: alpha.
  Position black = Prepare("4k3/8/8/3p4/4P3/8/8/Q3K3 b - -", 1);
  const int blackEval = Evaluate(search.work, -30000, 30000);
  EXPECT_EQ(QuiescenceSearch(Black, blackEval + 100, blackEval + 200, 1), blackEval + 100);
  (void)black;
  (void)p;
}

TEST_F(SearchTest, QuiescenceResultsStayInTheWindowAndLeaveThePosition) {
  std::mt19937 random(5);
  const char* fens[] = {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
                        "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -",
                        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -",
                        "r1b1kb1r/pppp1ppp/5q2/4n3/3KP3/2N3PN/PPP4P/R1BQ1B1R b kq -"};
  for (const char* fen : fens) {
    Position p = Prepare(fen, 1);
    for (int trial = 0; trial < 20; ++trial) {
      const int alpha = static_cast<int>(random() % 800) - 400, beta = alpha + 1 + static_cast<int>(random() % 300);
      const Position before = search.work;
      const int v = QuiescenceSearch(p.sideToMove, alpha, beta, 1);
      EXPECT_GE(v, alpha) << fen;
      EXPECT_LE(v, beta) << fen;
      // Byte 0 of the board may take the zero of an unused take-back pair; nothing reads it.
      EXPECT_EQ(std::memcmp(before.board + 1, search.work.board + 1, sizeof before - 1), 0) << fen;
    }
  }
}

TEST_F(SearchTest, QuiescenceWinsAndPrunesCaptures) {
  // A hanging queen is taken: the score rises by about its value.
  Prepare("4k3/8/8/3q4/4P3/8/8/4K3 w - -", 1);
  const int stand = Evaluate(search.work, -30000, 30000);
  const int taken = QuiescenceSearch(White, -30000, 30000, 1);
  EXPECT_GT(taken, stand + 800);
  EXPECT_EQ(search.pvTable[2][0], 1u + search.pvTable[3][0]);
  EXPECT_EQ(search.pvTable[2][1] & 0xFFFF, u32(SquareAt(4, 4) | SquareAt(3, 5) << 8));
  // Two pawns below alpha against two black pieces: a pawn capture cannot help and is not searched.
  Prepare("4k3/8/2n1b3/3p4/4P3/8/8/4K3 w - -", 1);
  const int base = Evaluate(search.work, -30000, 30000);
  const u32 nodesBefore = search.nodeCount;
  EXPECT_EQ(QuiescenceSearch(White, base + 200, base + 300, 1), base + 200);
  EXPECT_EQ(search.nodeCount, nodesBefore + 1); // counted, pruned, never made
  EXPECT_EQ(search.pvTable[2][1], PvNoMove);
}

TEST_F(SearchTest, QuiescenceCountsThePromotionInItsEstimate) {
  // White far below alpha against three black pieces: taking the knight on a8 (315) alone could
  // not reach the window and would be pruned, but it also makes a queen.
  Prepare("n3k3/1P6/8/8/8/6b1/5r2/K7 w - -", 1);
  const int base = Evaluate(search.work, -30000, 30000);
  const int alpha = base + 900, beta = alpha + 100;
  EXPECT_GT(QuiescenceSearch(White, alpha, beta, 1), alpha);
  // The same for Black, mirrored: the capture-promotion is searched and lowers beta.
  Prepare("k7/5R2/6B1/8/8/8/1p6/N3K3 b - -", 1);
  const int blackBase = Evaluate(search.work, -30000, 30000);
  const int blackBeta = blackBase - 900, blackAlpha = blackBeta - 100;
  EXPECT_LT(QuiescenceSearch(Black, blackAlpha, blackBeta, 1), blackBeta);
  // A plain pawn capture the same distance below alpha is pruned: alpha comes back untouched.
  Prepare("4k3/8/2n1b3/3p4/4P3/8/6b1/4K3 w - -", 1);
  const int plain = Evaluate(search.work, -30000, 30000);
  EXPECT_EQ(QuiescenceSearch(White, plain + 900, plain + 1000, 1), plain + 900);
}

TEST_F(SearchTest, WaitFlagWaitsOutTheTargetTime) {
  test::RecordingFrontend frontend;
  InstallFrontend(&frontend);
  ResetGameRecord();
  searchSettings.waitFlag = 1;
  search.targetSeconds = 0.3f;
  const long long start = ClockMilliseconds();
  Think(gamePosition, ThinkPlay, 1);
  const long long took = ClockMilliseconds() - start;
  searchSettings.waitFlag = 0;
  InstallFrontend(nullptr);
  EXPECT_GE(took, 290);
  EXPECT_EQ(HistoryCount(), 1);
  EXPECT_NE(std::find(frontend.infoTexts.begin(), frontend.infoTexts.end(), "Waiting..."), frontend.infoTexts.end());
}

struct MateCase {
  const char* fen;
  int depth;
  const char* move;
  int movesToMate;
};

TEST_F(SearchTest, FindsForcedMates) {
  const MateCase cases[] = {
      {"6k1/5ppp/8/8/8/8/8/R5K1 w - -", 2, "a1a8", 1},
      {"k7/8/1K6/8/8/8/8/7R w - -", 2, "h1h8", 1},
      {"r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq -", 2, "h5f7", 1},
      {"6k1/8/6K1/8/8/8/8/R7 w - -", 2, "a1a8", 1},
      {"r5rk/5p1p/5R2/4B3/8/8/7P/7K w - -", 5, "f6a6", 3},
      {"k7/8/2K5/8/8/8/8/1R6 w - -", 4, "", 2}, // several mates in two
      // Rook endings whose mate distances an independent engine confirms (3, 3 and 5 moves).
      {"1k6/8/8/2K5/8/8/8/7R w - -", 6, "", 3},
      {"1k6/8/8/3K4/8/8/8/7R w - -", 8, "", 3},
      {"k7/8/8/8/2K5/8/8/7R w - -", 10, "", 5},
      {"6k1/5ppp/8/8/8/8/1q3PPP/3R2K1 w - -", 3, "d1d8", 1},
  };
  for (const MateCase& c : cases) {
    SetUp();
    int score = 0;
    const std::string best = BestMove(c.fen, c.depth, &score);
    if (*c.move) {
      EXPECT_EQ(best, c.move) << c.fen;
    }
    EXPECT_EQ(score, 9999 - 2 * c.movesToMate) << c.fen; // Black mated at ply 2n
  }
}

TEST_F(SearchTest, WinsMaterialInSimpleCombinations) {
  // Knight fork of king and rook.
  EXPECT_EQ(BestMove("r3k3/8/8/3N4/8/8/8/4K3 w - -", 4), "d5c7");
  SetUp();
  // An undefended rook is taken.
  EXPECT_EQ(BestMove("4k3/8/8/8/7r/8/8/4K2R w - -", 3), "h1h4");
  SetUp();
  // A pawn fork of knight and bishop.
  EXPECT_EQ(BestMove("4k3/8/8/2n1b3/8/2PP4/8/4K3 w - -", 4), "d3d4");
}

TEST_F(SearchTest, TimeAllocation) {
  ResetGameRecord();
  AllocateTime(300.0, 0, 5.0);
  EXPECT_NEAR(search.targetSeconds, 300.0 / 56 + 5, 1e-3);
  EXPECT_NEAR(search.extraSeconds, 1.7 * (300.0 / 56 + 5), 1e-3);
  AllocateTime(0.8, 0, 0.0);
  EXPECT_NEAR(search.targetSeconds, 0.4, 1e-6);
  EXPECT_EQ(search.extraSeconds, 0.0f);
  AllocateTime(60.0, 40, 0.0);
  EXPECT_NEAR(search.targetSeconds, 60.0 / 41, 1e-4);
  AllocateTime(0.0, 0, 0.0);
  EXPECT_NEAR(search.targetSeconds, 0.01, 1e-6);
}

TEST_F(SearchTest, DeepeningStopsEarly) {
  // In check with a single legal move (Kxa2): one iteration only.
  Position single = FromFen("7k/8/8/8/8/8/r7/K1r5 w - -");
  Think(single, ThinkAnalyse, 10);
  EXPECT_EQ(search.iterationDepth, 2);
  // Not in check, one legal move among three generated (Kxg2: g1 and h2 are attacked).
  SetUp();
  Position free = FromFen("7k/8/8/8/8/8/6r1/7K w - -");
  Think(free, ThinkAnalyse, 10);
  EXPECT_EQ(search.iterationDepth, 2);
  // A mate in one found at depth 1 ends the search.
  SetUp();
  Position mate = FromFen("6k1/5ppp/8/8/8/8/8/R5K1 w - -");
  Think(mate, ThinkAnalyse, 10);
  EXPECT_LE(search.iterationDepth, 3);
  EXPECT_EQ(search.previousScore, 9997);
}

TEST_F(SearchTest, AnalysisNeverPlays) {
  ResetGameRecord();
  const Position before = gamePosition;
  Think(gamePosition, ThinkAnalyse, 4);
  EXPECT_EQ(std::memcmp(&before, &gamePosition, sizeof before), 0);
  EXPECT_EQ(HistoryCount(), 0);
  EXPECT_NE(search.rootBestMove, NoMove16);
}

TEST_F(SearchTest, PlayingRecordsTheMoveOnTheGivenPosition) {
  ResetGameRecord();
  Position p = FromFen("6k1/5ppp/8/8/8/8/8/R5K1 w - -");
  ResetGameRecord(&p);
  Think(gamePosition, ThinkPlay, 3);
  EXPECT_EQ(HistoryCount(), 1);
  EXPECT_EQ(gamePosition.board[A8], WhiteRook);
  EXPECT_EQ(gameState, WhiteWon);
}

} // namespace
} // namespace kestrin
