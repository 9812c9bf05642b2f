// The UCI command readers in-process: the position command with its moves, and scores.
#include <gtest/gtest.h>

#include "support/fixtures.h"
#include "support/gamereset.h"
#include "notation/history.h"
#include "uci/options.h"
#include "uci/output.h"
#include "uci/position.h"

namespace kestrin {
namespace {

// The position a command sets up, and the first move refused ("" none, "fen" the FEN).
TEST(Commands, PositionAndMoveText) {
  const struct {
    const char* arguments;
    const char* fen;
    const char* refused;
  } cases[] = {
      {"startpos moves e2e4 e7e5 g1f3", "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq -", ""},
      {"fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1 moves e1g1 e8c8", "2kr3r/8/8/8/8/8/8/R4RK1 w - -", ""},
      {"fen 8/P6k/8/8/8/8/8/K7 w - - 0 1 moves a7a8n", "N7/7k/8/8/8/8/8/K7 b - -", ""},
      {"fen 8/P6k/8/8/8/8/8/K7 w - - 0 1 moves a7a8 h7g7", "8/P6k/8/8/8/8/8/K7 w - -", "a7a8"},
      {"startpos moves e2e4 a7a6 e4e5 d7d5 e5d6", "rnbqkbnr/1pp1pppp/p2P4/8/8/8/PPPP1PPP/RNBQKBNR b KQkq -", ""},
      {"startpos moves e2e4q", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", "e2e4q"},
      {"startpos moves e2e4 e7e5 e1g1 g1f3", "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq -", "e1g1"},
      {"fen 8/8/8/8/8/8/8/8 w - - moves e2e4", "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq -", "fen"},
  };
  for (const auto& c : cases) {
    test::ResetGame();
    const SetUpOutcome outcome = SetUpPosition(ReadPositionCommand("startpos moves e2e4 e7e5"));
    EXPECT_TRUE(!outcome.fenRefused && outcome.illegalMove.empty());
    const SetUpOutcome result = SetUpPosition(ReadPositionCommand(c.arguments));
    EXPECT_EQ(result.fenRefused ? "fen" : result.illegalMove, c.refused) << c.arguments;
    EXPECT_EQ(test::ToFen(gamePosition), c.fen) << c.arguments;
  }
}

// Scores from White's point of view told from the side to move's: mate m plies ahead is 9999 - (m + 1).
TEST(Commands, ScoresAndTableSizes) {
  EXPECT_EQ(UciScore(9997, White), "mate 1");
  EXPECT_EQ(UciScore(9994, Black), "mate -2");
  EXPECT_EQ(HashExponentNearest(16), 20);    // 12 MB is nearer than 24
  EXPECT_EQ(HashExponentNearest(1 << 20), 24);
  EXPECT_EQ(HashExponentNearest(-5), 19);
}

// A thinking report in UCI's words: the score told from the side to move at the root, the
// principal variation from the search's row, a game-ending draw as 0.
TEST(Commands, ThinkingReportsAsInfoLines) {
  const Position root = test::FromFen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1");
  constexpr auto entry = [](int fromFile, int fromRow, int toFile, int toRow) {
    return u32(SquareOf(fromFile, fromRow)) | u32(SquareOf(toFile, toRow)) << 8;
  };
  const u32 pv[] = {2, entry(4, 1, 4, 3), entry(6, 7, 5, 5)}; // e7e5 g1f3
  EXPECT_EQ(ThinkingInfo({.depth = 7, .score = -35, .nodes = 12345}, 250, Black, root, pv),
            "info depth 7 score cp 35 nodes 12345 nps 49380 time 250 pv e7e5 g1f3");
  EXPECT_EQ(ThinkingInfo({.depth = 9, .score = -9997, .nodes = 100}, 0, Black, root, pv),
            "info depth 9 score mate 1 nodes 100 nps 0 time 0 pv e7e5 g1f3");
  const u32 onlyFirst[] = {1, entry(4, 1, 4, 3)};
  EXPECT_EQ(ThinkingInfo({.depth = 5, .score = 10000, .nodes = 8, .firstMoveOnly = true}, 4, Black, root, onlyFirst),
            "info depth 5 score cp 0 nodes 8 nps 2000 time 4 pv e7e5");
}

} // namespace
} // namespace kestrin
